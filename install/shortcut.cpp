#include "shortcut.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <climits>

namespace kolvaro::setup {

namespace {

QString FolderPath(const ShortcutInfo& info, ShortcutFolder folder) {
    switch (folder) {
        case ShortcutFolder::Programs: {
            const QString path =
                QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
            // A fresh account has no menu folder of its own yet.
            if (!path.isEmpty()) {
                QDir().mkpath(path);
            }
            return path;
        }
        case ShortcutFolder::Desktop:
            return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        case ShortcutFolder::Given:
            return info.Folder;
    }
    return {};
}

}  // namespace

bool CreateShortcut(const ShortcutInfo& info, ShortcutFolder folder) {
    const QString folderPath = FolderPath(info, folder);
    if (folderPath.isEmpty() || !QFileInfo(folderPath).isDir()) {
        return false;
    }
    const QString filePath = folderPath + u'/' + info.LinkName + QStringLiteral(".desktop");
    if (info.LinkName.isEmpty() || info.LinkName.contains(u'/') ||
        filePath.toUtf8().size() >= PATH_MAX) {
        return false;
    }
    const std::optional<QString> text = DesktopEntryText(info);
    if (!text) {
        return false;
    }

    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = text->toUtf8();
    // Desktops start only entries that are marked executable.
    const auto executable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                            QFileDevice::ReadOther | QFileDevice::ExeOther;
    // The buffer is flushed here, where a full disk is noticed: the commit
    // would otherwise put an empty file in place of the former one.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.setPermissions(executable)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace kolvaro::setup
