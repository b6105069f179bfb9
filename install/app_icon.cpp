#include "app_icon.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QStandardPaths>
#include <QSvgRenderer>

namespace kolvaro::setup {

namespace {

const QString kIconResource = QStringLiteral(":/kolvaro.svg");

}  // namespace

QIcon KolvaroIcon() {
    // Drawn here rather than through Qt's icon plugins, which a desktop may
    // lack: the picture then looks the same wherever the wizard runs.
    QSvgRenderer renderer(kIconResource);
    QIcon icon;
    if (!renderer.isValid()) {
        return icon;
    }
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QString InstallIconFile() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) {
        return {};
    }
    const QString folder = data + QStringLiteral("/icons/hicolor/scalable/apps");
    QFile in(kIconResource);
    if (!QDir().mkpath(folder) || !in.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = in.readAll();
    const QString path = folder + QStringLiteral("/kolvaro.svg");
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        return {};
    }
    // Flushed before the rename, where a full disk is noticed.
    if (out.write(bytes) != bytes.size() || !out.flush()) {
        out.cancelWriting();
        return {};
    }
    return out.commit() ? path : QString();
}

}  // namespace kolvaro::setup
