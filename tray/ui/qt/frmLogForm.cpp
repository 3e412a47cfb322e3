// The event log window's widgets and its table model.
#include "tray/ui/qt/frmLogForm.h"

#include "tray/ui/LogFormLayout.h"

#include "tray/ui/Images.h"
#include "tray/ui/qt/QtControls.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace pellmar {

void LogTableModel::SetRows(const LogListModel* rows) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

int LogTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !rows_ ? 0 : rows_->Count();
}

int LogTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(kLogColumns.size()); }

QVariant LogTableModel::data(const QModelIndex& index, int role) const {
    if (!rows_ || !index.isValid() || index.row() >= rows_->Count()) return {};
    const LogListRow& row = rows_->Row(index.row());
    if (role == Qt::DisplayRole) return ToQt(LogColumnText(row, index.column()));
    if (role == Qt::DecorationRole && index.column() == 0) {
        const QPixmap image = LogImage(row.image);
        if (!image.isNull()) return image;
    }
    return {};
}

QVariant LogTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(kLogColumns.size())) return {};
    if (role == Qt::DisplayRole) return QString(kLogColumns[static_cast<std::size_t>(section)].caption);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

LogForm::LogForm(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle("Pellmar Event Log");
    setWindowIcon(QIcon());
    setFixedSize(593, 527);
    MoveOntoScreen(this, 436, 209);
    list_ = new QTableView(this);
    list_->setGeometry(0, 0, 593, 279);
    list_->setModel(&model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    list_->setIconSize(QSize(kLogImageSize, kLogImageSize));
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->verticalHeader()->setDefaultSectionSize(18);
    list_->horizontalHeader()->setHighlightSections(false);
    for (std::size_t column = 0; column < kLogColumns.size(); ++column) {
        list_->setColumnWidth(static_cast<int>(column), kLogColumns[column].width);
    }
    list_->viewport()->installEventFilter(this);
    // The arrow keys move the selection too; the pane must follow it, not only clicks.
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (presenter_) presenter_->ListClicked();
    });
    // Entries logged while the window is open appear in it.
    auto* refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, [this] {
        if (presenter_ && isVisible()) presenter_->Refresh();
    });
    refresh->start(kLogRefreshMilliseconds);
    auto* close = AddButton(this, "&Close", 520, 496, kButtonWidth, kButtonHeight, 10);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    BuildDetailPane();
}

void LogForm::BuildDetailPane() {
    auto* group = new QGroupBox("Event Detail ", this);
    group->setFont(PixelFont(8));
    group->setGeometry(4, 284, 585, 205);
    const int fontHeight = kDefaultFontHeight;
    cancel_ = AddButton(group, "Cancel &Operation", 472, 16, 101, kButtonHeight, fontHeight);
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (presenter_) presenter_->CancelOperation();
    });
    for (std::size_t line = 0; line < kLogDetailLines.size(); ++line) {
        const LogDetailLine& detail = kLogDetailLines[line];
        QLabel* name = AddLabel(group, detail.name, detail.left, detail.top, fontHeight, true);
        FitLabelWidth(name, detail.valueLeft - detail.left - 4);
        values_[line] = AddLabel(group, QString(), detail.valueLeft, detail.top, fontHeight);
    }
    AddLabel(group, "Description:", 8, 108, fontHeight, true)->setFixedHeight(13);
    description_ = new QLineEdit(group);
    description_->setFont(PixelFont(fontHeight));
    description_->setGeometry(8, 124, 569, 73);
}

void LogForm::SetPresenter(LogFormPresenter* presenter) {
    presenter_ = presenter;
    model_.SetRows(presenter ? &presenter->Rows() : nullptr);
}

void LogForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (presenter_ && !event->spontaneous()) presenter_->Shown();
}

bool LogForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonRelease && presenter_) {
        presenter_->ListClicked();
    }
    return QDialog::eventFilter(watched, event);
}

std::string LogForm::Caption() const { return FromQt(windowTitle()); }
void LogForm::SetCaption(const std::string& caption) { setWindowTitle(ToQt(caption)); }
void LogForm::BeginRowsUpdate() { model_.BeginReload(); }
void LogForm::EndRowsUpdate() { model_.EndReload(); }

int LogForm::SelectedRow() const {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void LogForm::SelectRow(int row) { list_->selectRow(row); }

void LogForm::ShowDetail(const LogDetail& detail) {
    const std::array<const std::string*, 6> texts{&detail.date, &detail.time, &detail.type, &detail.operation,
                                                  &detail.source, &detail.destination};
    for (std::size_t line = 0; line < texts.size(); ++line) {
        values_[line]->setText(ToQt(*texts[line]));
        values_[line]->adjustSize();
    }
    description_->setText(ToQt(detail.description));
    description_->setCursorPosition(0);
}

void LogForm::SetCancelVisible(bool visible) { cancel_->setVisible(visible); }

}  // namespace pellmar
