// The restore window as a thin Qt view: the monitor choice, the folder tree, the kept copies, the
// point in time, the preview (text, or an image Qt can read) and the buttons, laid out as the
// other windows are. What each control does is RestoreFormPresenter's. Main thread.
#pragma once

#include "tray/ui/RestoreFormPresenter.h"

#include <QDialog>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pellmar {

class RestoreForm final : public QDialog, public RestoreFormView {
public:
    explicit RestoreForm(QWidget* parent = nullptr);

    // Set once, before the window is shown, with the monitor it is opened for.
    void SetPresenter(RestoreFormPresenter* presenter, MonitorId monitor);

    void ShowMonitors(const std::vector<std::string>& folders, int selected) override;
    void ShowTree(const std::vector<RestoreTreeNode>& nodes) override;
    int SelectedNode() const override;
    void SelectNode(int node) override;
    void ShowCopies(const std::vector<RestoreCopyRow>& rows) override;
    int SelectedCopy() const override;
    void SelectCopy(int row) override;
    void ShowPreview(const RestorePreview& preview) override;
    DateTime PointInTime() const override;
    void SetPointInTime(DateTime at) override;
    void SetPointInTimeEnabled(bool enabled) override;
    void SetRestoreEnabled(bool enabled) override;
    void SetRunning(bool running) override;
    void ShowStatus(const std::string& text) override;

    QComboBox* MonitorChoice() const { return monitors_; }
    QTreeWidget* Tree() const { return tree_; }
    QTreeWidget* Copies() const { return copies_; }
    QDateTimeEdit* At() const { return at_; }
    QPlainTextEdit* PreviewText() const { return previewText_; }
    QLabel* PreviewImage() const { return previewImage_; }
    QLabel* Status() const { return status_; }
    QPushButton* RestoreButton() const { return restore_; }
    QPushButton* RestoreToButton() const { return restoreTo_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* CloseButton() const { return close_; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void BuildLists();
    void BuildButtons();

    RestoreFormPresenter* presenter_ = nullptr;
    MonitorId monitor_ = 0;
    bool filling_ = false;  // the presenter's own changes are not the user's choices
    QComboBox* monitors_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    std::vector<QTreeWidgetItem*> nodes_;
    QTreeWidget* copies_ = nullptr;
    QDateTimeEdit* at_ = nullptr;
    QPlainTextEdit* previewText_ = nullptr;
    QLabel* previewImage_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* restore_ = nullptr;
    QPushButton* restoreTo_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace pellmar
