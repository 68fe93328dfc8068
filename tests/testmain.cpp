// Entry point of every test executable: the Qt application object the code under test needs,
// then GoogleTest.
#include <gtest/gtest.h>

#include <QStandardPaths>

#ifdef QUILLET_GUI_TEST
#include "editor/zqnoteschemehandler.h"
#include <QApplication>
using TTestApplication = QApplication;
#else
#include <QCoreApplication>
using TTestApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
#ifdef QUILLET_GUI_TEST
    // The note scheme must be known before the application object exists.
    TzqNoteSchemeHandler::RegisterScheme();
#endif
    TTestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
