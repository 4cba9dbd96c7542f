#include <QApplication>

#include <gtest/gtest.h>

// The windows need a GUI application. Unless told otherwise the tests draw off screen, so they
// run alike with or without a display, also when ctest lists them.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
