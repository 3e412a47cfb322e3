// The input box's controls. Its place on the screen is fixed, not centred.
#include "tray/ui/win32/frmInputBox.h"

namespace pellmar {
namespace {

using win32ui::AddControl;
using win32ui::kDefaultSize;

constexpr int kFont = 10;

}  // namespace

InputBoxForm::InputBoxForm(HWND owner) : owner_(owner) {
    win32ui::FormFrame frame;
    frame.caption = "InputBox";
    frame.clientWidth = 319;
    frame.clientHeight = 106;
    frame.left = 583;
    frame.top = 299;
    frame.owner = owner;
    window_ = win32ui::CreateForm(frame, *this);
    if (!window_) return;
    prompt_ = AddControl(window_, L"STATIC", "Input Text Below:", SS_NOPREFIX, 4, 16, 145, 17, 0, kFont);
    edit_ = AddControl(window_, L"EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 4, 36, 309, kDefaultSize, 0,
                       kFont);
    AddControl(window_, L"BUTTON", "&OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 168, 72, kDefaultSize, kDefaultSize, IDOK,
               kFont);
    AddControl(window_, L"BUTTON", "&Cancel", BS_PUSHBUTTON | WS_TABSTOP, 244, 72, kDefaultSize, kDefaultSize,
               IDCANCEL, kFont);
}

InputBoxForm::~InputBoxForm() { win32ui::DestroyForm(window_); }

void InputBoxForm::SetCaption(const std::string& caption) { win32ui::SetControlText(window_, caption); }
void InputBoxForm::SetPrompt(const std::string& prompt) { win32ui::SetControlText(prompt_, prompt); }
void InputBoxForm::SetText(const std::string& text) { win32ui::SetControlText(edit_, text); }
std::string InputBoxForm::Text() const { return win32ui::ControlText(edit_); }

bool InputBoxForm::RunModal() {
    if (!window_) return false;
    win32ui::RunModal(window_, owner_, [this] { return closed_; });
    return confirmed_;
}

LRESULT InputBoxForm::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        confirmed_ = LOWORD(wParam) == IDOK;
        closed_ = true;
        return 0;
    }
    if (message == WM_CLOSE) {  // the close box: the flag stays clear; ShowInputBox destroys the window
        closed_ = true;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace pellmar
