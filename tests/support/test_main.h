#pragma once
// main() for a Qt Test executable: the same process set-up as the program.

#include "platform/environment.h"

#include <QApplication>
#include <QTest>

#define QUILLON_TEST_MAIN(TestClass)                                                              \
    int main(int argc, char **argv)                                                               \
    {                                                                                             \
        Environment::prepareProcess();                                                            \
        QApplication app(argc, argv);                                                             \
        Environment::prepareApplication(app);                                                     \
        int result = 0;                                                                           \
        {                                                                                         \
            TestClass tc;                                                                         \
            QTEST_SET_MAIN_SOURCE_PATH                                                            \
            result = QTest::qExec(&tc, argc, argv);                                               \
        }                                                                                         \
        Environment::shutdown();                                                                  \
        return result;                                                                            \
    }
