// Tools are identified by the control's window (TTF_IDISHWND) and subclassed (TTF_SUBCLASS), so
// the tooltip sees the pointer moving over them without relaying messages.
#include "tray/ui/win32/BalloonTips.h"

#include "platform/win32/WideText.h"

#include <commctrl.h>

namespace pellmar::win32ui {
namespace {

using platform::win32::Narrow;
using platform::win32::Widen;

constexpr int kInitialDelay = 5;
constexpr int kShowTime = 2000;
constexpr int kReshowDelay = 500;
constexpr int kMaxTipWidth = 300;
constexpr int kTextCapacity = 512;
constexpr UINT_PTR kPopTool = 1;
constexpr UINT_PTR kPopTimer = 1;

TTTOOLINFOW ToolOf(HWND owner, HWND control, wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    return tool;
}

// The tool of the tracking window: shown where TTM_TRACKPOSITION says, until deactivated.
TTTOOLINFOW PopToolOf(HWND owner, wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_TRACK;
    tool.hwnd = owner;
    tool.uId = kPopTool;
    tool.lpszText = text;
    return tool;
}

HWND CreateBalloonWindow(HWND owner, const std::string& title) {
    HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_BALLOON | TTS_NOPREFIX |
                                   TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tooltip) return nullptr;
    SendMessageW(tooltip, TTM_SETTITLEW, TTI_ERROR, reinterpret_cast<LPARAM>(Widen(title).c_str()));
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    return tooltip;
}

}  // namespace

BalloonTips::BalloonTips(HWND owner, const std::string& title) : owner_(owner) {
    tooltip_ = CreateBalloonWindow(owner, title);
    if (!tooltip_) return;
    SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(kInitialDelay, 0));
    SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kShowTime, 0));
    SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_RESHOW, MAKELPARAM(kReshowDelay, 0));
    tracker_ = CreateBalloonWindow(owner, title);
    if (!tracker_) return;
    wchar_t blank[] = L" ";
    TTTOOLINFOW tool = PopToolOf(owner_, blank);
    SendMessageW(tracker_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

BalloonTips::~BalloonTips() {
    if (tracker_) {
        KillTimer(tracker_, kPopTimer);
        DestroyWindow(tracker_);
    }
    if (tooltip_) DestroyWindow(tooltip_);
}

void BalloonTips::Pop(HWND control) {
    const std::optional<std::string> text = TextOf(control);
    if (!tracker_ || !text) return;
    HidePopped();
    std::wstring wide = Widen(*text);
    TTTOOLINFOW tool = PopToolOf(owner_, wide.data());
    SendMessageW(tracker_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    RECT place{};
    GetWindowRect(control, &place);
    SendMessageW(tracker_, TTM_TRACKPOSITION, 0, MAKELPARAM(place.left + (place.right - place.left) / 4, place.bottom));
    SendMessageW(tracker_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    // Above the form that has just been activated: otherwise Wine leaves the balloon under it.
    SetWindowPos(tracker_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    popped_ = control;
    SetTimer(tracker_, kPopTimer, kShowTime, &BalloonTips::PopTimeout);
}

HWND BalloonTips::Popped() const { return tracker_ && IsWindowVisible(tracker_) ? popped_ : nullptr; }

void BalloonTips::HidePopped() {
    popped_ = nullptr;
    if (!tracker_) return;
    KillTimer(tracker_, kPopTimer);
    TTTOOLINFOW tool = PopToolOf(owner_, nullptr);
    SendMessageW(tracker_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

// The tracking window's owner is the form the tool belongs to.
void CALLBACK BalloonTips::PopTimeout(HWND tracker, UINT, UINT_PTR timer, DWORD) {
    KillTimer(tracker, timer);
    TTTOOLINFOW tool = PopToolOf(GetWindow(tracker, GW_OWNER), nullptr);
    SendMessageW(tracker, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

void BalloonTips::Attach(HWND control, const std::string& text) {
    if (!tooltip_) return;
    std::wstring wide = Widen(text);
    TTTOOLINFOW tool = ToolOf(owner_, control, wide.data());
    if (TextOf(control)) {
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void BalloonTips::Remove(HWND control) {
    if (!tooltip_) return;
    if (popped_ == control) HidePopped();
    TTTOOLINFOW tool = ToolOf(owner_, control, nullptr);
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::optional<std::string> BalloonTips::TextOf(HWND control) const {
    if (!tooltip_) return std::nullopt;
    wchar_t text[kTextCapacity] = {};
    TTTOOLINFOW tool = ToolOf(owner_, control, text);
    if (!SendMessageW(tooltip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) return std::nullopt;
    tool.lpszText = text;
    SendMessageW(tooltip_, TTM_GETTEXTW, kTextCapacity, reinterpret_cast<LPARAM>(&tool));
    return Narrow(text, wcslen(text));
}

}  // namespace pellmar::win32ui
