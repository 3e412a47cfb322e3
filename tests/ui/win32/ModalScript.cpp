// The thread timer behind ModalScript and small finders for the windows it answers.
#include "tests/ui/win32/ModalScript.h"

#include "platform/win32/WideText.h"

namespace pellmar::test {
namespace {

constexpr UINT kTickMilliseconds = 20;
thread_local ModalScript* activeScript = nullptr;

struct Search {
    std::function<bool(HWND)> matches;
    HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    if (!IsWindowVisible(window) || !search->matches(window)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindShown(std::function<bool(HWND)> matches) {
    Search search{std::move(matches)};
    EnumThreadWindows(GetCurrentThreadId(), &Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CloseWindow(HWND window, LPARAM) {
    if (IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

ModalScript::ModalScript(std::deque<Step> steps, std::chrono::seconds deadline)
    : steps_(std::move(steps)), deadline_(std::chrono::steady_clock::now() + deadline) {
    activeScript = this;
    timer_ = SetTimer(nullptr, 0, kTickMilliseconds, &ModalScript::Tick);
}

ModalScript::~ModalScript() {
    KillTimer(nullptr, timer_);
    activeScript = nullptr;
}

void CALLBACK ModalScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (activeScript) activeScript->RunStep();
}

void ModalScript::RunStep() {
    if (running_ || steps_.empty()) return;
    running_ = true;
    if (std::chrono::steady_clock::now() > deadline_) {
        timedOut_ = true;
        EnumThreadWindows(GetCurrentThreadId(), &CloseWindow, 0);
    } else if (steps_.front()()) {
        steps_.pop_front();
    }
    running_ = false;
}

HWND FindShownWindow(const std::string& caption) {
    return FindShown([&](HWND window) {
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        return platform::win32::Narrow(text, wcslen(text)) == caption;
    });
}

HWND FindShownWindowOfClass(const wchar_t* className) {
    return FindShown([&](HWND window) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        return lstrcmpiW(name, className) == 0;
    });
}

RECT PlaceInParent(HWND control) {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

RECT ClientRect(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return client;
}

void PostClick(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
void PostEnter(HWND control) { PostMessageW(control, WM_KEYDOWN, VK_RETURN, 0); }

}  // namespace pellmar::test
