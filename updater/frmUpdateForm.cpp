// The update window's widgets and the Qt application behind it.
#include "updater/frmUpdateForm.h"

#include "updater/UpdateWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <climits>
#include <memory>

namespace pellmar {
namespace {

constexpr int kFontHeight = 10;

QFont ControlFont(bool bold) {
    QFont font;
    font.setPixelSize(kFontHeight);
    font.setBold(bold);
    return font;
}

int ClampToInt(std::uint32_t value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }

}  // namespace

UpdateForm::UpdateForm(const UpdatePrompt& prompt, UpdateServices& services, UpdateTimings timings)
    : job_{prompt.files, prompt.Path, prompt.Hwnd, prompt.URL}, services_(services), timings_(timings) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle("Application Update");
    setWindowIcon(QIcon());
    setFixedSize(425, 214);
    BuildControls(prompt);
    setWindowTitle(QString::fromStdString(prompt.caption));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

QLabel* UpdateForm::AddLabel(const QString& text, int left, int top, bool bold) {
    auto* label = new QLabel(text, this);
    label->setFont(ControlFont(bold));
    label->move(left, top);
    label->adjustSize();
    return label;
}

void UpdateForm::BuildControls(const UpdatePrompt& prompt) {
    promptLabel_ = AddLabel(QString::fromStdString(prompt.promptText), 8, 12, false);
    promptLabel_->setWordWrap(true);
    promptLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    promptLabel_->setFixedSize(409, 53);
    AddLabel("Your Version:", 12, 76, false);
    AddLabel(QString::fromStdString(prompt.yourVersion), 84, 76, true);
    AddLabel("Latest Version:", 4, 100, false);
    AddLabel(QString::fromStdString(prompt.latestVersion), 84, 100, true);
    AddLabel("Status:", 40, 136, false);
    statusLabel_ = AddLabel("Ready", 84, 136, true);
    progressBar_ = new QProgressBar(this);
    progressBar_->setGeometry(4, 156, 413, 20);
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    okButton_ = new QPushButton("OK", this);
    okButton_->setFont(ControlFont(false));
    okButton_->setGeometry(272, 184, 73, 22);
    okButton_->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setFont(ControlFont(false));
    cancel->setGeometry(352, 184, 65, 22);
    connect(okButton_, &QPushButton::clicked, this, [this] { RunUpdateNow(); });
    connect(cancel, &QPushButton::clicked, this, [this] { RequestClose(); });
}

void UpdateForm::RunUpdateNow() {
    // Clicks and keys queued while the sequence blocked the thread may reach the window before its
    // posted close does; a second run would start the application a second time.
    if (sequenceRan_) return;
    sequenceRan_ = true;
    UpdateContext context{*this, job_, services_, timings_};
    outcome_ = RunUpdate(context);
}

void UpdateForm::ShowStatus(const std::string& text) {
    statusLabel_->setText(QString::fromStdString(text));
    statusLabel_->adjustSize();
    repaint();
}

void UpdateForm::ShowProgress(std::uint32_t progress, std::uint32_t progressMax) {
    progressBar_->setRange(0, ClampToInt(progressMax));
    progressBar_->setValue(ClampToInt(progress));
    progressBar_->repaint();
}

void UpdateForm::RequestClose() {
    QTimer::singleShot(0, this, [this] { reject(); });
}

UpdateOutcome ShowUpdateWindow(const UpdatePrompt& prompt, UpdateServices& services) {
    if (!QApplication::instance()) {
        bool hasDisplay = qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
                          qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
        if (!hasDisplay) return UpdateOutcome::NotRun;
    }
    static int argc = 1;
    static char name[] = "qmUpdate";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QApplication> application;
    if (!QApplication::instance()) application = std::make_unique<QApplication>(argc, argv);
    UpdateForm form(prompt, services);
    form.exec();
    return form.Outcome();
}

}  // namespace pellmar
