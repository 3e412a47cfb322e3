// The update window's Win32 controls and its modal message loop. Enter and Escape reach the "OK"
// and "Cancel" commands through IsDialogMessageW; the close box acts like "Cancel".
#include "updater/win32/frmUpdateForm.h"

#include "platform/win32/WideText.h"
#include "updater/UpdateWindow.h"

#include <commctrl.h>

namespace pellmar {
namespace {

using platform::win32::Widen;

const wchar_t kWindowClass[] = L"PellmarUpdateForm";
constexpr int kClientWidth = 425;
constexpr int kClientHeight = 214;
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;

HFONT MakeFont(bool bold) {
    return CreateFontW(-10, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
}

bool RegisterFormClass() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow (IDC_ARROW is the narrow form)
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

HWND AddControl(HWND parent, const wchar_t* kind, const std::wstring& text, DWORD style, RECT place, int id) {
    return CreateWindowExW(0, kind, text.c_str(), WS_CHILD | WS_VISIBLE | style, place.left, place.top,
                           place.right, place.bottom, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

UpdateForm::UpdateForm(const UpdatePrompt& prompt, UpdateServices& services, UpdateTimings timings)
    : job_{prompt.files, prompt.Path, prompt.Hwnd, prompt.URL}, services_(services), timings_(timings) {}

std::unique_ptr<UpdateForm> UpdateForm::Create(const UpdatePrompt& prompt, UpdateServices& services,
                                               UpdateTimings timings) {
    if (!RegisterFormClass()) return nullptr;
    std::unique_ptr<UpdateForm> form(new UpdateForm(prompt, services, timings));
    if (!form->Build(prompt)) return nullptr;
    return form;
}

UpdateForm::~UpdateForm() {
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
    if (boldFont_) DeleteObject(boldFont_);
}

bool UpdateForm::Build(const UpdatePrompt& prompt) {
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    window_ = CreateWindowExW(kExStyle, kWindowClass, L"Application Update", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!window_) return false;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UpdateForm::Procedure));
    font_ = MakeFont(false);
    boldFont_ = MakeFont(true);
    promptLabel_ = AddControl(window_, L"STATIC", Widen(prompt.promptText), SS_LEFT, {8, 12, 409, 53}, 0);
    SendMessageW(promptLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    AddLabel("Your Version:", 12, 76, false);
    AddLabel(prompt.yourVersion, 84, 76, true);
    AddLabel("Latest Version:", 4, 100, false);
    AddLabel(prompt.latestVersion, 84, 100, true);
    AddLabel("Status:", 40, 136, false);
    statusLabel_ = AddLabel("Ready", 84, 136, true);
    progressBar_ = AddControl(window_, PROGRESS_CLASSW, L"", 0, {4, 156, 413, 20}, 0);
    SendMessageW(progressBar_, PBM_SETRANGE32, 0, 100);
    HWND ok = AddControl(window_, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, {272, 184, 73, 22}, IDOK);
    HWND cancel = AddControl(window_, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, {352, 184, 65, 22}, IDCANCEL);
    SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(cancel, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SetWindowTextW(window_, Widen(prompt.caption).c_str());
    return true;
}

HWND UpdateForm::AddLabel(const std::string& text, int left, int top, bool bold) {
    HWND label = AddControl(window_, L"STATIC", Widen(text), SS_LEFT | SS_NOPREFIX, {left, top, 1, 1}, 0);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(bold ? boldFont_ : font_), FALSE);
    FitToText(label);
    return label;
}

// Auto-size: the label takes the extent of its text in its own font.
void UpdateForm::FitToText(HWND label) {
    const int length = GetWindowTextLengthW(label);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(label, text.data(), length + 1);
    HDC context = GetDC(label);
    HGDIOBJ previous = SelectObject(context, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(context, text.c_str(), length, &extent);
    SelectObject(context, previous);
    ReleaseDC(label, context);
    SetWindowPos(label, nullptr, 0, 0, extent.cx, extent.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void UpdateForm::ShowModal() {
    RECT frame{};
    GetWindowRect(window_, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    MSG message;
    while (!closed_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void UpdateForm::ShowStatus(const std::string& text) {
    SetWindowTextW(statusLabel_, Widen(text).c_str());
    FitToText(statusLabel_);
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

LRESULT CALLBACK UpdateForm::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<UpdateForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form) return DefWindowProcW(window, message, wParam, lParam);
    return form->Handle(message, wParam, lParam);
}

LRESULT UpdateForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) RunUpdateNow();
        if (LOWORD(wParam) == IDCANCEL) RequestClose();
        return 0;
    case WM_CLOSE:
        // Hidden, not destroyed: the form owns the window until it goes itself.
        ShowWindow(window_, SW_HIDE);
        closed_ = true;
        return 0;
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
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
