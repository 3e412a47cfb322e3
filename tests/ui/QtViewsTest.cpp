// The Qt views as thin views, offscreen: captions and geometry, the Tab order of the setup
// dialog, Enter pressing the default button, the close box that hides, and the log model.
#include "tests/ui/FakeMainForm.h"
#include "tests/ui/QtTestApplication.h"
#include "tray/ui/Images.h"
#include "tray/ui/qt/BalloonTips.h"
#include "tray/ui/qt/QtControls.h"
#include "tray/ui/qt/frmInputBox.h"
#include "tray/ui/qt/frmLogForm.h"
#include "tray/ui/qt/frmMainForm.h"
#include "tray/ui/qt/frmScannerForm.h"

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

namespace pellmar::test {
namespace {

QPushButton* Button(QWidget& window, const QString& text) {
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->text() == text) return button;
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
};

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
    EXPECT_EQ(static_cast<QPushButton*>(order[15])->text(), "OK");
    EXPECT_EQ(Button(dialog, "Browse")->focusPolicy(), Qt::NoFocus);
    // Tab walks the order, skipping what is disabled now, and wraps from the last to the first.
    dialog.AppendListItem(FilterList::Replicate, "*.doc");
    presenter.ListClicked(FilterList::Replicate);
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
