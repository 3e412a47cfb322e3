// The setup dialog as a thin Qt view: the controls in their creation (and focus) order with fixed
// geometry and the balloon tips. What each control does is ScannerFormPresenter's.
// Main thread; made for one use and destroyed after the caller has read it.
#pragma once

#include "tray/ui/ScannerFormPresenter.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace pellmar {

class BalloonTips;

class ScannerForm final : public QDialog, public ScannerFormView {
public:
    explicit ScannerForm(QWidget* parent = nullptr);
    ~ScannerForm() override;

    void SetPresenter(ScannerFormPresenter* presenter) { presenter_ = presenter; }

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

    QWidget* TipTarget(TipControl control) const;
    BalloonTips& Tips() const { return *tips_; }
    // The controls of the focus order, in that order.
    const std::vector<QWidget*>& FocusOrder() const { return focusOrder_; }
    QPushButton* OkButton() const { return ok_; }
    QLineEdit* Folder(FolderBox box) const { return box == FolderBox::Monitor ? monitorBox_ : backupBox_; }
    QListWidget* List(FilterList list) const { return list == FilterList::Replicate ? replicate_ : exclude_; }
    QPushButton* ListEditButton(FilterList list) const { return listEdit_[list == FilterList::Replicate ? 0 : 1]; }
    QPushButton* ListDeleteButton(FilterList list) const { return listDelete_[list == FilterList::Replicate ? 0 : 1]; }

protected:
    void reject() override;  // Escape and the close box
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildListButtons(FilterList list, int left);
    void BuildBrowseAndVersions();  // created last, as the focus order has them
    QCheckBox* AddCheckBox(const QString& text, int left, int top, int width);
    template <typename Command> void OnClick(QPushButton* button, Command command);
    QCheckBox* Switch(SetupSwitch which) const;

    ScannerFormPresenter* presenter_ = nullptr;
    BalloonTips* tips_ = nullptr;
    QLabel* versionsLabel_ = nullptr;
    QLineEdit* monitorBox_ = nullptr;
    QLineEdit* backupBox_ = nullptr;
    QListWidget* replicate_ = nullptr;
    QListWidget* exclude_ = nullptr;
    QPushButton* listEdit_[2] = {};
    QPushButton* listDelete_[2] = {};
    QCheckBox* subfolders_ = nullptr;
    QCheckBox* deletions_ = nullptr;
    QCheckBox* exclusive_ = nullptr;
    QCheckBox* versions_ = nullptr;
    QLineEdit* versionsBox_ = nullptr;
    QRadioButton* enabled_ = nullptr;
    QRadioButton* disabled_ = nullptr;
    QPushButton* ok_ = nullptr;
    std::vector<QWidget*> focusOrder_;
};

}  // namespace pellmar
