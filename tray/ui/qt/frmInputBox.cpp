// The input box's widgets. Its place on the screen is fixed, not centred.
#include "tray/ui/qt/frmInputBox.h"

#include "tray/ui/qt/QtControls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pellmar {

InputBoxForm::InputBoxForm(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle("InputBox");
    setFixedSize(319, 106);
    MoveOntoScreen(this, 583, 299);
    setFont(PixelFont(10));
    prompt_ = new QLabel("Input Text Below:", this);
    prompt_->setGeometry(4, 16, 145, 17);
    edit_ = new QLineEdit(this);
    edit_->setGeometry(4, 36, 309, 21);
    ok_ = AddButton(this, "&OK", 168, 72, kButtonWidth, kButtonHeight, 10);
    ok_->setDefault(true);
    auto* cancel = AddButton(this, "&Cancel", 244, 72, kButtonWidth, kButtonHeight, 10);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void InputBoxForm::SetCaption(const std::string& caption) { setWindowTitle(ToQt(caption)); }
void InputBoxForm::SetPrompt(const std::string& prompt) { prompt_->setText(ToQt(prompt)); }
void InputBoxForm::SetText(const std::string& text) { edit_->setText(ToQt(text)); }
std::string InputBoxForm::Text() const { return FromQt(edit_->text()); }
bool InputBoxForm::RunModal() { return exec() == QDialog::Accepted; }

}  // namespace pellmar
