#include <QApplication>
#include <QFileInfo>
#include <gtest/gtest.h>

// Every test program runs with a real (offscreen) application object, so that windows, fonts and
// painters behave as in the program.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QFileInfo(QString::fromLocal8Bit(argv[0])).baseName());
    return RUN_ALL_TESTS();
}
