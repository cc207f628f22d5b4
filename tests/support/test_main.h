#pragma once
// main() for a Qt Test executable: the same process set-up as the program.

#include "app/program.h"

#include <QApplication>
#include <QTest>

#define QUILLON_TEST_MAIN(TestClass)                                                              \
    int main(int argc, char **argv)                                                               \
    {                                                                                             \
        Program::prepareProcess();                                                            \
        QApplication app(argc, argv);                                                             \
        Program::prepareApplication(app);                                                     \
        int result = 0;                                                                           \
        {                                                                                         \
            TestClass tc;                                                                         \
            QTEST_SET_MAIN_SOURCE_PATH                                                            \
            result = QTest::qExec(&tc, argc, argv);                                               \
        }                                                                                         \
        Program::shutdown();                                                                  \
        return result;                                                                            \
    }
