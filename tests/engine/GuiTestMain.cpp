#include <QApplication>

#include <gtest/gtest.h>

// The windows need a GUI application; scripts/test runs it on the offscreen platform.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
