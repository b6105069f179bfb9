#include "desktop_entry.h"

#include <QFileInfo>
#include <climits>

namespace kolvaro::setup {

namespace {

// Line breaks, tabs and the other control characters have no place in a path
// that a launcher is to read back unchanged; neither have unpaired surrogates,
// which UTF-8 cannot hold.
bool IsWritableText(const QString& text) {
    if (!text.isValidUtf16()) {
        return false;
    }
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            return false;
        }
    }
    return true;
}

bool IsUsablePath(const QString& path) {
    return path.startsWith(u'/') && IsWritableText(path) && path.toUtf8().size() < PATH_MAX;
}

bool IsReservedOutsideQuotes(QChar c) {
    return QStringView(u"\t\n\"'\\><~|&;$*?#()`").contains(c);
}

// Undoes the escapes that every string value may carry.
std::optional<QString> UnescapeValue(const QString& value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\') {
            text += value[i];
            continue;
        }
        if (++i == value.size()) {
            return std::nullopt;
        }
        switch (value[i].unicode()) {
            case u's':
                text += u' ';
                break;
            case u'n':
                text += u'\n';
                break;
            case u't':
                text += u'\t';
                break;
            case u'r':
                text += u'\r';
                break;
            case u'\\':
                text += u'\\';
                break;
            default:
                return std::nullopt;
        }
    }
    return text;
}

}  // namespace

QString QuoteExecArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            quoted += u'\\';
        } else if (c == u'%') {
            quoted += u'%';
        }
        quoted += c;
    }
    quoted += u'"';
    return quoted;
}

QString EscapeValue(const QString& value) {
    QString escaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\') {
            escaped += QStringLiteral("\\\\");
        } else if (c == u' ' && (i == 0 || i == value.size() - 1)) {
            escaped += QStringLiteral("\\s");
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<QStringList> ParseExecValue(const QString& value) {
    const std::optional<QString> unescaped = UnescapeValue(value);
    if (!unescaped) {
        return std::nullopt;
    }
    const QString& text = *unescaped;
    QStringList arguments;
    QString argument;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'%') {
            if (i + 1 == text.size() || text[i + 1] != u'%') {
                return std::nullopt;
            }
            ++i;
            argument += u'%';
            inArgument = true;
        } else if (quoted) {
            if (c == u'"') {
                quoted = false;
            } else if (c == u'\\') {
                if (i + 1 == text.size() || !QStringView(u"\"`$\\").contains(text[i + 1])) {
                    return std::nullopt;
                }
                argument += text[++i];
            } else {
                argument += c;
            }
        } else if (c == u' ') {
            if (inArgument) {
                arguments << argument;
                argument.clear();
                inArgument = false;
            }
        } else if (c == u'"') {
            quoted = true;
            inArgument = true;
        } else if (IsReservedOutsideQuotes(c)) {
            return std::nullopt;
        } else {
            argument += c;
            inArgument = true;
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    if (inArgument) {
        arguments << argument;
    }
    return arguments;
}

std::optional<QString> DesktopEntryText(const ShortcutInfo& info) {
    // A program path with "%" is written "%%" by the rules, but GLib's
    // launchers look for the program before they undo the doubling and so
    // find none: such an entry would start nothing on most desktops.
    if (!IsUsablePath(info.Target) || info.Target.contains(u'%') ||
        !IsWritableText(info.LinkName) || !IsWritableText(info.Description)) {
        return std::nullopt;
    }
    if (!info.WorkingDirectory.isEmpty() && !IsUsablePath(info.WorkingDirectory)) {
        return std::nullopt;
    }
    QStringList command{info.Target};
    for (const QString& argument : info.Arguments) {
        if (!IsWritableText(argument)) {
            return std::nullopt;
        }
        command << argument;
    }
    QStringList quoted;
    for (const QString& argument : command) {
        quoted << QuoteExecArgument(argument);
    }
    const QString exec = EscapeValue(quoted.join(u' '));
    // Whatever slipped through the rules above: an entry that a launcher
    // would read as another command is not written at all.
    if (ParseExecValue(exec) != command) {
        return std::nullopt;
    }

    QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
    text += QStringLiteral("Name=") + EscapeValue(info.LinkName) + u'\n';
    if (!info.Description.isEmpty()) {
        text += QStringLiteral("Comment=") + EscapeValue(info.Description) + u'\n';
    }
    text += QStringLiteral("Exec=") + exec + u'\n';
    if (!info.WorkingDirectory.isEmpty()) {
        text += QStringLiteral("Path=") + EscapeValue(info.WorkingDirectory) + u'\n';
    }
    if (!info.IconFile.isEmpty() && IsUsablePath(info.IconFile) &&
        QFileInfo(info.IconFile).isFile()) {
        text += QStringLiteral("Icon=") + EscapeValue(info.IconFile) + u'\n';
    }
    text += QStringLiteral("Terminal=false\nCategories=Office;\n");
    return text;
}

}  // namespace kolvaro::setup
