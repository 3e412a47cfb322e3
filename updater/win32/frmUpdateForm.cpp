// The update window's Win32 controls and its modal message loop. Enter and Escape reach the "OK"
// and "Cancel" commands through the modal loop's dialog keys; the close box acts like "Cancel".
#include "updater/win32/frmUpdateForm.h"

#include "common/win32/Win32Controls.h"
#include "updater/UpdateWindow.h"

#include <commctrl.h>

namespace pellmar {
namespace {

using win32ui::AddControl;
using win32ui::kDefaultSize;

constexpr int kClientWidth = 425;
constexpr int kClientHeight = 214;
constexpr int kFontHeight = 10;

}  // namespace

UpdateForm::UpdateForm(const UpdatePrompt& prompt, UpdateServices& services, UpdateTimings timings)
    : job_{prompt.files, prompt.Path, prompt.Hwnd, prompt.URL}, services_(services), timings_(timings) {}

std::unique_ptr<UpdateForm> UpdateForm::Create(const UpdatePrompt& prompt, UpdateServices& services,
                                               UpdateTimings timings) {
    std::unique_ptr<UpdateForm> form(new UpdateForm(prompt, services, timings));
    if (!form->Build(prompt)) return nullptr;
    return form;
}

UpdateForm::~UpdateForm() { win32ui::DestroyForm(window_); }

bool UpdateForm::Build(const UpdatePrompt& prompt) {
    win32ui::FormFrame frame;
    frame.caption = "Application Update";
    frame.style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    frame.exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
    frame.clientWidth = kClientWidth;
    frame.clientHeight = kClientHeight;
    window_ = win32ui::CreateForm(frame, *this);
    if (!window_) return false;
    promptLabel_ = AddControl(window_, L"STATIC", prompt.promptText, SS_LEFT, 8, 12, 409, 53, 0, kFontHeight);
    AddLabel("Your Version:", 12, 76, false);
    AddLabel(prompt.yourVersion, 84, 76, true);
    AddLabel("Latest Version:", 4, 100, false);
    AddLabel(prompt.latestVersion, 84, 100, true);
    AddLabel("Status:", 40, 136, false);
    statusLabel_ = AddLabel("Ready", 84, 136, true);
    progressBar_ = AddControl(window_, PROGRESS_CLASSW, "", 0, 4, 156, 413, 20, 0, kFontHeight);
    SendMessageW(progressBar_, PBM_SETRANGE32, 0, 100);
    AddControl(window_, L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 272, 184, 73, 22, IDOK, kFontHeight);
    AddControl(window_, L"BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 352, 184, 65, 22, IDCANCEL, kFontHeight);
    win32ui::SetControlText(window_, prompt.caption);
    return true;
}

HWND UpdateForm::AddLabel(const std::string& text, int left, int top, bool bold) {
    return AddControl(window_, L"STATIC", text, SS_LEFT | SS_NOPREFIX, left, top, kDefaultSize, kDefaultSize, 0,
                      kFontHeight, bold);
}

void UpdateForm::ShowModal() {
    win32ui::CentreOnScreen(window_);
    win32ui::RunModal(window_, nullptr, [this] { return closed_; });
}

void UpdateForm::ShowStatus(const std::string& text) {
    win32ui::SetControlText(statusLabel_, text);
    win32ui::FitToText(statusLabel_);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
void UpdateForm::ShowProgress(std::uint32_t progress, std::uint32_t progressMax) {
    const auto clamp = [](std::uint32_t value) { return static_cast<LPARAM>(value > 0x7FFFFFFFu ? 0x7FFFFFFFu : value); };
    SendMessageW(progressBar_, PBM_SETRANGE32, 0, clamp(progressMax));
    SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(clamp(progress)), 0);
    UpdateWindow(progressBar_);
}

void UpdateForm::RequestClose() { PostMessageW(window_, WM_CLOSE, 0, 0); }

void UpdateForm::RunUpdateNow() {
    // Clicks and keys queued while the sequence blocked the thread may arrive before its posted
    // close does; a second run would start the application a second time.
    if (sequenceRan_) return;
    sequenceRan_ = true;
    UpdateContext context{*this, job_, services_, timings_};
    outcome_ = RunUpdate(context);
}

LRESULT UpdateForm::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) RunUpdateNow();
        if (LOWORD(wParam) == IDCANCEL) RequestClose();
        return 0;
    case WM_CLOSE:
        // Hidden, not destroyed: the form owns the window until it goes itself.
        ShowWindow(window, SW_HIDE);
        closed_ = true;
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

UpdateOutcome ShowUpdateWindow(const UpdatePrompt& prompt, UpdateServices& services) {
    // A window that cannot be made (no desktop) counts as a declined prompt.
    std::unique_ptr<UpdateForm> form = UpdateForm::Create(prompt, services);
    if (!form) return UpdateOutcome::NotRun;
    form->ShowModal();
    return form->Outcome();
}

}  // namespace pellmar
