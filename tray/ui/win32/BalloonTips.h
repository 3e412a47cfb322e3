// The setup dialog's requirement tips on the platform's tooltip control: balloon style, a title
// with the error icon, shown 5 ms after the pointer rests on a control, for 2000 ms, again after
// 500 ms. One tooltip window per owner; one tip per control. A failed check pops its tip up at the
// control for 2000 ms through a second, tracking tooltip window, as no pointer is moved. Main thread.
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
    // Pops the control's tip up now, its stem on the control's lower edge.
    void Pop(HWND control);
    // The control whose tip is popped up now; nullptr when none is.
    HWND Popped() const;
    HWND Window() const { return tooltip_; }
    HWND PopWindow() const { return tracker_; }

private:
    void HidePopped();
    static void CALLBACK PopTimeout(HWND tracker, UINT message, UINT_PTR timer, DWORD time);

    HWND owner_;
    HWND tooltip_ = nullptr;
    HWND tracker_ = nullptr;
    HWND popped_ = nullptr;
};

}  // namespace pellmar::win32ui
