// The setup dialog's behaviour against a fake dialog and scripted answers: filling for Add and
// Edit, the filter lists and their selection, the folder browser, the three OK checks with their
// order and tips, and reading the values back ("12abc" is 12).
#include "tray/ui/ScannerFormPresenter.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

namespace pellmar::test {
namespace {

class FakeScannerForm final : public ScannerFormView {
public:
    void SetCaption(const std::string& text) override { caption = text; }
    std::string FolderText(FolderBox box) const override { return folders[static_cast<int>(box)]; }
    void SetFolderText(FolderBox box, const std::string& text) override { folders[static_cast<int>(box)] = text; }
    std::vector<std::string> ListItems(FilterList list) const override { return lists[static_cast<int>(list)]; }
    void AppendListItem(FilterList list, const std::string& text) override { lists[static_cast<int>(list)].push_back(text); }
    void ReplaceListItem(FilterList list, int index, const std::string& text) override {
        lists[static_cast<int>(list)].at(static_cast<std::size_t>(index)) = text;
    }
    // As a list box does: the selection loses the entry and the entries after it move up.
    void RemoveListItem(FilterList list, int index) override {
        auto& items = lists[static_cast<int>(list)];
        items.erase(items.begin() + index);
        std::vector<int> kept;
        for (int entry : selected[static_cast<int>(list)]) {
            if (entry != index) kept.push_back(entry > index ? entry - 1 : entry);
        }
        selected[static_cast<int>(list)] = kept;
    }
    std::vector<int> SelectedListItems(FilterList list) const override { return selected[static_cast<int>(list)]; }
    void SelectListItem(FilterList list, int index) override {
        selected[static_cast<int>(list)] = index < 0 ? std::vector<int>{} : std::vector<int>{index};
    }
    void SetListButtonsEnabled(FilterList list, bool edit, bool remove) override {
        editButton[static_cast<int>(list)] = edit;
        deleteButton[static_cast<int>(list)] = remove;
    }
    bool SwitchChecked(SetupSwitch which) const override { return switches[static_cast<int>(which)]; }
    void SetSwitchChecked(SetupSwitch which, bool checked) override { switches[static_cast<int>(which)] = checked; }
    std::string VersionsText() const override { return versionsText; }
    void SetVersionsText(const std::string& text) override { versionsText = text; }
    void SetVersionsEnabled(bool enabled) override { versionsEnabled = enabled; }
    bool EnabledChecked() const override { return enabledRadio; }
    void SetEnabledChecked(bool enabled) override { enabledRadio = enabled; }
    void ShowTip(TipControl control, const std::string& text) override { tips[control] = text; }
    void RemoveTip(TipControl control) override { tips.erase(control); }
    void PopTip(TipControl control) override { popped.push_back(control); }
    void CloseDialog() override { ++closes; }

    std::string caption;
    std::string folders[2];
    std::vector<std::string> lists[2];
    std::vector<int> selected[2];
    bool editButton[2] = {false, false};
    bool deleteButton[2] = {false, false};
    bool switches[4] = {false, false, false, false};
    std::string versionsText;
    bool versionsEnabled = false;
    bool enabledRadio = false;
    std::map<TipControl, std::string> tips;
    std::vector<TipControl> popped;
    int closes = 0;
};

class ScriptedPrompter final : public Prompter {
public:
    std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& text) override {
        asked.push_back(caption + "|" + prompt + "|" + text);
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> BrowseForFolder(const std::string& initial) override {
        initialFolders.push_back(initial);
        return folder;
    }
    bool Confirm(const std::string&) override { return false; }
    std::deque<std::string> answers;
    std::vector<std::string> asked;
    std::optional<std::string> folder;
    std::vector<std::string> initialFolders;
};

constexpr int kReplicate = 0;
constexpr int kExclude = 1;

class ScannerFormPresenterTest : public ::testing::Test {
protected:
    FakeScannerForm view;
    ScriptedPrompter prompter;
    ScannerFormPresenter presenter{view, prompter};
};

TEST_F(ScannerFormPresenterTest, ANewMonitorSavedWithoutTouchingVersionsKeepsNone) {
    presenter.LoadNew();
    EXPECT_EQ(view.caption, "Add New Folder Monitor");
    EXPECT_EQ(view.versionsText, "10");
    EXPECT_FALSE(view.versionsEnabled);
    EXPECT_TRUE(view.enabledRadio);
    view.folders[0] = "/w";
    view.folders[1] = "/b";
    view.lists[kReplicate] = {"*.doc"};
    presenter.Ok();
    ASSERT_TRUE(presenter.Accepted());
    const ScannerValues values = presenter.Values();
    EXPECT_TRUE(values.subfolders);
    EXPECT_TRUE(values.deletions);
    EXPECT_FALSE(values.exclusive);
    EXPECT_FALSE(values.hasversions);
    EXPECT_EQ(values.maxversions, 0);
    EXPECT_EQ(values.status, 1);
    EXPECT_EQ(values.root, "/w");
    EXPECT_EQ(values.backuppath, "/b");
}

TEST_F(ScannerFormPresenterTest, EditFillsEveryControlFromTheMonitor) {
    ScannerValues values;
    values.root = "/w";
    values.backuppath = "/b";
    values.filters = {"*.a", "*.b"};
    values.subfolders = false;
    values.deletions = false;
    values.exclusive = true;
    values.hasversions = true;
    values.maxversions = 7;
    values.status = 0;
    presenter.LoadExisting(values);
    EXPECT_EQ(view.caption, "Edit Folder Monitor");
    // The first entry is shown selected, so "Edit" and "Delete" have an entry to act on.
    EXPECT_EQ(view.selected[kReplicate], std::vector<int>{0});
    EXPECT_TRUE(view.editButton[kReplicate]);
    EXPECT_TRUE(view.deleteButton[kReplicate]);
    EXPECT_TRUE(view.selected[kExclude].empty());
    EXPECT_FALSE(view.editButton[kExclude]);
    EXPECT_FALSE(view.deleteButton[kExclude]);
    EXPECT_EQ(view.versionsText, "7");
    EXPECT_TRUE(view.versionsEnabled);
    EXPECT_FALSE(view.enabledRadio);
    presenter.Ok();
    const ScannerValues read = presenter.Values();
    EXPECT_EQ(read.filters, values.filters);
    EXPECT_EQ(read.subfolders, false);
    EXPECT_EQ(read.exclusive, true);
    EXPECT_EQ(read.maxversions, 7);
    EXPECT_EQ(read.status, 0);

    // A monitor made without versions offers the usual 10 once the box is ticked, not 0.
    values.hasversions = false;
    values.maxversions = 0;
    presenter.LoadExisting(values);
    EXPECT_EQ(view.versionsText, "10");
    EXPECT_FALSE(view.versionsEnabled);
}

TEST_F(ScannerFormPresenterTest, OkWithEverythingEmptyShowsThreeTipsInOrderAndStaysOpen) {
    presenter.LoadNew();
    presenter.Ok();
    EXPECT_FALSE(presenter.Accepted());
    EXPECT_EQ(view.closes, 0);
    EXPECT_EQ(view.tips[TipControl::ReplicateList], "At least on file type filter must be specified.");
    EXPECT_EQ(view.tips[TipControl::BackupBox],
              "A valid path for the folder used as the backup location must be specified.");
    EXPECT_EQ(view.tips[TipControl::MonitorBox], "A valid path for the folder to monitor must be specified.");
    // The last failing control's tip pops up at once; no pointer is moved for it.
    EXPECT_EQ(view.popped, std::vector<TipControl>{TipControl::MonitorBox});
}

// Checked once the three requirements are met, with a tip at the box at fault, and OK refused.
TEST_F(ScannerFormPresenterTest, SetupsThatCouldNeverWorkGetATipAndStayOpen) {
    presenter.LoadNew();
    ScannerValues other;
    other.root = "/data/other";
    other.backuppath = "/backup/other";
    presenter.SetOtherMonitors({other});
    view.lists[kReplicate] = {"[abc"};
    view.folders[0] = "/backup/other/nested";
    view.folders[1] = "/backup/mine";
    presenter.Ok();
    EXPECT_FALSE(presenter.Accepted());
    EXPECT_EQ(view.closes, 0);
    EXPECT_EQ(view.tips[TipControl::ReplicateList], "'[abc' is an invalid mask at (5)");
    EXPECT_EQ(view.tips[TipControl::MonitorBox],
              "The monitored folder must not lie in or around the backup folder of another monitor (/backup/other).");

    view.lists[kReplicate] = {"*"};
    view.folders[0] = "/data/mine";
    presenter.Ok();
    EXPECT_TRUE(presenter.Accepted());
}

TEST_F(ScannerFormPresenterTest, TipsGoOnlyByAddingAFilterOrTypingIntoTheBox) {
    presenter.LoadNew();
    presenter.Ok();
    presenter.FolderKeyReleased(FolderBox::Backup);  // still empty: the tip stays
    EXPECT_EQ(view.tips.count(TipControl::BackupBox), 1u);
    view.folders[1] = "/backup";
    presenter.FolderKeyReleased(FolderBox::Backup);
    EXPECT_EQ(view.tips.count(TipControl::BackupBox), 0u);
    prompter.answers = {"*.doc"};
    presenter.AddFilter(FilterList::Replicate);
    EXPECT_EQ(view.tips.count(TipControl::ReplicateList), 0u);
    EXPECT_TRUE(view.editButton[kReplicate]);
    EXPECT_EQ(view.tips.count(TipControl::MonitorBox), 1u);
    // A path that does not exist passes: only emptiness is checked.
    view.folders[0] = "/no/such/folder";
    presenter.Ok();
    EXPECT_TRUE(presenter.Accepted());
    EXPECT_EQ(view.closes, 1);
}

TEST_F(ScannerFormPresenterTest, FilterListsUseTheInputBoxAndIgnoreEmptyAnswers) {
    prompter.answers = {"", "~$*.doc", "", "*.tmp"};
    presenter.AddFilter(FilterList::Exclude);
    EXPECT_TRUE(view.lists[kExclude].empty());
    presenter.AddFilter(FilterList::Exclude);
    EXPECT_EQ(view.lists[kExclude], (std::vector<std::string>{"~$*.doc"}));
    // The new entry is selected: "Edit" and "Delete" act on it.
    EXPECT_EQ(view.selected[kExclude], std::vector<int>{0});
    EXPECT_TRUE(view.editButton[kExclude]);
    EXPECT_TRUE(view.deleteButton[kExclude]);
    EXPECT_FALSE(view.editButton[kReplicate]);
    presenter.EditFilter(FilterList::Exclude);  // the other list's selection plays no part
    EXPECT_EQ(view.lists[kExclude][0], "~$*.doc");
    presenter.EditFilter(FilterList::Exclude);
    EXPECT_EQ(view.lists[kExclude][0], "*.tmp");
    EXPECT_EQ(prompter.asked, (std::vector<std::string>{"Add New Filter|Enter file filter (e.g. ~$*.doc)|",
                                                        "Add New Filter|Enter file filter (e.g. ~$*.doc)|",
                                                        "Edit Filter|Enter file filter|~$*.doc",
                                                        "Edit Filter|Enter file filter|~$*.doc"}));
    presenter.DeleteFilter(FilterList::Exclude);
    EXPECT_TRUE(view.lists[kExclude].empty());
    EXPECT_FALSE(view.editButton[kExclude]);
    EXPECT_FALSE(view.deleteButton[kExclude]);
    presenter.DeleteFilter(FilterList::Exclude);  // nothing selected: nothing happens
    presenter.EditFilter(FilterList::Replicate);
    EXPECT_EQ(prompter.asked.size(), 4u);
}

// Edit works on the entry shown selected, not on one with the focus that the user cannot see.
TEST_F(ScannerFormPresenterTest, EditChangesTheSelectedEntryAndNeedsExactlyOne) {
    ScannerValues values;
    values.filters = {"*.a", "*.b", "*.c"};
    presenter.LoadExisting(values);
    view.selected[kReplicate] = {2};
    presenter.ListSelectionChanged(FilterList::Replicate);
    prompter.answers = {"*.x"};
    presenter.EditFilter(FilterList::Replicate);
    EXPECT_EQ(prompter.asked, std::vector<std::string>{"Edit Filter|Enter file filter|*.c"});
    EXPECT_EQ(view.lists[kReplicate], (std::vector<std::string>{"*.a", "*.b", "*.x"}));
    EXPECT_EQ(view.selected[kReplicate], std::vector<int>{2});
    // Several selected: "Edit" is disabled and does nothing; "Delete" stays enabled.
    view.selected[kReplicate] = {0, 2};
    presenter.ListSelectionChanged(FilterList::Replicate);
    EXPECT_FALSE(view.editButton[kReplicate]);
    EXPECT_TRUE(view.deleteButton[kReplicate]);
    presenter.EditFilter(FilterList::Replicate);
    EXPECT_EQ(prompter.asked.size(), 1u);
    view.selected[kReplicate] = {};
    presenter.ListSelectionChanged(FilterList::Replicate);
    EXPECT_FALSE(view.editButton[kReplicate]);
    EXPECT_FALSE(view.deleteButton[kReplicate]);
}

TEST_F(ScannerFormPresenterTest, DeleteRemovesEverySelectedEntryAndSelectsTheNextOne) {
    ScannerValues values;
    values.filters = {"a", "b", "c", "d", "e"};
    presenter.LoadExisting(values);
    view.selected[kReplicate] = {1, 3};
    presenter.DeleteFilter(FilterList::Replicate);
    EXPECT_EQ(view.lists[kReplicate], (std::vector<std::string>{"a", "c", "e"}));
    EXPECT_EQ(view.selected[kReplicate], std::vector<int>{1});  // "c", where the first removed one was
    EXPECT_TRUE(view.editButton[kReplicate]);
    view.selected[kReplicate] = {1, 2};
    presenter.DeleteFilter(FilterList::Replicate);
    EXPECT_EQ(view.lists[kReplicate], std::vector<std::string>{"a"});
    EXPECT_EQ(view.selected[kReplicate], std::vector<int>{0});  // the last entry left
    presenter.DeleteFilter(FilterList::Replicate);
    EXPECT_TRUE(view.lists[kReplicate].empty());
    EXPECT_TRUE(view.selected[kReplicate].empty());
    EXPECT_FALSE(view.editButton[kReplicate]);
    EXPECT_FALSE(view.deleteButton[kReplicate]);
}

TEST_F(ScannerFormPresenterTest, VersionsAreReadAsALeadingDecimalNumber) {
    presenter.LoadNew();
    view.switches[static_cast<int>(SetupSwitch::Versions)] = true;
    presenter.VersionsClicked();
    EXPECT_TRUE(view.versionsEnabled);
    view.versionsText = "12abc";
    EXPECT_EQ(presenter.Values().maxversions, 12);
    view.versionsText = "abc";
    EXPECT_EQ(presenter.Values().maxversions, 0);
    EXPECT_EQ(ReadVersionsText("+5"), 5);
    EXPECT_EQ(ReadVersionsText("-3x"), -3);
    EXPECT_EQ(ReadVersionsText("99999999999"), 2147483647);
    view.switches[static_cast<int>(SetupSwitch::Versions)] = false;
    presenter.VersionsClicked();
    EXPECT_FALSE(view.versionsEnabled);
    EXPECT_EQ(view.versionsText, "abc");  // the box keeps its text
}

TEST_F(ScannerFormPresenterTest, BrowseStartsWithoutTheTrailingDelimiterAndCancelKeepsTheText) {
    view.folders[0] = "/home/user/";
    prompter.folder = std::nullopt;
    presenter.Browse(FolderBox::Monitor);
    EXPECT_EQ(view.folders[0], "/home/user/");
    EXPECT_EQ(prompter.initialFolders.back(), "/home/user");
    presenter.Browse(FolderBox::Backup);
    EXPECT_EQ(view.folders[1], "");
    prompter.folder = "/media/backup";
    presenter.Browse(FolderBox::Backup);
    EXPECT_EQ(view.folders[1], "/media/backup");
}

TEST_F(ScannerFormPresenterTest, CancelClosesWithoutTheOkFlag) {
    presenter.Cancel();
    EXPECT_FALSE(presenter.Accepted());
    EXPECT_EQ(view.closes, 1);
}

}  // namespace
}  // namespace pellmar::test
