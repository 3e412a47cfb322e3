// The setup dialog's widgets. All controls use the 10-pixel font; the Browse buttons take no
// focus, so Tab walks the table's order without them and wraps from "Cancel" to the first box.
// Every button has its own mnemonic (Alt and the underlined letter), the two lists' included.
#include "tray/ui/qt/frmScannerForm.h"

#include "tray/ui/qt/BalloonTips.h"
#include "tray/ui/qt/QtControls.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace pellmar {
namespace {

constexpr int kFont = 10;

int Side(FilterList list) { return list == FilterList::Replicate ? 0 : 1; }

// The captions of a list's "Add", "Edit" and "Delete", with letters unique in the dialog.
struct ListCaptions {
    const char* add;
    const char* edit;
    const char* remove;
};
constexpr ListCaptions kListCaptions[2] = {{"&Add", "&Edit", "De&lete"}, {"A&dd", "Ed&it", "Dele&te"}};

}  // namespace

ScannerForm::ScannerForm(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(483, 360);
    setFont(PixelFont(kFont));
    tips_ = new BalloonTips(this, ToQt(kTipTitle));
    BuildControls();
    pellmar::CentreOnScreen(this);
}

ScannerForm::~ScannerForm() = default;

template <typename Command>
void ScannerForm::OnClick(QPushButton* button, Command command) {
    connect(button, &QPushButton::clicked, this, [this, command] {
        if (presenter_) command(*presenter_);
    });
}

QCheckBox* ScannerForm::AddCheckBox(const QString& text, int left, int top, int width) {
    auto* box = new QCheckBox(text, this);
    box->setGeometry(left, top, width, 17);
    focusOrder_.push_back(box);
    return box;
}

void ScannerForm::BuildControls() {
    AddLabel(this, "Folder to Replicate Changes:", 12, 56, kFont)->resize(153, 17);
    AddLabel(this, "File types to Exclude  (Exceptions)", 252, 108, kFont);
    AddLabel(this, "Folder to Monitor:", 12, 12, kFont)->resize(93, 17);
    versionsLabel_ = AddLabel(this, "Versions to Keep", 236, 240, kFont);
    versionsLabel_->resize(105, 17);
    versionsLabel_->setEnabled(false);
    AddLabel(this, "File Types To Replicate", 12, 108, kFont);
    monitorBox_ = new QLineEdit(this);
    monitorBox_->setGeometry(12, 32, 385, 21);
    backupBox_ = new QLineEdit(this);
    backupBox_->setGeometry(12, 76, 385, 21);
    replicate_ = new QListWidget(this);
    replicate_->setGeometry(12, 128, 141, 97);
    focusOrder_.insert(focusOrder_.end(), {monitorBox_, backupBox_, replicate_});
    BuildListButtons(FilterList::Replicate, 168);
    exclude_ = new QListWidget(this);
    exclude_->setGeometry(252, 128, 141, 93);
    focusOrder_.push_back(exclude_);
    BuildListButtons(FilterList::Exclude, 408);
    subfolders_ = AddCheckBox("Monitor SubFolders", 12, 260, 177);
    deletions_ = AddCheckBox("Replicate File Deletions", 12, 284, 189);
    exclusive_ = AddCheckBox("Wait for Exclusive Access to File", 12, 308, 189);
    enabled_ = new QRadioButton("Enabled", this);
    enabled_->setGeometry(396, 272, 77, 17);
    enabled_->setChecked(true);
    disabled_ = new QRadioButton("Disabled", this);
    disabled_->setGeometry(396, 292, 77, 17);
    ok_ = AddButton(this, "&OK", 304, 332, 75, 25, kFont);
    ok_->setDefault(true);
    auto* cancel = AddButton(this, "&Cancel", 396, 332, 75, 25, kFont);
    focusOrder_.insert(focusOrder_.end(), {enabled_, disabled_, ok_, cancel});
    OnClick(ok_, [](ScannerFormPresenter& p) { p.Ok(); });
    OnClick(cancel, [](ScannerFormPresenter& p) { p.Cancel(); });
    BuildBrowseAndVersions();
    for (std::size_t at = 1; at < focusOrder_.size(); ++at) setTabOrder(focusOrder_[at - 1], focusOrder_[at]);
}

void ScannerForm::BuildBrowseAndVersions() {
    auto* browseMonitor = AddButton(this, "&Browse", 408, 32, kButtonWidth, kButtonHeight, kFont);
    auto* browseBackup = AddButton(this, "B&rowse", 408, 76, kButtonWidth, kButtonHeight, kFont);
    browseMonitor->setFocusPolicy(Qt::NoFocus);
    browseBackup->setFocusPolicy(Qt::NoFocus);
    OnClick(browseMonitor, [](ScannerFormPresenter& p) { p.Browse(FolderBox::Monitor); });
    OnClick(browseBackup, [](ScannerFormPresenter& p) { p.Browse(FolderBox::Backup); });
    versions_ = AddCheckBox("Create Mutiple Versions of File", 12, 236, 177);
    versionsBox_ = new QLineEdit(this);
    versionsBox_->setGeometry(192, 236, 37, 21);
    versionsBox_->setEnabled(false);
    focusOrder_.push_back(versionsBox_);
    connect(versions_, &QCheckBox::clicked, this, [this] {
        if (presenter_) presenter_->VersionsClicked();
    });
    monitorBox_->installEventFilter(this);
    backupBox_->installEventFilter(this);
}

void ScannerForm::BuildListButtons(FilterList list, int left) {
    const int side = Side(list);
    const ListCaptions& captions = kListCaptions[side];
    auto* add = AddButton(this, captions.add, left, 132, kButtonWidth, kButtonHeight, kFont);
    listEdit_[side] = AddButton(this, captions.edit, left, 164, kButtonWidth, kButtonHeight, kFont);
    listDelete_[side] = AddButton(this, captions.remove, left, 196, kButtonWidth, kButtonHeight, kFont);
    listEdit_[side]->setEnabled(false);
    listDelete_[side]->setEnabled(false);
    focusOrder_.insert(focusOrder_.end(), {add, listEdit_[side], listDelete_[side]});
    OnClick(add, [list](ScannerFormPresenter& p) { p.AddFilter(list); });
    OnClick(listEdit_[side], [list](ScannerFormPresenter& p) { p.EditFilter(list); });
    OnClick(listDelete_[side], [list](ScannerFormPresenter& p) { p.DeleteFilter(list); });
    QListWidget* widget = List(list);
    // Shift and Ctrl select several entries; "Delete" removes them all.
    widget->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(widget, &QListWidget::itemDoubleClicked, this, [this, list] {
        if (presenter_) presenter_->EditFilter(list);
    });
    // Clicks and keys alike: the buttons follow what the list shows selected.
    connect(widget, &QListWidget::itemSelectionChanged, this, [this, list] {
        if (presenter_) presenter_->ListSelectionChanged(list);
    });
}

bool ScannerForm::eventFilter(QObject* watched, QEvent* event) {
    if (presenter_ && event->type() == QEvent::KeyRelease) {
        if (watched == monitorBox_) presenter_->FolderKeyReleased(FolderBox::Monitor);
        if (watched == backupBox_) presenter_->FolderKeyReleased(FolderBox::Backup);
    }
    return QDialog::eventFilter(watched, event);
}

void ScannerForm::SetCaption(const std::string& caption) { setWindowTitle(ToQt(caption)); }
std::string ScannerForm::FolderText(FolderBox box) const { return FromQt(Folder(box)->text()); }
void ScannerForm::SetFolderText(FolderBox box, const std::string& text) { Folder(box)->setText(ToQt(text)); }

std::vector<std::string> ScannerForm::ListItems(FilterList list) const {
    std::vector<std::string> items;
    const QListWidget* widget = List(list);
    for (int row = 0; row < widget->count(); ++row) items.push_back(FromQt(widget->item(row)->text()));
    return items;
}

void ScannerForm::AppendListItem(FilterList list, const std::string& text) { List(list)->addItem(ToQt(text)); }

void ScannerForm::ReplaceListItem(FilterList list, int index, const std::string& text) {
    if (QListWidgetItem* item = List(list)->item(index)) item->setText(ToQt(text));
}

void ScannerForm::RemoveListItem(FilterList list, int index) { delete List(list)->takeItem(index); }
std::vector<int> ScannerForm::SelectedListItems(FilterList list) const {
    const QListWidget* widget = List(list);
    std::vector<int> rows;
    for (int row = 0; row < widget->count(); ++row) {
        if (widget->item(row)->isSelected()) rows.push_back(row);
    }
    return rows;
}

void ScannerForm::SelectListItem(FilterList list, int index) {
    QListWidget* widget = List(list);
    if (index >= 0 && index < widget->count()) {
        widget->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        widget->scrollToItem(widget->item(index));
    } else {
        widget->clearSelection();
        widget->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    }
}

void ScannerForm::SetListButtonsEnabled(FilterList list, bool edit, bool remove) {
    listEdit_[Side(list)]->setEnabled(edit);
    listDelete_[Side(list)]->setEnabled(remove);
}

QCheckBox* ScannerForm::Switch(SetupSwitch which) const {
    switch (which) {
        case SetupSwitch::Subfolders: return subfolders_;
        case SetupSwitch::Deletions: return deletions_;
        case SetupSwitch::Exclusive: return exclusive_;
        case SetupSwitch::Versions: break;
    }
    return versions_;
}

bool ScannerForm::SwitchChecked(SetupSwitch which) const { return Switch(which)->isChecked(); }
void ScannerForm::SetSwitchChecked(SetupSwitch which, bool checked) { Switch(which)->setChecked(checked); }
std::string ScannerForm::VersionsText() const { return FromQt(versionsBox_->text()); }
void ScannerForm::SetVersionsText(const std::string& text) { versionsBox_->setText(ToQt(text)); }

void ScannerForm::SetVersionsEnabled(bool enabled) {
    versionsBox_->setEnabled(enabled);
    versionsLabel_->setEnabled(enabled);
}

bool ScannerForm::EnabledChecked() const { return enabled_->isChecked(); }

void ScannerForm::SetEnabledChecked(bool enabled) {
    enabled_->setChecked(enabled);
    disabled_->setChecked(!enabled);
}

QWidget* ScannerForm::TipTarget(TipControl control) const {
    switch (control) {
        case TipControl::ReplicateList: return replicate_;
        case TipControl::BackupBox: return backupBox_;
        case TipControl::MonitorBox: break;
    }
    return monitorBox_;
}

void ScannerForm::ShowTip(TipControl control, const std::string& text) { tips_->Attach(TipTarget(control), ToQt(text)); }
void ScannerForm::RemoveTip(TipControl control) { tips_->Remove(TipTarget(control)); }

void ScannerForm::PopTip(TipControl control) { tips_->Pop(TipTarget(control)); }

void ScannerForm::CloseDialog() { done(presenter_ && presenter_->Accepted() ? Accepted : Rejected); }

void ScannerForm::reject() {
    if (presenter_) {
        presenter_->Cancel();
    } else {
        QDialog::reject();
    }
}

}  // namespace pellmar

