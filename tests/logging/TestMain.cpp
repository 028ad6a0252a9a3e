#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    // Expected log bytes are spelt out in UTC.
    setenv("TZ", "UTC", 1);
    tzset();
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
