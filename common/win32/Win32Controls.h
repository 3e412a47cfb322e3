// The building blocks of the Win32 windows: fonts by character-cell height, child controls at fixed
// pixel positions (sized to their text where asked), the one window class every form uses, and the
// modal message loop. Texts cross this boundary as UTF-8. Main (UI) thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace pellmar::win32ui {

// A control's default size where a dimension is given as -1 (buttons about 64x22).
inline constexpr int kDefaultSize = -1;
inline constexpr int kButtonWidth = 64;
inline constexpr int kButtonHeight = 22;

// The windows' font (Tahoma) with the given character-cell height in pixels. Cached per height and
// weight for the life of the program, which frees them at exit; callers never delete them.
HFONT ControlFont(int height, bool bold = false);

// A visible child control of `windowClass` (WS_CHILD | WS_VISIBLE are added) in the given font.
// A width or height of kDefaultSize means the class's default: buttons 64x22, text boxes and
// check boxes a one-line height, and labels (and check boxes without a width) sized to their text.
HWND AddControl(HWND parent, const wchar_t* windowClass, const std::string& text, DWORD style, int left, int top,
                int width, int height, int id, int fontHeight = 10, bool bold = false);
// A group box whose children (controls placed inside it) report their commands and notifications
// to the group box's parent, as if they were its own, and that Tab enters (WS_EX_CONTROLPARENT).
HWND AddGroupBox(HWND parent, const std::string& text, int left, int top, int width, int height, int fontHeight);

// Gives a label (or a check box, with room for its box) the extent of its text in its own font.
void FitToText(HWND control);
std::string ControlText(HWND control);
void SetControlText(HWND control, const std::string& text);

// The window's outer size for a client area of width x height, its styles and menu included.
void SetClientSize(HWND window, int width, int height);
void CentreOnScreen(HWND window);
// Shifts a top-level window as far as needed to lie wholly in the work area of the monitor it is
// (mostly) on: a fixed position alone can put it partly off a small or highly scaled screen.
void MoveOntoScreen(HWND window);

// Registers a window class with the dialog background and the arrow cursor; true when it is
// available (also when it was registered before). Initialises the common controls once.
bool RegisterWindowClass(const wchar_t* className, WNDPROC procedure);

// A top-level form whose messages go to an object. The object outlives the window.
class FormHandler {
public:
    virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~FormHandler() = default;
};

struct FormFrame {
    std::string caption;
    DWORD style = WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = WS_EX_DLGMODALFRAME;
    int clientWidth = 0;
    int clientHeight = 0;
    int left = 0;  // the outer frame's screen position
    int top = 0;
    HWND owner = nullptr;
};

// Creates the form hidden at the frame's screen position with the client size of `frame`, moved
// onto the screen where that position would leave part of it off (MoveOntoScreen); nullptr when
// the window cannot be made (no desktop).
HWND CreateForm(const FormFrame& frame, FormHandler& handler);
// Detaches the handler first, so a handler can destroy its form from its destructor.
void DestroyForm(HWND window);

// Shows `window` and runs the thread's messages until finished() says so (checked after every
// message), with Tab, Enter (IDOK, or the push button that has the focus) and Escape (IDCANCEL)
// handled as in a dialog. Meanwhile the owner and the thread's other top-level windows are
// disabled; they are enabled again, and the window hidden, before it returns. A WM_QUIT met on
// the way is put back for the outer loop.
void RunModal(HWND window, HWND owner, const std::function<bool()>& finished);

// The dialog keys of a form that is no dialog, for a message loop: Tab, Escape, mnemonics, and
// Enter pressing the focused push button (otherwise the default one). True when handled.
bool HandleFormKeys(HWND window, MSG* message);

}  // namespace pellmar::win32ui
