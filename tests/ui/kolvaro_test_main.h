#pragma once

// The window tests run under the program's own application object, so that a
// failure escaping a handler reaches the general error report as in the program.

#include <QTest>

#include "kolvaroapplication.h"

#define KOLVARO_UI_TEST_MAIN(TestClass)             \
    int main(int argc, char** argv) {               \
        KolvaroApplication application(argc, argv); \
        TestClass test;                             \
        return QTest::qExec(&test, argc, argv);     \
    }
