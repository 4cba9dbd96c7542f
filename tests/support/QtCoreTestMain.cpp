#include <QCoreApplication>

#include <gtest/gtest.h>

// For test programs whose code waits in Qt event loops (page downloads, HTTP objects, the
// loopback test servers): those need an application object before the first test runs.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
