// The configuration window's widgets. Geometry is in logical pixels, so HiDPI scales it.
#include "tray/ui/qt/frmMainForm.h"

#include "tray/ui/MainFormLayout.h"
#include "tray/ui/TextFitting.h"
#include "tray/ui/qt/QtControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace pellmar {
namespace {

// A path has no blanks to break at: offer a break after every delimiter.
QString Breakable(const std::string& path) {
    QString text = ToQt(path);
    text.replace('/', QStringLiteral("/\u200B"));
    text.replace('\\', QStringLiteral("\\\u200B"));
    return text;
}

}  // namespace

MainForm::MainForm() {
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle("Pellmar Configuration");
    setFixedSize(622, 418);
    tabs_ = new QTabWidget(this);
    tabs_->setGeometry(8, 8, 609, 373);
    tabs_->setFont(PixelFont(10));
    auto* monitors = new QWidget;
    auto* preferences = new QWidget;
    tabs_->addTab(monitors, "Monitored Folders");
    tabs_->addTab(preferences, "Preferences");
    BuildMonitorPage(monitors);
    BuildPreferencesPage(preferences);
    BuildListMenu();
    auto* close = AddButton(this, "&Close", 540, 388, 75, 25, 10);
    close->setDefault(true);
    Connect(close, &MainFormPresenter::Close);
    viewLogButton_ = AddButton(this, "&View Log", 8, 388, 75, 25, 10);
    exitButton_ = AddButton(this, "E&xit", 88, 388, 75, 25, 10);
    Connect(viewLogButton_, &MainFormPresenter::ViewLog);
    Connect(exitButton_, &MainFormPresenter::Exit);
    SetWindowCommandsVisible(false);
}

template <typename Command>
void MainForm::Connect(QPushButton* button, Command command) {
    connect(button, &QPushButton::clicked, this, [this, command] {
        if (presenter_) (presenter_->*command)();
    });
}

void MainForm::BuildMonitorPage(QWidget* page) {
    list_ = new QTreeWidget(page);
    list_->setGeometry(4, 8, 589, 129);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setHeaderLabels({"Monitored Folder", "Monitored Types", "Status"});
    list_->setColumnWidth(0, 350);
    list_->setColumnWidth(1, 150);
    list_->setColumnWidth(2, 70);
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->header()->setStretchLastSection(false);
    list_->setContextMenuPolicy(Qt::PreventContextMenu);
    list_->viewport()->installEventFilter(this);
    list_->installEventFilter(this);  // the Delete key
    // The arrow keys move the selection too; the pane must follow it, not only clicks.
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (presenter_) presenter_->ListClicked();
    });
    // What each monitor is doing changes by itself; it is looked at while the window is shown.
    auto* states = new QTimer(this);
    connect(states, &QTimer::timeout, this, [this] {
        if (presenter_ && isVisible()) presenter_->RefreshStates();
    });
    states->start(kStateRefreshMilliseconds);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (presenter_) presenter_->Edit();
    });
    // One-click activation, as the Win32 list has it: a click on a row leaves that row selected
    // and shown, also a Ctrl+click on the selected row, which would otherwise clear the selection.
    connect(list_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item && !item->isSelected()) list_->setCurrentItem(item);
    });
    Connect(AddButton(page, "&Add", 356, 316, 75, 25, 8), &MainFormPresenter::Add);
    editButton_ = AddButton(page, "&Edit", 440, 316, 75, 25, 8);
    deleteButton_ = AddButton(page, "&Delete", 520, 316, 75, 25, 8);
    editButton_->setEnabled(false);
    deleteButton_->setEnabled(false);
    Connect(editButton_, &MainFormPresenter::Edit);
    Connect(deleteButton_, &MainFormPresenter::Delete);
    auto* group = new QGroupBox("Settings", page);
    group->setFont(PixelFont(8));
    group->setGeometry(4, 144, 593, 165);
    BuildDetails(group);
}

void MainForm::BuildDetails(QGroupBox* group) {
    for (std::size_t line = 0; line < kDetailLines.size(); ++line) {
        const DetailLine& detail = kDetailLines[line];
        QLabel* name = AddLabel(group, detail.name, detail.nameLeft, detail.top, kDefaultFontHeight, true);
        FitLabelWidth(name, detail.valueLeft - detail.nameLeft - 4);
        QLabel* value = AddLabel(group, QString(), detail.valueLeft, detail.top, kDefaultFontHeight);
        value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (detail.wraps) {
            value->setWordWrap(true);
            value->setFixedWidth(kPathValueWidth);
        }
        values_[line] = value;
    }
}

void MainForm::BuildPreferencesPage(QWidget* page) {
    auto* group = new QGroupBox("Settings", page);
    group->setFont(PixelFont(8));
    group->setGeometry(4, 4, 589, 69);
    autostart_ = new QCheckBox("Automatically start Pellmar when Windows is Started", group);
    autostart_->setFont(PixelFont(kDefaultFontHeight));
    autostart_->move(12, 24);
    autostart_->adjustSize();
    connect(autostart_, &QCheckBox::clicked, this, [this] {
        if (presenter_) presenter_->AutostartClicked();
    });
    applyButton_ = AddButton(page, "A&pply", 524, 312, 75, 25, 8);
    applyButton_->setEnabled(false);
    Connect(applyButton_, &MainFormPresenter::Apply);
}

void MainForm::BuildListMenu() {
    listMenu_ = new QMenu(this);
    connect(listMenu_->addAction("Enable"), &QAction::triggered, this, [this] {
        if (presenter_) presenter_->Enable();
    });
    connect(listMenu_->addAction("Disable"), &QAction::triggered, this, [this] {
        if (presenter_) presenter_->Disable();
    });
    listMenu_->addSeparator();
    connect(listMenu_->addAction("Restore..."), &QAction::triggered, this, [this] {
        if (presenter_) presenter_->Restore();
    });
}

// The select command follows every click, left or right, once the list has updated its
// selection; the right button then opens the list menu at the pointer.
bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete && presenter_) {
        presenter_->DeleteKeyPressed();
        return true;
    }
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (presenter_) presenter_->ListClicked();
        if (mouse->button() == Qt::RightButton) listMenu_->popup(mouse->globalPosition().toPoint());
    }
    return QDialog::eventFilter(watched, event);
}

void MainForm::BeginListUpdate() { list_->setUpdatesEnabled(false); }
void MainForm::EndListUpdate() { list_->setUpdatesEnabled(true); }

// The cells are elided where too narrow; their tooltips carry the whole text.
void MainForm::WriteRow(QTreeWidgetItem* item, const MonitorRowTexts& row) {
    const std::array<const std::string*, 3> texts{&row.folder, &row.types, &row.status};
    for (int column = 0; column < 3; ++column) {
        item->setText(column, ToQt(*texts[static_cast<std::size_t>(column)]));
        item->setToolTip(column, ToQt(CellTip(row, column)));
    }
}

void MainForm::AppendRow(const MonitorRowTexts& row) {
    WriteRow(new QTreeWidgetItem(list_), row);
}

void MainForm::SetRow(int index, const MonitorRowTexts& row) {
    if (QTreeWidgetItem* item = list_->topLevelItem(index)) WriteRow(item, row);
}

void MainForm::RemoveRow(int index) { delete list_->takeTopLevelItem(index); }

int MainForm::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected.front());
}

void MainForm::SelectRow(int index) {
    if (QTreeWidgetItem* item = list_->topLevelItem(index)) list_->setCurrentItem(item);
}

// A value too long for its room is shortened, whole in its tooltip, so that it never draws over
// the next row or the next label of its row.
void MainForm::ShowDetails(const MonitorDetails& details) {
    const std::array<const std::string*, 9> texts = DetailTexts(details);
    for (std::size_t line = 0; line < texts.size(); ++line) {
        QLabel* value = values_[line];
        const ValueRoom room = DetailValueRoom(line);
        const QFontMetrics metrics(value->font());
        const bool wraps = kDetailLines[line].wraps;
        const std::string shown = FitByEliding(*texts[line], wraps ? Elision::Middle : Elision::End,
                                               [&](const std::string& text) {
            if (!wraps) return metrics.horizontalAdvance(ToQt(text)) <= room.width;
            const QRect bounds(0, 0, kPathValueWidth, 100000);
            return metrics.boundingRect(bounds, Qt::TextWordWrap, Breakable(text)).height() <= room.height;
        });
        value->setText(wraps ? Breakable(shown) : ToQt(shown));
        value->setToolTip(shown == *texts[line] ? QString() : ToQt(*texts[line]));
        value->adjustSize();
    }
}

void MainForm::SetEditEnabled(bool enabled) { editButton_->setEnabled(enabled); }
void MainForm::SetDeleteEnabled(bool enabled) { deleteButton_->setEnabled(enabled); }
void MainForm::SetApplyEnabled(bool enabled) { applyButton_->setEnabled(enabled); }
bool MainForm::AutostartChecked() const { return autostart_->isChecked(); }
void MainForm::SetAutostartChecked(bool checked) { autostart_->setChecked(checked); }

void MainForm::SetWaitCursor(bool wait) {
    if (wait) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void MainForm::CentreOnScreen() { pellmar::CentreOnScreen(this); }

void MainForm::ShowAndActivate() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void MainForm::HideWindow() { hide(); }
void MainForm::MinimiseWindow() { showMinimized(); }

// Without a tray the window needs a taskbar button, or a minimised window could not come back.
void MainForm::SetWindowCommandsVisible(bool visible) {
    viewLogButton_->setVisible(visible);
    exitButton_->setVisible(visible);
    const bool shown = isVisible();
    const Qt::WindowFlags kind = visible ? Qt::Window : Qt::Tool;
    setWindowFlags(kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   (visible ? Qt::WindowMinimizeButtonHint : Qt::WindowFlags()));
    if (shown) show();
}

void MainForm::PostClose() {
    QTimer::singleShot(0, this, [this] { HandleClose(); });
}

bool MainForm::HandleClose() {
    if (closed_) return true;
    if (!presenter_ || !presenter_->CloseRequested()) return false;
    closed_ = true;
    hide();
    if (onClosed_) onClosed_();
    return true;
}

void MainForm::closeEvent(QCloseEvent* event) {
    // The presenter hides (or minimises) the window itself when the close is refused.
    event->ignore();
    HandleClose();
}

void MainForm::reject() { if (presenter_) presenter_->Close(); }

}  // namespace pellmar
