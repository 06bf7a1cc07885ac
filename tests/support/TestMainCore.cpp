// Runs GoogleTest for the libraries without widgets: a QCoreApplication only
// (for the event loop and the program's path), no window system.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
