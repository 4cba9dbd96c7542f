#include <QCoreApplication>

#include <gtest/gtest.h>

// Definitions that talk HTTP wait in Qt event loops, which need an application object.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
