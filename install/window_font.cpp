#include "window_font.h"

namespace kolvaro::setup {

QFont WindowFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

}  // namespace kolvaro::setup
