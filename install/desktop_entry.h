#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace kolvaro::setup {

// What one shortcut says: the file name without ".desktop", the program it
// starts with its arguments, the folder the program runs in and the text shown
// beside it.
struct ShortcutInfo {
    QString LinkName;
    QString Folder;  // used when no standard folder is asked for
    QString Target;
    QStringList Arguments;
    QString IconFile;  // written only when the file exists
    QString WorkingDirectory;
    QString Description;
};

// One argument of an Exec line, quoted: enclosed in double quotes with `"`,
// "`", "$" and "\" escaped by a backslash, and "%" doubled so that it is not
// taken for a field code. The result still needs EscapeValue().
QString QuoteExecArgument(const QString& argument);

// A string value as it stands in the file: "\" doubled, blanks at either end
// kept as "\s" so that no reader trims them away.
QString EscapeValue(const QString& value);

// The arguments an Exec value stands for, read as a launcher reads it; empty
// when the value breaks the quoting rules. Field codes other than "%%" count
// as broken, since our entries carry none.
std::optional<QStringList> ParseExecValue(const QString& value);

// The complete desktop entry for the shortcut, or nothing when the shortcut
// cannot be written faithfully: a program or folder that is not an absolute
// path, is too long for the system, or holds characters that an entry cannot
// carry (line breaks, other control characters, broken Unicode) or that
// launchers mistake in a program path ("%").
std::optional<QString> DesktopEntryText(const ShortcutInfo& info);

}  // namespace kolvaro::setup
