// The configuration window as a thin Qt view: tab pages, the monitor list, its details pane,
// buttons, the list menu and the autostart checkbox, with fixed positions and sizes. What each
// control does is MainFormPresenter's. Main thread.
#pragma once

#include "tray/ui/MainFormPresenter.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace pellmar {

class MainForm final : public QDialog, public MainFormView {
public:
    MainForm();

    // Set once, before the presenter's Construct.
    void SetPresenter(MainFormPresenter* presenter) { presenter_ = presenter; }
    // Runs when the window has accepted its close (the program is exiting).
    void SetOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }

    void BeginListUpdate() override;
    void EndListUpdate() override;
    void AppendRow(const MonitorRowTexts& row) override;
    void SetRow(int index, const MonitorRowTexts& row) override;
    void RemoveRow(int index) override;
    int SelectedRow() const override;
    void SelectRow(int index) override;
    void ShowDetails(const MonitorDetails& details) override;
    void SetEditEnabled(bool enabled) override;
    void SetDeleteEnabled(bool enabled) override;
    void SetApplyEnabled(bool enabled) override;
    bool AutostartChecked() const override;
    void SetAutostartChecked(bool checked) override;
    void SetWaitCursor(bool wait) override;
    void CentreOnScreen() override;
    void ShowAndActivate() override;
    void HideWindow() override;
    void MinimiseWindow() override;
    void SetWindowCommandsVisible(bool visible) override;
    void PostClose() override;

    QTabWidget* Tabs() const { return tabs_; }
    QTreeWidget* List() const { return list_; }
    QMenu* ListMenu() const { return listMenu_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Escape
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMonitorPage(QWidget* page);
    void BuildDetails(QGroupBox* group);
    void BuildPreferencesPage(QWidget* page);
    void BuildListMenu();
    bool HandleClose();
    static void WriteRow(QTreeWidgetItem* item, const MonitorRowTexts& row);
    template <typename Command> void Connect(QPushButton* button, Command command);

    MainFormPresenter* presenter_ = nullptr;
    std::function<void()> onClosed_;
    bool closed_ = false;
    QTabWidget* tabs_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QMenu* listMenu_ = nullptr;
    QPushButton* editButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* viewLogButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QCheckBox* autostart_ = nullptr;
    std::array<QLabel*, 9> values_{};  // details pane values, in MonitorDetails order
};

}  // namespace pellmar
