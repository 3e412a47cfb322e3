// The input box as a thin Qt view: prompt, one-line text box, "OK" (the default button) and
// "Cancel", at a fixed screen position. The question and its result are ShowInputBox's. Main thread.
#pragma once

#include "tray/ui/InputBox.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace pellmar {

class InputBoxForm final : public QDialog, public InputBoxView {
public:
    explicit InputBoxForm(QWidget* parent = nullptr);

    void SetCaption(const std::string& caption) override;
    void SetPrompt(const std::string& prompt) override;
    void SetText(const std::string& text) override;
    std::string Text() const override;
    bool RunModal() override;

    QLabel* Prompt() const { return prompt_; }
    QLineEdit* Edit() const { return edit_; }
    QPushButton* OkButton() const { return ok_; }

private:
    QLabel* prompt_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace pellmar
