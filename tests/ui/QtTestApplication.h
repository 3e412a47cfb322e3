// One offscreen QApplication for a Qt test executable, made before the first test.
#pragma once

#include <QApplication>

#include <gtest/gtest.h>

namespace pellmar::test {

class QtApplicationEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "ui_qt_tests";
        static char* argv[] = {name, nullptr};
        application_ = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { delete application_; }

private:
    QApplication* application_ = nullptr;
};

}  // namespace pellmar::test
