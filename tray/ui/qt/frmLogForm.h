// The event log window as a thin Qt view: the event list (a table model over the loaded rows, so
// a month of entries opens fast), the detail pane and "Cancel Operation", at a fixed screen
// position. What each control does is LogFormPresenter's. Main thread.
#pragma once

#include "tray/ui/LogFormPresenter.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace pellmar {

// The rows of a LogListModel as a Qt table; it does not own them.
class LogTableModel final : public QAbstractTableModel {
public:
    explicit LogTableModel(const LogListModel* rows, QObject* parent = nullptr) : QAbstractTableModel(parent), rows_(rows) {}
    void SetRows(const LogListModel* rows);
    void BeginReload() { beginResetModel(); }
    void EndReload() { endResetModel(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const LogListModel* rows_;
};

class LogForm final : public QDialog, public LogFormView {
public:
    explicit LogForm(QWidget* parent = nullptr);

    // Set once, before the window is shown.
    void SetPresenter(LogFormPresenter* presenter);

    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;
    void BeginRowsUpdate() override;
    void EndRowsUpdate() override;
    int SelectedRow() const override;
    void SelectRow(int row) override;
    void ShowDetail(const LogDetail& detail) override;
    void SetCancelVisible(bool visible) override;

    QTableView* List() const { return list_; }
    QPushButton* CancelOperationButton() const { return cancel_; }
    QLineEdit* DescriptionBox() const { return description_; }
    QLabel* Value(int index) const { return values_.at(static_cast<std::size_t>(index)); }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildDetailPane();

    LogFormPresenter* presenter_ = nullptr;
    LogTableModel model_{nullptr};
    QTableView* list_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLineEdit* description_ = nullptr;
    std::array<QLabel*, 6> values_{};  // date, time, type, operation, source, destination
};

}  // namespace pellmar
