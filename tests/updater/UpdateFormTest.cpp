// The update window as a thin view: its fixed layout and texts, OK running the sequence (also by
// Enter), Cancel running nothing, and the progress bar following each report. Offscreen platform.
#include "updater/frmUpdateForm.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace pellmar {
namespace {

struct CountingServices final : UpdateServices {
    bool Download(const std::string&, const std::string&, const platform::DownloadProgress&, std::uint64_t,
                  platform::DownloadedFileKind) override {
        return false;
    }
    void SendClose(platform::WindowHandle) override { ++closes; }
    bool WindowExists(platform::WindowHandle) override { return false; }
    void StartProgram(const std::string&) override { ++starts; }
    void Pause(std::chrono::milliseconds) override {}
    int closes = 0;
    int starts = 0;
};

class UpdateFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "updater_window_tests";
        static char* argv[] = {name, nullptr};
        application = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete application;
        application = nullptr;
    }
    UpdatePrompt Prompt() {
        UpdatePrompt prompt;
        prompt.yourVersion = "1.2.0.0";
        prompt.latestVersion = "1.3.0.0";
        prompt.promptText = BuildPromptText("Pellmar");
        prompt.caption = BuildPromptCaption("Pellmar");
        prompt.Path = "/nonexistent/Pellmar";
        prompt.Hwnd = 5;
        return prompt;
    }
    QLabel* LabelWithText(UpdateForm& form, const QString& text) {
        for (QLabel* label : form.findChildren<QLabel*>()) {
            if (label->text() == text) return label;
        }
        return nullptr;
    }

    static QApplication* application;
    CountingServices services;
};

QApplication* UpdateFormTest::application = nullptr;

TEST_F(UpdateFormTest, LayoutAndTextsAsFilledByThePrompt) {
    UpdateForm form(Prompt(), services);
    EXPECT_EQ(form.size(), QSize(425, 214));
    EXPECT_EQ(form.windowTitle(), "Application Update for Pellmar");
    EXPECT_EQ(form.PromptLabel()->geometry(), QRect(8, 12, 409, 53));
    EXPECT_TRUE(form.PromptLabel()->wordWrap());
    EXPECT_EQ(form.PromptLabel()->text().toStdString(), BuildPromptText("Pellmar"));
    EXPECT_EQ(form.StatusLabel()->text(), "Ready");
    EXPECT_EQ(form.StatusLabel()->pos(), QPoint(84, 136));
    EXPECT_TRUE(form.StatusLabel()->font().bold());
    EXPECT_EQ(form.StatusLabel()->font().pixelSize(), 10);
    ASSERT_NE(LabelWithText(form, "1.2.0.0"), nullptr);
    EXPECT_EQ(LabelWithText(form, "1.2.0.0")->pos(), QPoint(84, 76));
    ASSERT_NE(LabelWithText(form, "1.3.0.0"), nullptr);
    EXPECT_EQ(LabelWithText(form, "1.3.0.0")->pos(), QPoint(84, 100));
    ASSERT_NE(LabelWithText(form, "Latest Version:"), nullptr);
    EXPECT_EQ(LabelWithText(form, "Latest Version:")->pos(), QPoint(4, 100));
    EXPECT_EQ(form.ProgressBar()->geometry(), QRect(4, 156, 413, 20));
    EXPECT_EQ(form.ProgressBar()->maximum(), 100);
    EXPECT_EQ(form.OkButton()->geometry().topLeft(), QPoint(272, 184));
    EXPECT_TRUE(form.OkButton()->isDefault());
    for (QPushButton* button : form.findChildren<QPushButton*>()) {
        EXPECT_LE(button->geometry().right(), 424);
        EXPECT_EQ(button->height(), 22);
    }
}

TEST_F(UpdateFormTest, EnterRunsTheSequenceWhichEndsByClosingTheWindow) {
    UpdateForm form(Prompt(), services);
    form.show();
    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_EQ(services.closes, 1);
    EXPECT_EQ(form.StatusLabel()->text(), "ReStarting Application...");
    EXPECT_EQ(services.starts, 0);  // Path names no file
    EXPECT_TRUE(test::WaitUntil([&] {
        QApplication::processEvents();
        return !form.isVisible();
    }));
}

TEST_F(UpdateFormTest, KeysQueuedWhileTheSequenceRanDoNotRunItAgain) {
    // Input that waited in the queue during the sequence arrives before the window has closed.
    UpdateForm form(Prompt(), services);
    form.show();
    QTest::keyClick(&form, Qt::Key_Return);
    QTest::keyClick(&form, Qt::Key_Return);
    form.OkButton()->click();
    EXPECT_EQ(services.closes, 1);
    EXPECT_TRUE(test::WaitUntil([&] {
        QApplication::processEvents();
        return !form.isVisible();
    }));
}

TEST_F(UpdateFormTest, CancelClosesWithoutRunningAnything) {
    UpdateForm form(Prompt(), services);
    form.show();
    for (QPushButton* button : form.findChildren<QPushButton*>()) {
        if (button->text() == "Cancel") button->click();
    }
    EXPECT_TRUE(test::WaitUntil([&] {
        QApplication::processEvents();
        return !form.isVisible();
    }));
    EXPECT_EQ(services.closes, 0);
    EXPECT_EQ(form.StatusLabel()->text(), "Ready");
}

TEST_F(UpdateFormTest, ProgressFollowsEachReport) {
    UpdateForm form(Prompt(), services);
    form.ShowProgress(50, 200);
    EXPECT_EQ(form.ProgressBar()->maximum(), 200);
    EXPECT_EQ(form.ProgressBar()->value(), 50);
    form.ShowProgress(3, 10);  // the next file's transfer starts over
    EXPECT_EQ(form.ProgressBar()->maximum(), 10);
    EXPECT_EQ(form.ProgressBar()->value(), 3);
    form.ShowProgress(4000000000u, 4000000000u);
    EXPECT_EQ(form.ProgressBar()->value(), form.ProgressBar()->maximum());
}

}  // namespace
}  // namespace pellmar
