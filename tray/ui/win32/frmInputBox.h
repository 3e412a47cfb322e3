// The input box as a thin Win32 view: prompt, one-line text box, "OK" (the default button) and
// "Cancel", at a fixed screen position. The question and its result are ShowInputBox's.
// Main thread; made for one question and destroyed after it.
#pragma once

#include "common/win32/Win32Controls.h"
#include "tray/ui/InputBox.h"

namespace pellmar {

class InputBoxForm final : public InputBoxView, private win32ui::FormHandler {
public:
    // `owner` is disabled while the box is shown; nullptr for none.
    explicit InputBoxForm(HWND owner);
    ~InputBoxForm() override;
    InputBoxForm(const InputBoxForm&) = delete;
    InputBoxForm& operator=(const InputBoxForm&) = delete;

    void SetCaption(const std::string& caption) override;
    void SetPrompt(const std::string& prompt) override;
    void SetText(const std::string& text) override;
    std::string Text() const override;
    // False at once when the window could not be made.
    bool RunModal() override;

    HWND Window() const { return window_; }
    HWND Prompt() const { return prompt_; }
    HWND Edit() const { return edit_; }

private:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND owner_;
    HWND window_ = nullptr;
    HWND prompt_ = nullptr;
    HWND edit_ = nullptr;
    bool closed_ = false;
    bool confirmed_ = false;
};

}  // namespace pellmar
