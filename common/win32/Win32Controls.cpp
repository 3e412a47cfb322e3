// Fonts, child controls, the shared form class and the modal loop of the Win32 windows.
#include "common/win32/Win32Controls.h"

#include "platform/win32/WideText.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace pellmar::win32ui {
namespace {

using platform::win32::Narrow;
using platform::win32::Widen;

constexpr int kLineHeight = 21;    // a one-line text box
constexpr int kCheckHeight = 17;   // a check box or radio button
constexpr int kCheckGap = 6;       // between a check box's box and its text
const wchar_t kFormClass[] = L"PellmarForm";

// The fonts live as long as the program; the cache deletes them when it is torn down at exit.
class FontCache {
public:
    ~FontCache() {
        for (const auto& entry : fonts_) DeleteObject(entry.second);
    }
    HFONT Get(int height, bool bold) {
        std::lock_guard<std::mutex> lock(mutex_);
        HFONT& font = fonts_[{height, bold}];
        if (!font) {
            font = CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
        }
        return font;
    }

private:
    std::mutex mutex_;
    std::map<std::pair<int, bool>, HFONT> fonts_;
};

bool IsClass(HWND control, const wchar_t* name) {
    wchar_t actual[32] = {};
    GetClassNameW(control, actual, 32);
    return lstrcmpiW(actual, name) == 0;
}

bool IsCheckOrRadio(DWORD style) {
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}

SIZE TextExtent(HWND control) {
    const std::wstring text = Widen(ControlText(control));
    HDC context = GetDC(control);
    HGDIOBJ previous = SelectObject(context, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(context, previous);
    ReleaseDC(control, context);
    return extent;
}

void Resize(HWND control, int width, int height) {
    SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The default size of the control's kind, for the dimensions given as kDefaultSize.
void ApplyDefaultSize(HWND control, DWORD style, int width, int height) {
    const bool button = IsClass(control, L"BUTTON");
    if (button && IsCheckOrRadio(style)) {
        if (width == kDefaultSize) FitToText(control);
        RECT place{};
        GetWindowRect(control, &place);
        Resize(control, place.right - place.left, height == kDefaultSize ? kCheckHeight : height);
    } else if (button) {
        Resize(control, width == kDefaultSize ? kButtonWidth : width, height == kDefaultSize ? kButtonHeight : height);
    } else if (IsClass(control, L"EDIT") && width != kDefaultSize) {
        Resize(control, width, height == kDefaultSize ? kLineHeight : height);
    } else {
        const SIZE extent = TextExtent(control);
        Resize(control, width == kDefaultSize ? extent.cx : width, height == kDefaultSize ? extent.cy : height);
    }
}

LRESULT CALLBACK ForwardToParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_COMMAND || message == WM_NOTIFY) return SendMessageW(GetParent(window), message, wParam, lParam);
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* handler = reinterpret_cast<FormHandler*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!handler) return DefWindowProcW(window, message, wParam, lParam);
    return handler->HandleMessage(window, message, wParam, lParam);
}

struct ModalScope {
    HWND window;
    std::vector<HWND> disabled;
};

BOOL CALLBACK DisableOther(HWND candidate, LPARAM context) {
    auto* scope = reinterpret_cast<ModalScope*>(context);
    // The form's own popups (its tooltips) stay usable.
    if (candidate == scope->window || GetWindow(candidate, GW_OWNER) == scope->window) return TRUE;
    if (IsWindowEnabled(candidate)) {
        EnableWindow(candidate, FALSE);
        scope->disabled.push_back(candidate);
    }
    return TRUE;
}

bool IsPushButton(HWND control) {
    if (!IsClass(control, L"BUTTON")) return false;
    const auto kind = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)) & BS_TYPEMASK;
    return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
}

// Enter on a focused push button presses that button ("Cancel" cancels), as in a dialog. The form
// is no dialog, so the dialog manager would press IDOK whatever has the focus.
bool PressFocusedButton(HWND window, const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) return false;
    HWND button = message.hwnd;
    if (!IsChild(window, button) || !IsPushButton(button) || !IsWindowEnabled(button)) return false;
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return true;
}

// The default button's look follows the focus, as in a dialog: a focused push button wears it,
// otherwise the form's own default ("OK") does.
class DefaultLook {
public:
    explicit DefaultLook(HWND window) : window_(window) {
        HWND ok = GetDlgItem(window, IDOK);
        if (ok && (GetWindowLongW(ok, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) home_ = worn_ = ok;
    }
    ~DefaultLook() { Wear(home_); }
    DefaultLook(const DefaultLook&) = delete;
    DefaultLook& operator=(const DefaultLook&) = delete;

    void Follow() {
        HWND focus = GetFocus();
        Wear(IsChild(window_, focus) && IsPushButton(focus) ? focus : home_);
    }

private:
    static void SetKind(HWND button, DWORD kind) {
        const auto style = static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE));
        SendMessageW(button, BM_SETSTYLE, (style & ~static_cast<DWORD>(BS_TYPEMASK)) | kind, TRUE);
    }
    void Wear(HWND button) {
        if (button == worn_ || !IsWindow(window_)) return;
        if (worn_ && IsWindow(worn_)) SetKind(worn_, BS_PUSHBUTTON);
        if (button) SetKind(button, BS_DEFPUSHBUTTON);
        worn_ = button;
    }

    HWND window_;
    HWND home_ = nullptr;
    HWND worn_ = nullptr;
};

void FocusFirstControl(HWND window) {
    if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) {
        SetFocus(first);
    } else {
        SetFocus(window);
    }
}

}  // namespace

HFONT ControlFont(int height, bool bold) {
    static FontCache cache;
    return cache.Get(height, bold);
}

HWND AddControl(HWND parent, const wchar_t* windowClass, const std::string& text, DWORD style, int left, int top,
                int width, int height, int id, int fontHeight, bool bold) {
    HWND control = CreateWindowExW(0, windowClass, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, left, top,
                                   width == kDefaultSize ? 1 : width, height == kDefaultSize ? 1 : height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    if (!control) return nullptr;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(fontHeight, bold)), FALSE);
    if (width == kDefaultSize || height == kDefaultSize) ApplyDefaultSize(control, style, width, height);
    return control;
}

HWND AddGroupBox(HWND parent, const std::string& text, int left, int top, int width, int height, int fontHeight) {
    HWND box = AddControl(parent, L"BUTTON", text, BS_GROUPBOX, left, top, width, height, 0, fontHeight);
    if (!box) return nullptr;
    SetWindowLongPtrW(box, GWL_EXSTYLE, GetWindowLongPtrW(box, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    SetWindowSubclass(box, &ForwardToParent, 0, 0);
    return box;
}

void FitToText(HWND control) {
    const SIZE extent = TextExtent(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (IsClass(control, L"BUTTON") && IsCheckOrRadio(static_cast<DWORD>(style))) {
        RECT place{};
        GetWindowRect(control, &place);
        Resize(control, GetSystemMetrics(SM_CXMENUCHECK) + kCheckGap + extent.cx, place.bottom - place.top);
        return;
    }
    Resize(control, extent.cx, extent.cy);
}

std::string ControlText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    return Narrow(text.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

void SetControlText(HWND control, const std::string& text) { SetWindowTextW(control, Widen(text).c_str()); }

void SetClientSize(HWND window, int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), GetMenu(window) != nullptr,
                       static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    int outerWidth = frame.right - frame.left;
    int outerHeight = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, 0, 0, outerWidth, outerHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame a window manager draws can differ from the computed one; correct by what is left.
    RECT client{};
    GetClientRect(window, &client);
    if (client.right == width && client.bottom == height) return;
    outerWidth += width - client.right;
    outerHeight += height - client.bottom;
    SetWindowPos(window, nullptr, 0, 0, outerWidth, outerHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOnScreen(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    RECT frame{};
    GetWindowRect(window, &frame);
    const int left = area.left + (area.right - area.left - (frame.right - frame.left)) / 2;
    const int top = area.top + (area.bottom - area.top - (frame.bottom - frame.top)) / 2;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveOntoScreen(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& area = monitor.rcWork;
    RECT frame{};
    GetWindowRect(window, &frame);
    // A window larger than the area keeps its top-left corner (caption and close box) on it.
    const LONG left = std::max(area.left, std::min(frame.left, area.right - (frame.right - frame.left)));
    const LONG top = std::max(area.top, std::min(frame.top, area.bottom - (frame.bottom - frame.top)));
    if (left == frame.left && top == frame.top) return;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool RegisterWindowClass(const wchar_t* className, WNDPROC procedure) {
    static const bool controlsReady = [] {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_DATE_CLASSES};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    if (!controlsReady) return false;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow (IDC_ARROW is the narrow form)
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    return RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateForm(const FormFrame& frame, FormHandler& handler) {
    if (!RegisterWindowClass(kFormClass, &FormProcedure)) return nullptr;
    HWND window = CreateWindowExW(frame.exStyle, kFormClass, Widen(frame.caption).c_str(), frame.style, frame.left,
                                  frame.top, frame.clientWidth, frame.clientHeight, frame.owner, nullptr,
                                  GetModuleHandleW(nullptr), &handler);
    if (!window) return nullptr;
    SetClientSize(window, frame.clientWidth, frame.clientHeight);
    if (!(frame.style & WS_CHILD)) MoveOntoScreen(window);
    return window;
}

void DestroyForm(HWND window) {
    if (!window) return;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
}

bool HandleFormKeys(HWND window, MSG* message) {
    return PressFocusedButton(window, *message) || IsDialogMessageW(window, message);
}

void RunModal(HWND window, HWND owner, const std::function<bool()>& finished) {
    ModalScope scope{window, {}};
    if (owner && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        scope.disabled.push_back(owner);
    }
    EnumThreadWindows(GetCurrentThreadId(), &DisableOther, reinterpret_cast<LPARAM>(&scope));
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    FocusFirstControl(window);
    DefaultLook look(window);
    MSG message;
    while (!finished()) {
        look.Follow();
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        if (HandleFormKeys(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // Enabled before the window goes, so activation returns to the owner rather than elsewhere.
    for (HWND disabled : scope.disabled) EnableWindow(disabled, TRUE);
    ShowWindow(window, SW_HIDE);
}

}  // namespace pellmar::win32ui
