// The setup dialog as a thin Win32 view: the controls in their creation (and focus) order with
// fixed geometry and the balloon tips. What each control does is
// ScannerFormPresenter's. Main thread; made for one use and destroyed after the caller has read it.
#pragma once

#include "common/win32/Win32Controls.h"
#include "tray/ui/ScannerFormPresenter.h"
#include "tray/ui/win32/BalloonTips.h"

#include <memory>

namespace pellmar {

class ScannerForm final : public ScannerFormView, private win32ui::FormHandler {
public:
    explicit ScannerForm(HWND owner);
    ~ScannerForm() override;
    ScannerForm(const ScannerForm&) = delete;
    ScannerForm& operator=(const ScannerForm&) = delete;

    void SetPresenter(ScannerFormPresenter* presenter) { presenter_ = presenter; }
    // Shows the dialog modally until CloseDialog; at once when the window could not be made.
    void RunModal();

    void SetCaption(const std::string& caption) override;
    std::string FolderText(FolderBox box) const override;
    void SetFolderText(FolderBox box, const std::string& text) override;
    std::vector<std::string> ListItems(FilterList list) const override;
    void AppendListItem(FilterList list, const std::string& text) override;
    void ReplaceListItem(FilterList list, int index, const std::string& text) override;
    void RemoveListItem(FilterList list, int index) override;
    std::vector<int> SelectedListItems(FilterList list) const override;
    void SelectListItem(FilterList list, int index) override;
    void SetListButtonsEnabled(FilterList list, bool edit, bool remove) override;
    bool SwitchChecked(SetupSwitch which) const override;
    void SetSwitchChecked(SetupSwitch which, bool checked) override;
    std::string VersionsText() const override;
    void SetVersionsText(const std::string& text) override;
    void SetVersionsEnabled(bool enabled) override;
    bool EnabledChecked() const override;
    void SetEnabledChecked(bool enabled) override;
    void ShowTip(TipControl control, const std::string& text) override;
    void RemoveTip(TipControl control) override;
    void PopTip(TipControl control) override;
    void CloseDialog() override;

    HWND Window() const { return window_; }
    HWND TipTarget(TipControl control) const;
    const win32ui::BalloonTips& Tips() const { return *tips_; }
    HWND Folder(FolderBox box) const { return box == FolderBox::Monitor ? monitorBox_ : backupBox_; }
    HWND List(FilterList list) const { return list == FilterList::Replicate ? replicate_ : exclude_; }
    HWND ListEditButton(FilterList list) const { return listEdit_[list == FilterList::Replicate ? 0 : 1]; }
    HWND ListDeleteButton(FilterList list) const { return listDelete_[list == FilterList::Replicate ? 0 : 1]; }

private:
    void BuildControls();
    void BuildListButtons(FilterList list, int left);
    HWND Switch(SetupSwitch which) const;
    void Command(int id, int notification);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    static LRESULT CALLBACK WatchControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR form);

    HWND owner_;
    HWND window_ = nullptr;
    std::unique_ptr<win32ui::BalloonTips> tips_;
    ScannerFormPresenter* presenter_ = nullptr;
    bool closed_ = false;
    HWND versionsLabel_ = nullptr;
    HWND monitorBox_ = nullptr;
    HWND backupBox_ = nullptr;
    HWND replicate_ = nullptr;
    HWND exclude_ = nullptr;
    HWND listEdit_[2] = {};
    HWND listDelete_[2] = {};
    HWND subfolders_ = nullptr;
    HWND deletions_ = nullptr;
    HWND exclusive_ = nullptr;
    HWND versions_ = nullptr;
    HWND versionsBox_ = nullptr;
    HWND enabled_ = nullptr;
    HWND disabled_ = nullptr;
};

}  // namespace pellmar
