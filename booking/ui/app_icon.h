#pragma once

// The program's icon, drawn from the scalable picture built into the program.

#include <QIcon>

// Sharp at every size a desktop asks for, from 16 to 256 pixels.
QIcon KolvaroIcon();
