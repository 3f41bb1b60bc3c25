#pragma once

#include "app/application.h"

#include <QTest>

// Adds switches for the web engine to those the program set, before the
// first web view starts it.
inline void addEngineFlags(const QByteArray &flags)
{
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + ' ' + flags);
}

// Runs a test class inside the program's own application object, so that
// failures escaping event handlers take the same road as in the program. The
// web engine module is found in the build folder, beside the program.
#define QUORVANE_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        Application::prepare();                                                                    \
        Application app(argc, argv);                                                               \
        QCoreApplication::addLibraryPath(QStringLiteral(QUORVANE_ENGINE_BUILD_FOLDER));            \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
