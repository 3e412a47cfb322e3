// The updater's window: the question, the two versions, the status label and the progress bar,
// with fixed positions and sizes. A thin Qt view: what "OK" does is RunUpdate's. Main thread.
#pragma once

#include "updater/AppMain.h"
#include "updater/UpdateSequence.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace pellmar {

class UpdateForm final : public QDialog, public UpdateView {
public:
    UpdateForm(const UpdatePrompt& prompt, UpdateServices& services, UpdateTimings timings = {});

    void ShowStatus(const std::string& text) override;
    void ShowProgress(std::uint32_t progress, std::uint32_t progressMax) override;
    void RequestClose() override;

    // For tests and the Enter key alike: what the "OK" button runs. Runs the sequence once only.
    void RunUpdateNow();
    UpdateOutcome Outcome() const { return outcome_; }

    QLabel* PromptLabel() const { return promptLabel_; }
    QLabel* StatusLabel() const { return statusLabel_; }
    QProgressBar* ProgressBar() const { return progressBar_; }
    QPushButton* OkButton() const { return okButton_; }

private:
    QLabel* AddLabel(const QString& text, int left, int top, bool bold);
    void BuildControls(const UpdatePrompt& prompt);

    UpdateJob job_;
    UpdateServices& services_;
    UpdateTimings timings_;
    bool sequenceRan_ = false;
    UpdateOutcome outcome_ = UpdateOutcome::NotRun;
    QLabel* promptLabel_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

}  // namespace pellmar
