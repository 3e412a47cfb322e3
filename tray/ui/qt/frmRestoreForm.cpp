// The restore window's widgets. The copies are a flat QTreeWidget, whose header and row look
// match the folder tree beside it.
#include "tray/ui/qt/frmRestoreForm.h"

#include "tray/ui/qt/QtControls.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTreeWidget>

#include <array>

namespace pellmar {
namespace {

QRect Place(const RestoreBox& box) { return QRect(box.left, box.top, box.width, box.height); }

}  // namespace

RestoreForm::RestoreForm(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle("Pellmar Restore");
    setWindowIcon(QIcon());
    setFixedSize(kRestoreWidth, kRestoreHeight);
    QLabel* monitorLabel =
        AddLabel(this, "&Monitor:", kRestoreMonitorLabel.left, kRestoreMonitorLabel.top, kDefaultFontHeight, true);
    monitors_ = new QComboBox(this);
    monitorLabel->setBuddy(monitors_);
    monitors_->setFont(PixelFont(kDefaultFontHeight));
    monitors_->setGeometry(Place(kRestoreMonitorChoice));
    connect(monitors_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (presenter_ && !filling_) presenter_->MonitorChosen(index);
    });
    BuildLists();
    BuildButtons();
    CentreOnScreen(this);
}

void RestoreForm::BuildLists() {
    tree_ = new QTreeWidget(this);
    tree_->setGeometry(Place(kRestoreTree));
    tree_->setHeaderLabel("Folders and files");
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] {
        if (presenter_ && !filling_) presenter_->NodeSelected();
    });
    copies_ = new QTreeWidget(this);
    copies_->setGeometry(Place(kRestoreCopies));
    copies_->setRootIsDecorated(false);
    copies_->setColumnCount(static_cast<int>(kRestoreColumns.size()));
    QStringList captions;
    for (std::size_t column = 0; column < kRestoreColumns.size(); ++column) {
        captions << kRestoreColumns[column].caption;
        copies_->setColumnWidth(static_cast<int>(column), kRestoreColumns[column].width);
    }
    copies_->setHeaderLabels(captions);
    connect(copies_, &QTreeWidget::currentItemChanged, this, [this] {
        if (presenter_ && !filling_) presenter_->CopySelected();
    });
    QLabel* atLabel =
        AddLabel(this, "As it was &at:", kRestoreAtLabel.left, kRestoreAtLabel.top, kDefaultFontHeight, true);
    at_ = new QDateTimeEdit(this);
    atLabel->setBuddy(at_);
    at_->setFont(PixelFont(kDefaultFontHeight));
    at_->setGeometry(Place(kRestoreAt));
    at_->setDisplayFormat("yyyy-MM-dd HH:mm:ss");
    at_->setCalendarPopup(true);
    auto* group = new QGroupBox("Preview", this);
    group->setFont(PixelFont(8));
    group->setGeometry(Place(kRestorePreviewGroup));
    previewText_ = new QPlainTextEdit(group);
    previewText_->setFont(PixelFont(kDefaultFontHeight));
    previewText_->setGeometry(Place(kRestorePreview));
    previewText_->setReadOnly(true);
    previewImage_ = new QLabel(group);
    previewImage_->setGeometry(Place(kRestorePreview));
    previewImage_->setAlignment(Qt::AlignCenter);
    previewImage_->hide();
    status_ = new QLabel(this);
    status_->setFont(PixelFont(kDefaultFontHeight));
    status_->setGeometry(Place(kRestoreStatus));
}

void RestoreForm::BuildButtons() {
    const auto add = [this](const char* text, const RestoreBox& box, void (RestoreFormPresenter::*command)()) {
        QPushButton* button = AddButton(this, text, box.left, box.top, box.width, box.height, 10);
        connect(button, &QPushButton::clicked, this, [this, command] {
            if (presenter_) (presenter_->*command)();
        });
        return button;
    };
    restore_ = add("&Restore", kRestoreButton, &RestoreFormPresenter::Restore);
    restoreTo_ = add("Restore &to...", kRestoreToButton, &RestoreFormPresenter::RestoreTo);
    cancel_ = add("Ca&ncel", kRestoreCancelButton, &RestoreFormPresenter::Cancel);
    cancel_->hide();
    close_ = AddButton(this, "&Close", kRestoreCloseButton.left, kRestoreCloseButton.top, kRestoreCloseButton.width,
                       kRestoreCloseButton.height, 10);
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
}

void RestoreForm::SetPresenter(RestoreFormPresenter* presenter, MonitorId monitor) {
    presenter_ = presenter;
    monitor_ = monitor;
}

void RestoreForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (presenter_ && !event->spontaneous()) presenter_->Shown(monitor_);
}

// Every way out (Close, Escape, the close box) waits for a running restore to stop first.
void RestoreForm::done(int result) {
    if (presenter_) presenter_->Closing();
    QDialog::done(result);
}

void RestoreForm::ShowMonitors(const std::vector<std::string>& folders, int selected) {
    filling_ = true;
    monitors_->clear();
    for (const std::string& folder : folders) monitors_->addItem(ToQt(folder));
    monitors_->setCurrentIndex(selected);
    filling_ = false;
}

void RestoreForm::ShowTree(const std::vector<RestoreTreeNode>& nodes) {
    filling_ = true;
    tree_->clear();
    nodes_.clear();
    for (const RestoreTreeNode& node : nodes) {
        QTreeWidgetItem* item = node.parent < 0 ? new QTreeWidgetItem(tree_)
                                                : new QTreeWidgetItem(nodes_[static_cast<std::size_t>(node.parent)]);
        item->setText(0, ToQt(node.name));
        item->setIcon(0, style()->standardIcon(node.folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon));
        nodes_.push_back(item);
    }
    if (!nodes_.empty()) nodes_.front()->setExpanded(true);
    filling_ = false;
}

int RestoreForm::SelectedNode() const {
    for (std::size_t n = 0; n < nodes_.size(); ++n)
        if (nodes_[n] == tree_->currentItem()) return static_cast<int>(n);
    return -1;
}

void RestoreForm::SelectNode(int node) {
    if (node < 0 || node >= static_cast<int>(nodes_.size())) return;
    filling_ = true;
    tree_->setCurrentItem(nodes_[static_cast<std::size_t>(node)]);
    filling_ = false;
}

void RestoreForm::ShowCopies(const std::vector<RestoreCopyRow>& rows) {
    filling_ = true;
    copies_->clear();
    for (const RestoreCopyRow& row : rows) {
        auto* item = new QTreeWidgetItem(copies_);
        const std::array<const std::string*, 5> texts{&row.version, &row.date, &row.time, &row.size, &row.note};
        for (std::size_t column = 0; column < texts.size(); ++column)
            item->setText(static_cast<int>(column), ToQt(*texts[column]));
    }
    filling_ = false;
}

int RestoreForm::SelectedCopy() const {
    QTreeWidgetItem* current = copies_->currentItem();
    return current ? copies_->indexOfTopLevelItem(current) : -1;
}

void RestoreForm::SelectCopy(int row) {
    filling_ = true;
    copies_->setCurrentItem(copies_->topLevelItem(row));
    filling_ = false;
}

void RestoreForm::ShowPreview(const RestorePreview& preview) {
    QPixmap image;
    if (preview.kind == RestorePreview::Kind::Image) image.load(ToQt(preview.imagePath));
    const bool showImage = !image.isNull();
    if (showImage) {
        previewImage_->setPixmap(image.scaled(previewImage_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else {
        previewText_->setPlainText(preview.kind == RestorePreview::Kind::Image ? "The image cannot be read."
                                                                                : ToQt(preview.text));
    }
    previewImage_->setVisible(showImage);
    previewText_->setVisible(!showImage);
}

DateTime RestoreForm::PointInTime() const {
    const QDateTime at = at_->dateTime();
    const QDate date = at.date();
    const QTime time = at.time();
    return EncodeDateTime({date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(), 0});
}

void RestoreForm::SetPointInTime(DateTime at) {
    const DateTimeFields f = DecodeDateTime(at);
    at_->setDateTime(QDateTime(QDate(f.year, f.month, f.day), QTime(f.hour, f.minute, f.second)));
}

void RestoreForm::SetPointInTimeEnabled(bool enabled) { at_->setEnabled(enabled); }

void RestoreForm::SetRestoreEnabled(bool enabled) {
    restore_->setEnabled(enabled);
    restoreTo_->setEnabled(enabled);
}

void RestoreForm::SetRunning(bool running) {
    for (QWidget* control : std::initializer_list<QWidget*>{monitors_, tree_, copies_, restore_, restoreTo_, close_})
        control->setEnabled(!running);
    if (running) at_->setEnabled(false);
    cancel_->setVisible(running);
}

void RestoreForm::ShowStatus(const std::string& text) { status_->setText(ToQt(text)); }

}  // namespace pellmar
