// Application windows as real hidden top-level windows: each has a service thread of its own that
// creates the window and runs its message loop, so WM_CLOSE sent by another process is handled
// there at once and the sender (SendMessageW) is answered when the close handler returns.
#include "platform/AppWindow.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <future>
#include <thread>

namespace pellmar::platform {
namespace {

constexpr UINT kDestroyMessage = WM_APP + 1;
const wchar_t kWindowClass[] = L"PellmarAppWindow";

// Handles are 32-bit significant on 64-bit Windows, which is what makes them safe to pass as text.
HWND ToHwnd(WindowHandle handle) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(handle)); }
WindowHandle ToHandle(HWND window) {
    return static_cast<WindowHandle>(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window)));
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* onClose = reinterpret_cast<std::function<void()>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_CLOSE:
        // The owner decides what closing means; the window itself stays until the owner lets it go.
        if (onClose && *onClose) (*onClose)();
        return 0;
    case kDestroyMessage:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

class HiddenAppWindow final : public AppWindow {
public:
    explicit HiddenAppWindow(std::function<void()> onClose) : onClose_(std::move(onClose)) {}

    ~HiddenAppWindow() override {
        if (window_) PostMessageW(window_, kDestroyMessage, 0, 0);
        if (thread_.joinable()) thread_.join();
    }

    bool Start(const std::string& title) {
        std::promise<HWND> created;
        std::future<HWND> result = created.get_future();
        thread_ = std::thread([this, title, &created] { Serve(title, created); });
        window_ = result.get();
        return window_ != nullptr;
    }

    WindowHandle Handle() const override { return ToHandle(window_); }

private:
    void Serve(const std::string& title, std::promise<HWND>& created) {
        HWND window = CreateWindowExW(0, kWindowClass, win32::Widen(title).c_str(), WS_OVERLAPPED, 0, 0, 0, 0,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&onClose_));
        created.set_value(window);
        if (!window) return;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    std::function<void()> onClose_;
    std::thread thread_;
    HWND window_ = nullptr;
};

}  // namespace

std::unique_ptr<AppWindow> AppWindow::Register(const std::string& title, std::function<void()> onClose) {
    if (!RegisterWindowClass()) return nullptr;
    auto window = std::make_unique<HiddenAppWindow>(std::move(onClose));
    if (!window->Start(title)) return nullptr;
    return window;
}

// FindWindowW reads the title the system keeps and sends the window nothing, so a busy program
// cannot delay it.
WindowHandle FindAppWindow(const std::string& title, std::chrono::milliseconds) {
    return ToHandle(FindWindowW(nullptr, win32::Widen(title).c_str()));
}

bool SendCloseRequest(WindowHandle window, std::chrono::milliseconds limit) {
    if (window == 0 || !IsWindow(ToHwnd(window))) return false;
    if (limit == kNoTimeLimit) {
        SendMessageW(ToHwnd(window), WM_CLOSE, 0, 0);
        return true;
    }
    // SMTO_ABORTIFHUNG gives up at once on a window the system already counts as hung.
    const auto milliseconds = std::clamp<std::chrono::milliseconds::rep>(limit.count(), 0, 0x7FFFFFFF);
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(ToHwnd(window), WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                               static_cast<UINT>(milliseconds), &ignored) != 0;
}

bool AppWindowExists(WindowHandle window) { return window != 0 && IsWindow(ToHwnd(window)) != FALSE; }

}  // namespace pellmar::platform
