// Answers modal windows from inside their own message loops: a thread timer on the UI thread runs
// the steps in order, each retried every tick until it reports that it has acted (the window it
// waits for has appeared, say). Steps post their clicks and keys rather than sending them, so no
// modal loop runs inside a step. Past the deadline the script fails and closes every window of the
// thread, so a broken dialog fails its test instead of hanging it.
#pragma once

#include <windows.h>

#include <chrono>
#include <deque>
#include <functional>
#include <string>

namespace pellmar::test {

class ModalScript {
public:
    using Step = std::function<bool()>;

    explicit ModalScript(std::deque<Step> steps, std::chrono::seconds deadline = std::chrono::seconds(60));
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    bool Finished() const { return steps_.empty(); }
    bool TimedOut() const { return timedOut_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void RunStep();

    std::deque<Step> steps_;
    std::chrono::steady_clock::time_point deadline_;
    UINT_PTR timer_ = 0;
    bool running_ = false;
    bool timedOut_ = false;
};

// The visible top-level window of this thread with that caption, or nullptr.
HWND FindShownWindow(const std::string& caption);
// The visible top-level window of this thread of that class ("#32770" for the shell's dialogs).
HWND FindShownWindowOfClass(const wchar_t* className);
// A control's rectangle in its parent's client coordinates.
RECT PlaceInParent(HWND control);
RECT ClientRect(HWND window);
void PostClick(HWND button);
void PostEnter(HWND control);

}  // namespace pellmar::test
