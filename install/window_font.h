#pragma once

#include <QFont>

namespace kolvaro::setup {

// The installer's windows place every part at a fixed pixel position, so their
// texts use a font of fixed pixel size that fits those places whatever font the
// desktop prefers: Arial's metrics at 8 points, which Liberation Sans shares.
QFont WindowFont();

}  // namespace kolvaro::setup
