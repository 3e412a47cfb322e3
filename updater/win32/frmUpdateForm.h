// The updater's window on Windows: the question, the two versions, the status label and the
// progress bar at fixed positions, as a plain Win32 window. A thin view: what "OK" does is
// RunUpdate's. Created, shown modally and destroyed on the updater's one thread.
#pragma once

#include "common/win32/Win32Controls.h"
#include "updater/AppMain.h"
#include "updater/UpdateSequence.h"

#include <windows.h>

namespace pellmar {

class UpdateForm final : public UpdateView, private win32ui::FormHandler {
public:
    // nullptr-window forms are never handed out: Create fails when the window cannot be made.
    static std::unique_ptr<UpdateForm> Create(const UpdatePrompt& prompt, UpdateServices& services,
                                              UpdateTimings timings = {});
    ~UpdateForm() override;
    UpdateForm(const UpdateForm&) = delete;
    UpdateForm& operator=(const UpdateForm&) = delete;

    // Shows the window centred and runs its messages until it has closed.
    void ShowModal();

    void ShowStatus(const std::string& text) override;
    void ShowProgress(std::uint32_t progress, std::uint32_t progressMax) override;
    void RequestClose() override;

    // What "OK" and Enter run; the sequence runs once only.
    void RunUpdateNow();
    UpdateOutcome Outcome() const { return outcome_; }

    HWND Window() const { return window_; }
    HWND StatusLabel() const { return statusLabel_; }
    HWND PromptLabel() const { return promptLabel_; }
    HWND ProgressBar() const { return progressBar_; }

private:
    UpdateForm(const UpdatePrompt& prompt, UpdateServices& services, UpdateTimings timings);
    bool Build(const UpdatePrompt& prompt);
    HWND AddLabel(const std::string& text, int left, int top, bool bold);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    UpdateJob job_;
    UpdateServices& services_;
    UpdateTimings timings_;
    bool sequenceRan_ = false;
    UpdateOutcome outcome_ = UpdateOutcome::NotRun;
    bool closed_ = false;
    HWND window_ = nullptr;
    HWND promptLabel_ = nullptr;
    HWND statusLabel_ = nullptr;
    HWND progressBar_ = nullptr;
};

}  // namespace pellmar
