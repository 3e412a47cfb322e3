// The setup dialog's requirement tips on the platform's tooltip control: balloon style, a title
// with the error icon, shown 5 ms after the pointer rests on a control, for 2000 ms, again after
// 500 ms. One tooltip window per owner; one tip per control. Main thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace pellmar::win32ui {

class BalloonTips {
public:
    BalloonTips(HWND owner, const std::string& title);
    ~BalloonTips();
    BalloonTips(const BalloonTips&) = delete;
    BalloonTips& operator=(const BalloonTips&) = delete;

    // Attaches a tip to `control`, or replaces the text of the one there.
    void Attach(HWND control, const std::string& text);
    void Remove(HWND control);
    // The text of the control's tip, as the tooltip control holds it; nothing without a tip.
    std::optional<std::string> TextOf(HWND control) const;
    HWND Window() const { return tooltip_; }

private:
    HWND owner_;
    HWND tooltip_ = nullptr;
};

}  // namespace pellmar::win32ui
