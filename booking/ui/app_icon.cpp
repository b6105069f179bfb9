#include "app_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

QIcon KolvaroIcon() {
    // Drawn here rather than through Qt's icon plugins, which a desktop may
    // lack: the picture then looks the same wherever the program runs.
    QSvgRenderer renderer(QStringLiteral(":/kolvaro.svg"));
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
