// The Qt views as thin views, offscreen: captions and geometry, the Tab order of the setup
// dialog, Enter pressing the default button, the close box that hides, and the log model; the
// filter lists' selection, the mnemonics, the popped requirement tip and one-click activation.
#include "tests/ui/FakeMainForm.h"
#include "tests/ui/QtTestApplication.h"
#include "tray/ui/Images.h"
#include "tray/ui/qt/BalloonTips.h"
#include "tray/ui/qt/QtControls.h"
#include "tray/ui/qt/frmInputBox.h"
#include "tray/ui/qt/frmLogForm.h"
#include "tray/ui/qt/frmMainForm.h"
#include "tray/ui/qt/frmRestoreForm.h"
#include "tray/ui/qt/QtDispatcher.h"
#include "tests/support/TempFolder.h"
#include "tray/ctl/DatabaseStore.h"
#include "tray/ui/qt/frmScannerForm.h"
#include "tray/util/Lists.h"

#include <QComboBox>
#include <QCursor>
#include <QDateTimeEdit>
#include <QImage>
#include <QPlainTextEdit>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>

namespace pellmar::test {
namespace {

// By the caption as shown, without its mnemonic's "&".
QPushButton* Button(QWidget& window, const QString& text) {
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (QString(button->text()).remove('&') == text) return button;
    }
    return nullptr;
}

// The fixed position where the window fits on the screen; shifted onto it where it would not
// (the offscreen screen is 800 x 600, smaller than the positions assume).
QPoint OnScreen(int left, int top, QSize size) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(size.width(), area.width());
    return QPoint(std::min(left, area.right() + 1 - size.width()), std::min(top, area.bottom() + 1 - size.height()));
}

class NoPrompts final : public Prompter {
public:
    std::string InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> BrowseForFolder(const std::string&) override { return std::nullopt; }
    bool Confirm(const std::string&) override { return false; }
};

// Answers every input box with the next answer and keeps what each one showed.
class ScriptedPrompts final : public Prompter {
public:
    std::string InputBox(const std::string& caption, const std::string&, const std::string& text) override {
        asked.push_back(caption + "|" + text);
        if (answers.empty()) return {};
        std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    std::optional<std::string> BrowseForFolder(const std::string&) override { return std::nullopt; }
    bool Confirm(const std::string&) override { return false; }
    std::vector<std::string> answers;
    std::vector<std::string> asked;
};

QStringList Entries(const QListWidget* list) {
    QStringList entries;
    for (int row = 0; row < list->count(); ++row) entries << list->item(row)->text();
    return entries;
}

void ClickEntry(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(list->item(row)).center());
}

// Alt and the letter, as the user types a mnemonic; the button clicks once its press has shown.
void PressMnemonic(QWidget* window, char letter) {
    QTest::keyClick(window, static_cast<Qt::Key>(Qt::Key_A + (letter - 'a')), Qt::AltModifier);
    QTest::qWait(200);
}

void ShowActive(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// The letter after each button's "&"; fails for a button without one.
std::vector<QChar> MnemonicLetters(QWidget& window) {
    std::vector<QChar> letters;
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        const QString text = button->text();
        const qsizetype at = text.indexOf('&');
        EXPECT_TRUE(at >= 0 && at + 1 < text.size() && text[at + 1].isLetter()) << text.toStdString();
        if (at >= 0 && at + 1 < text.size()) letters.push_back(text[at + 1].toLower());
    }
    return letters;
}

bool AllDifferent(std::vector<QChar> letters) {
    std::sort(letters.begin(), letters.end());
    return std::adjacent_find(letters.begin(), letters.end()) == letters.end();
}

ScannerValues Monitor(const std::string& root) {
    ScannerValues values;
    values.root = root;
    values.backuppath = root + "-backup";
    values.filters = {"*"};
    values.status = 1;
    return values;
}

// The folder the details pane shows, without the break points the pane puts into paths.
QString ShownFolder(QWidget& window) {
    for (QLabel* label : window.findChildren<QLabel*>()) {
        QString text = label->text();
        text.remove(QChar(0x200B));
        if (text.startsWith("/data/")) return text;
    }
    return {};
}

TEST(MainFormViewTest, LayoutTextsAndTheCloseThatHides) {
    std::vector<std::string> log;
    FakeServices services(log);
    FakeSession session(log);
    MainForm window;
    MainFormPresenter presenter(window, services, session);
    window.SetPresenter(&presenter);
    presenter.Construct(true);
    EXPECT_EQ(window.windowTitle(), "Pellmar Configuration");
    EXPECT_EQ(window.size(), QSize(622, 418));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(window.Tabs()->tabText(0), "Monitored Folders");
    EXPECT_EQ(window.Tabs()->tabText(1), "Preferences");
    QTreeWidget* list = window.List();
    EXPECT_EQ(list->headerItem()->text(1), "Monitored Types");
    EXPECT_EQ(list->columnWidth(0), 350);
    EXPECT_EQ(list->columnWidth(2), 70);
    EXPECT_EQ(Button(window, "Edit")->geometry(), QRect(440, 316, 75, 25));
    EXPECT_FALSE(Button(window, "Edit")->isEnabled());
    EXPECT_FALSE(Button(window, "Apply")->isEnabled());
    EXPECT_EQ(Button(window, "Close")->geometry(), QRect(540, 388, 75, 25));
    EXPECT_FALSE(Button(window, "Exit")->isVisible());

    presenter.Configure();
    ASSERT_TRUE(window.isVisible());
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    presenter.Configure();
    window.close();  // the close box
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(session.stops, 0);
    EXPECT_NE(presenter.Session(), nullptr);
}

TEST(ScannerFormViewTest, TabOrderSkipsLabelsAndBrowseAndWraps) {
    ScannerForm dialog;
    NoPrompts prompts;
    ScannerFormPresenter presenter(dialog, prompts);
    dialog.SetPresenter(&presenter);
    presenter.LoadNew();
    EXPECT_EQ(dialog.windowTitle(), "Add New Folder Monitor");
    EXPECT_EQ(dialog.size(), QSize(483, 360));
    const std::vector<QWidget*>& order = dialog.FocusOrder();
    ASSERT_EQ(order.size(), 19u);
    EXPECT_EQ(order.front(), dialog.Folder(FolderBox::Monitor));
    EXPECT_EQ(static_cast<QPushButton*>(order[15])->text(), "&OK");
    EXPECT_EQ(Button(dialog, "Browse")->focusPolicy(), Qt::NoFocus);
    // Tab walks the order, skipping what is disabled now, and wraps from the last to the first.
    dialog.AppendListItem(FilterList::Replicate, "*.doc");
    dialog.SelectListItem(FilterList::Replicate, 0);  // the list tells the presenter, which enables Edit
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    order.front()->setFocus();
    std::vector<QWidget*> expected;
    for (QWidget* control : order) {
        if (control->isEnabled() && control != order[14]) expected.push_back(control);  // "Disabled" is not checked
    }
    expected.push_back(order.front());
    std::vector<QWidget*> visited{QApplication::focusWidget()};
    for (std::size_t step = 1; step < expected.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(visited, expected);
}

TEST(ScannerFormViewTest, EnterInATextBoxRunsTheChecksAndAttachesTheTips) {
    ScannerForm dialog;
    NoPrompts prompts;
    ScannerFormPresenter presenter(dialog, prompts);
    dialog.SetPresenter(&presenter);
    presenter.LoadNew();
    dialog.show();
    QTest::keyClick(dialog.Folder(FolderBox::Backup), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(presenter.Accepted());
    EXPECT_EQ(dialog.Tips().TipText(dialog.TipTarget(TipControl::MonitorBox)),
              "A valid path for the folder to monitor must be specified.");
    EXPECT_TRUE(dialog.Tips().HasTip(dialog.List(FilterList::Replicate)));
    QTest::keyClicks(dialog.Folder(FolderBox::Monitor), "/m");
    EXPECT_FALSE(dialog.Tips().HasTip(dialog.Folder(FolderBox::Monitor)));
    dialog.AppendListItem(FilterList::Replicate, "*.doc");
    dialog.SetFolderText(FolderBox::Backup, "/b");
    QTest::keyClick(dialog.List(FilterList::Replicate), Qt::Key_Return);
    EXPECT_TRUE(presenter.Accepted());
    EXPECT_FALSE(dialog.isVisible());
}

// A click selects without a modifier, Shift and Ctrl add; "Edit" changes the entry shown selected
// and is enabled only for one, "Delete" removes them all. The exclude list keeps its own.
TEST(ScannerFormViewTest, EditAndDeleteActOnTheEntriesShownSelected) {
    ScannerForm dialog;
    ScriptedPrompts prompts;
    ScannerFormPresenter presenter(dialog, prompts);
    dialog.SetPresenter(&presenter);
    ScannerValues values;
    values.filters = {"*.a", "*.b", "*.c", "*.d"};
    values.exceptions = {"~$*"};
    presenter.LoadExisting(values);
    ShowActive(dialog);
    QListWidget* list = dialog.List(FilterList::Replicate);
    QPushButton* edit = dialog.ListEditButton(FilterList::Replicate);
    QPushButton* remove = dialog.ListDeleteButton(FilterList::Replicate);
    // It opens with the first entry shown selected: Edit has an entry to act on.
    EXPECT_TRUE(list->item(0)->isSelected());
    EXPECT_TRUE(edit->isEnabled());
    ClickEntry(list, 3);
    prompts.answers = {"*.x"};
    edit->click();
    EXPECT_EQ(prompts.asked, std::vector<std::string>{"Edit Filter|*.d"});
    EXPECT_EQ(Entries(list), (QStringList{"*.a", "*.b", "*.c", "*.x"}));
    EXPECT_TRUE(list->item(3)->isSelected());

    ClickEntry(list, 0);
    ClickEntry(list, 1, Qt::ShiftModifier);
    ClickEntry(list, 3, Qt::ControlModifier);
    EXPECT_EQ(dialog.SelectedListItems(FilterList::Replicate), (std::vector<int>{0, 1, 3}));
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_TRUE(remove->isEnabled());
    edit->click();  // disabled: nothing is asked
    EXPECT_EQ(prompts.asked.size(), 1u);
    remove->click();
    EXPECT_EQ(Entries(list), QStringList{"*.c"});
    EXPECT_TRUE(list->item(0)->isSelected());
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_EQ(Entries(dialog.List(FilterList::Exclude)), QStringList{"~$*"});
    // Ctrl+click on the one selected entry clears the selection, and the buttons follow.
    ClickEntry(list, 0, Qt::ControlModifier);
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
}

TEST(MnemonicsTest, EveryButtonHasALetterOfItsOwnInItsWindow) {
    std::vector<std::string> log;
    FakeServices services(log);
    FakeSession session(log);
    MainForm main;
    MainFormPresenter mainPresenter(main, services, session);
    main.SetPresenter(&mainPresenter);
    mainPresenter.Construct(true);
    ScannerForm setup;
    InputBoxForm input;
    LogForm logForm;
    RestoreForm restoreForm;
    for (QWidget* window : std::initializer_list<QWidget*>{&main, &setup, &input, &logForm, &restoreForm}) {
        const std::vector<QChar> letters = MnemonicLetters(*window);
        EXPECT_GE(letters.size(), 2u) << window->metaObject()->className();
        EXPECT_TRUE(AllDifferent(letters)) << window->metaObject()->className();
    }
}

// Alt and the underlined letter press the button: here the exclude list's "Add" and "Delete" and
// the replicate list's "Edit", each on its own list.
TEST(MnemonicsTest, AMnemonicPressesItsButtonInTheSetupDialog) {
    ScannerForm dialog;
    ScriptedPrompts prompts;
    ScannerFormPresenter presenter(dialog, prompts);
    dialog.SetPresenter(&presenter);
    ScannerValues values;
    values.filters = {"*.a", "*.b"};
    presenter.LoadExisting(values);
    ShowActive(dialog);
    prompts.answers = {"~$*.doc", "*.z"};
    PressMnemonic(&dialog, 'd');  // A&dd of the exclude list
    EXPECT_EQ(Entries(dialog.List(FilterList::Exclude)), QStringList{"~$*.doc"});
    PressMnemonic(&dialog, 'e');  // &Edit of the replicate list, on its selected first entry
    EXPECT_EQ(Entries(dialog.List(FilterList::Replicate)), (QStringList{"*.z", "*.b"}));
    PressMnemonic(&dialog, 't');  // Dele&te of the exclude list
    EXPECT_TRUE(Entries(dialog.List(FilterList::Exclude)).isEmpty());
    EXPECT_EQ(prompts.asked, (std::vector<std::string>{"Add New Filter|", "Edit Filter|*.a"}));
}

TEST(MnemonicsTest, AMnemonicPressesItsButtonInTheConfigurationWindow) {
    std::vector<std::string> log;
    FakeServices services(log);
    FakeSession session(log);
    session.Fill({Monitor("/data/one"), Monitor("/data/two")});
    services.dialogAnswers = {std::nullopt};
    MainForm window;
    MainFormPresenter presenter(window, services, session);
    window.SetPresenter(&presenter);
    presenter.Construct(true);
    presenter.Configure();
    ShowActive(window);
    PressMnemonic(&window, 'e');  // &Edit, on the selected first monitor
    ASSERT_EQ(services.dialogSawExisting.size(), 1u);
    ASSERT_TRUE(services.dialogSawExisting[0]);
    EXPECT_EQ(services.dialogSawExisting[0]->root, "/data/one");
}

// The tip of the last failing check pops up at its control at once; the pointer stays where the
// user left it. Its colours are the palette's tooltip pair, readable under a dark palette.
TEST(ScannerFormViewTest, AFailedCheckPopsItsTipAtTheControlInThePalettesColours) {
    ScannerForm dialog;
    NoPrompts prompts;
    ScannerFormPresenter presenter(dialog, prompts);
    dialog.SetPresenter(&presenter);
    presenter.LoadNew();
    QPalette dark = dialog.palette();
    const QColor base(40, 40, 40);
    const QColor text(235, 235, 235);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dialog.setPalette(dark);
    dialog.show();
    const QPoint pointer(3, 5);
    QCursor::setPos(pointer);
    dialog.OkButton()->click();
    QWidget* monitor = dialog.TipTarget(TipControl::MonitorBox);
    EXPECT_TRUE(dialog.Tips().Showing());
    EXPECT_EQ(dialog.Tips().Popped(), monitor);
    EXPECT_EQ(QCursor::pos(), pointer);
    EXPECT_EQ(dialog.Tips().Window()->pos(), monitor->mapToGlobal(QPoint(monitor->width() / 4, monitor->height())));
    QPoint at;
    const QImage picture = dialog.Tips().Picture(monitor, &at).toImage();
    EXPECT_EQ(picture.pixelColor(picture.width() / 2, 3), base);
    // The text is drawn in the light tooltip text colour (the icon beside the title is left out).
    QRect textArea;
    for (QLabel* label : dialog.Tips().Window()->findChildren<QLabel*>()) {
        if (label->text() == "A valid path for the folder to monitor must be specified.") textArea = label->geometry();
    }
    ASSERT_FALSE(textArea.isEmpty());
    int light = 0;
    for (int y = textArea.top(); y <= textArea.bottom(); ++y) {
        for (int x = textArea.left(); x <= textArea.right(); ++x) light += qGray(picture.pixel(x, y)) > 180 ? 1 : 0;
    }
    EXPECT_GT(light, 20);
    // Typing into the box removes its tip, the popped one with it.
    QTest::keyClicks(dialog.Folder(FolderBox::Monitor), "/m");
    EXPECT_FALSE(dialog.Tips().Showing());
}

// One-click activation: a click on a row selects it and shows it in the pane, also a Ctrl+click
// on the row already selected (Qt's single selection would clear it).
TEST(MainFormViewTest, AClickOnARowSelectsAndShowsIt) {
    std::vector<std::string> log;
    FakeServices services(log);
    FakeSession session(log);
    session.Fill({Monitor("/data/one"), Monitor("/data/two"), Monitor("/data/three")});
    MainForm window;
    MainFormPresenter presenter(window, services, session);
    window.SetPresenter(&presenter);
    presenter.Construct(true);
    presenter.Configure();
    QTreeWidget* list = window.List();
    const auto click = [list](int row, Qt::KeyboardModifiers modifiers) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualItemRect(list->topLevelItem(row)).center());
    };
    EXPECT_EQ(ShownFolder(window), "/data/one");
    click(2, {});
    EXPECT_EQ(window.SelectedRow(), 2);
    EXPECT_EQ(ShownFolder(window), "/data/three");
    click(2, Qt::ControlModifier);
    EXPECT_EQ(window.SelectedRow(), 2);
    EXPECT_EQ(ShownFolder(window), "/data/three");
    EXPECT_TRUE(Button(window, "Edit")->isEnabled());
    click(1, Qt::ControlModifier);
    EXPECT_EQ(window.SelectedRow(), 1);
    EXPECT_EQ(ShownFolder(window), "/data/two");
}

QLabel* LabelWithText(QWidget& window, const QString& text) {
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (QString(label->text()).remove(QChar(0x200B)) == text) return label;
    }
    return nullptr;
}

QLabel* LabelWithTip(QWidget& window, const std::string& tip) {
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->toolTip() == ToQt(tip)) return label;
    }
    return nullptr;
}

TEST(MainFormViewTest, LongValuesAreShortenedInsideTheirRoomAndWholeInTheirTooltips) {
    std::vector<std::string> log;
    FakeServices services(log);
    FakeSession session(log);
    ScannerValues monitor = Monitor("/data/" + std::string(60, 'a') + "/" + std::string(60, 'b') + "/" +
                                    std::string(60, 'c') + "/last-folder");
    monitor.backuppath = "/backup/" + std::string(200, 'd') + "/end";
    monitor.filters.clear();
    for (int entry = 0; entry < 40; ++entry) monitor.filters.push_back("*.type" + std::to_string(entry));
    session.Fill({monitor});
    MainForm window;
    MainFormPresenter presenter(window, services, session);
    window.SetPresenter(&presenter);
    presenter.Construct(true);
    presenter.Configure();
    const std::string masks = JoinList(monitor.filters);

    QLabel* root = LabelWithTip(window, monitor.root);
    QLabel* backup = LabelWithTip(window, monitor.backuppath);
    QLabel* types = LabelWithTip(window, masks);
    ASSERT_TRUE(root && backup && types);
    EXPECT_LE(root->geometry().bottom(), backup->geometry().top());
    EXPECT_LE(backup->geometry().bottom(), backup->parentWidget()->height());
    EXPECT_LE(types->geometry().right(), LabelWithText(window, "Status:")->geometry().left());
    // The path keeps its start and its last folder; the list its first entries.
    const QString shownRoot = QString(root->text()).remove(QChar(0x200B));
    EXPECT_TRUE(shownRoot.startsWith("/data/aaa") && shownRoot.endsWith("/last-folder") && shownRoot.contains(u'\u2026'));
    EXPECT_EQ(LabelWithText(window, "Enabled")->toolTip(), "");  // it fits

    QTreeWidgetItem* row = window.List()->topLevelItem(0);
    EXPECT_EQ(row->toolTip(0), ToQt(monitor.root));
    EXPECT_EQ(row->toolTip(1), ToQt(masks));
    EXPECT_EQ(row->toolTip(2), "Active");
}

TEST(InputBoxViewTest, EnterConfirmsAndCancelReturnsNothing) {
    InputBoxForm box;
    EXPECT_EQ(box.size(), QSize(319, 106));
    EXPECT_EQ(box.pos(), OnScreen(583, 299, box.size()));
    EXPECT_EQ(box.windowTitle(), "InputBox");
    QTimer::singleShot(0, &box, [&box] { QTest::keyClick(box.Edit(), Qt::Key_Return); });
    EXPECT_EQ(ShowInputBox(box, "Edit Filter", "Enter file filter", "*.doc"), "*.doc");
    EXPECT_EQ(box.Prompt()->text(), "Enter file filter");
    InputBoxForm second;
    QTimer::singleShot(0, &second, [&second] {
        QTest::keyClicks(second.Edit(), "x");
        Button(second, "Cancel")->click();
    });
    EXPECT_EQ(ShowInputBox(second, "Add New Filter", "p", ""), "");
    // Enter on a focused "Cancel" cancels; it used to press OK and add the filter.
    InputBoxForm third;
    QTimer::singleShot(0, &third, [&third] {
        QTest::keyClicks(third.Edit(), "x");
        Button(third, "Cancel")->setFocus();
        QTest::keyClick(Button(third, "Cancel"), Qt::Key_Return);
    });
    EXPECT_EQ(ShowInputBox(third, "Add New Filter", "p", ""), "");
}

class RowsStore final : public LogStore {
public:
    int LoadLogEntries(LogListModel& list) override {
        list.Clear();
        for (int image = 0; image < 3; ++image) {
            LogListRow row;
            row.type = "T" + std::to_string(image);
            row.image = image;
            row.description = "d" + std::to_string(image);
            row.item.jobid = image + 1;
            list.Append(row);
        }
        return list.Count();
    }
    void CancelJob(std::int32_t jobid) override { cancelled = jobid; }
    std::int64_t NewestEntryId() override { return 3; }
    std::int32_t cancelled = 0;
};

TEST(LogFormViewTest, ModelRowsDetailAndCancelOperation) {
    RowsStore store;
    LogForm window;
    LogFormPresenter presenter(window, store);
    window.SetPresenter(&presenter);
    window.show();
    EXPECT_EQ(window.windowTitle(), "Pellmar Event Log  3 Events");
    EXPECT_EQ(window.size(), QSize(593, 527));
    EXPECT_EQ(window.pos(), OnScreen(436, 209, window.size()));
    QTableView* list = window.List();
    EXPECT_EQ(list->model()->rowCount(), 3);
    EXPECT_EQ(list->model()->headerData(3, Qt::Horizontal).toString(), "Operation");
    EXPECT_EQ(list->columnWidth(4), 220);
    EXPECT_FALSE(list->model()->data(list->model()->index(1, 0), Qt::DecorationRole).isNull());
    EXPECT_FALSE(window.CancelOperationButton()->isVisible());  // row 0 is information
    const QRect second = list->visualRect(list->model()->index(1, 2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(window.DescriptionBox()->text(), "d1");
    EXPECT_TRUE(window.CancelOperationButton()->isVisible());
    // The arrow keys move the selection, and the pane with it.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(window.DescriptionBox()->text(), "d2");
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(window.DescriptionBox()->text(), "d1");
    window.CancelOperationButton()->click();
    EXPECT_EQ(store.cancelled, 2);
    EXPECT_EQ(window.SelectedRow(), -1);
}

class YesPrompts final : public Prompter {
public:
    std::string InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> BrowseForFolder(const std::string&) override { return std::nullopt; }
    bool Confirm(const std::string&) override { return true; }
};

// The restore window on real folders: the tree, the copies of a clicked file, the text and image
// previews, and "Restore" through the real restore thread and the Qt dispatcher.
TEST(RestoreFormViewTest, ATreeClickShowsTheCopiesAndPreviewAndRestoreWritesTheFileBack) {
    TempFolder folder;
    const std::string watched = folder / "watched", backup = folder / "backup";
    std::filesystem::create_directories(watched);
    std::filesystem::create_directories(backup);
    WriteFile(backup + "/notes.1.txt", "old notes");
    WriteFile(backup + "/notes.2.txt", "new notes");
    WriteFile(watched + "/notes.txt", "today");
    QImage picture(24, 16, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(ToQt(backup + "/picture.1.png")));
    std::vector<std::string> log;
    FakeSession session(log);
    ScannerValues monitor;
    monitor.root = watched;
    monitor.backuppath = backup;
    monitor.hasversions = true;
    monitor.maxversions = 5;
    session.Fill({monitor});
    session.locations.databasePath = folder / "pellmar.db";
    session.locations.tempFilePath = folder / "temp/";
    ctl::DatabaseStore(session.locations.databasePath, true);
    QtDispatcher dispatcher;
    YesPrompts prompts;
    RestoreForm window;
    RestoreFormPresenter presenter(window, session, prompts, dispatcher);
    window.SetPresenter(&presenter, session.monitors.front().id);
    window.show();
    EXPECT_EQ(window.windowTitle(), "Pellmar Restore");
    EXPECT_EQ(window.size(), QSize(kRestoreWidth, kRestoreHeight));
    EXPECT_EQ(window.MonitorChoice()->currentText(), ToQt(watched));
    QTreeWidgetItem* root = window.Tree()->topLevelItem(0);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_TRUE(window.At()->isEnabled());

    const auto click = [&](QTreeWidgetItem* item) {
        window.Tree()->scrollToItem(item);
        QTest::mouseClick(window.Tree()->viewport(), Qt::LeftButton, {}, window.Tree()->visualItemRect(item).center());
    };
    click(root->child(0));
    EXPECT_EQ(root->child(0)->text(0), "notes.txt");
    ASSERT_EQ(window.Copies()->topLevelItemCount(), 2);
    EXPECT_EQ(window.Copies()->topLevelItem(0)->text(4), "current");
    EXPECT_EQ(window.PreviewText()->toPlainText(), "new notes");
    EXPECT_FALSE(window.At()->isEnabled());
    QTreeWidgetItem* older = window.Copies()->topLevelItem(1);
    QTest::mouseClick(window.Copies()->viewport(), Qt::LeftButton, {}, window.Copies()->visualItemRect(older).center());
    EXPECT_EQ(window.PreviewText()->toPlainText(), "old notes");

    window.RestoreButton()->click();
    EXPECT_TRUE(window.CancelButton()->isVisible());
    EXPECT_FALSE(window.CloseButton()->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !presenter.Running(); }, 30000));
    EXPECT_EQ(ReadFile(watched + "/notes.txt"), "old notes");
    EXPECT_EQ(window.Status()->text(), "Restored 1 file from the backup.");
    EXPECT_FALSE(window.CancelButton()->isVisible());
    EXPECT_TRUE(window.CloseButton()->isEnabled());

    click(window.Tree()->topLevelItem(0)->child(1));
    EXPECT_TRUE(window.PreviewImage()->isVisible());
    EXPECT_FALSE(window.PreviewImage()->pixmap().isNull());
    window.CloseButton()->click();
    EXPECT_FALSE(window.isVisible());
}

TEST(ImagesTest, TheDrawnImagesLoadWholeWithTheirTransparentParts) {
    const QImage icon = TrayIconImage().pixmap(16, 16).toImage();
    ASSERT_EQ(icon.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(10, 9)), 255);
    const QImage strip(FindImageResource(kLogImagesResource));
    EXPECT_EQ(strip.size(), QSize(48, 16));
    for (int index = 0; index < 3; ++index) {
        const QImage image = LogImage(index).toImage();
        ASSERT_EQ(image.size(), QSize(16, 16)) << index;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << index;  // magenta is left out
        EXPECT_EQ(qAlpha(image.pixel(8, 8)), 255) << index;
    }
    EXPECT_TRUE(LogImage(3).isNull());
    EXPECT_TRUE(LogImage(-1).isNull());
}

}  // namespace
}  // namespace pellmar::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new pellmar::test::QtApplicationEnvironment);
    return RUN_ALL_TESTS();
}
