// The event log window's behaviour against a fake window and store: the caption with the count,
// the first row's detail, "Cancel Operation" for Warning entries only, and the cancel that
// deletes the job and reloads the list.
#include "tray/ui/InputBox.h"
#include "tray/ui/LogFormPresenter.h"

#include <gtest/gtest.h>

namespace pellmar::test {
namespace {

LogListRow Entry(int image, std::int32_t jobid, const std::string& description) {
    LogListRow row;
    row.type = image == 0 ? "Information" : image == 1 ? "Warning" : "Error";
    row.image = image;
    row.date = "1/2/2026";
    row.time = "3:04:05 PM";
    row.operation = "Copy";
    row.description = description;
    row.item = {jobid, "/src/" + description, "/dst/" + description};
    return row;
}

class FakeStore final : public LogStore {
public:
    int LoadLogEntries(LogListModel& list) override {
        list.Clear();
        for (const LogListRow& row : entries) list.Append(row);
        ++loads;
        return list.Count();
    }
    void CancelJob(std::int32_t jobid) override {
        cancelled.push_back(jobid);
        std::erase_if(entries, [jobid](const LogListRow& row) { return row.item.jobid == jobid; });
    }
    std::int64_t NewestEntryId() override { return newest; }
    std::vector<LogListRow> entries;
    std::vector<std::int32_t> cancelled;
    int loads = 0;
    std::int64_t newest = 1;
};

class FakeLogForm final : public LogFormView {
public:
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& text) override { caption = text; }
    void BeginRowsUpdate() override { ++updating; }
    void EndRowsUpdate() override {
        --updating;
        selected = -1;  // a reloaded list has no selection
    }
    int SelectedRow() const override { return selected; }
    void SelectRow(int row) override { selected = row; }
    void ShowDetail(const LogDetail& shown) override { detail = shown; }
    void SetCancelVisible(bool visible) override { cancelVisible = visible; }

    std::string caption = "Pellmar Event Log";
    int updating = 0;
    int selected = -1;
    LogDetail detail;
    bool cancelVisible = false;
};

class LogFormPresenterTest : public ::testing::Test {
protected:
    FakeStore store;
    FakeLogForm view;
    LogFormPresenter presenter{view, store};
};

TEST_F(LogFormPresenterTest, AnEmptyLogShowsZeroEventsAndNoDetail) {
    presenter.Shown();
    EXPECT_EQ(view.caption, "Pellmar Event Log  0 Events");
    EXPECT_EQ(view.selected, -1);
    EXPECT_EQ(view.detail.description, "");
    EXPECT_FALSE(view.cancelVisible);
}

TEST_F(LogFormPresenterTest, ShowingSelectsTheNewestEntryAndClicksShowTheirDetail) {
    store.entries = {Entry(1, 7, "waiting"), Entry(0, 8, "done"), Entry(2, 9, "failed")};
    presenter.Shown();
    EXPECT_EQ(view.caption, "Pellmar Event Log  3 Events");
    EXPECT_EQ(view.updating, 0);
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(view.detail.source, "/src/waiting");
    EXPECT_EQ(view.detail.destination, "/dst/waiting");
    EXPECT_EQ(view.detail.type, "Warning");
    EXPECT_EQ(view.detail.time, "3:04:05 PM");
    EXPECT_TRUE(view.cancelVisible);
    view.selected = 1;
    presenter.ListClicked();
    EXPECT_EQ(view.detail.description, "done");
    EXPECT_FALSE(view.cancelVisible);
    view.selected = 2;
    presenter.ListClicked();
    EXPECT_FALSE(view.cancelVisible);  // errors of retried jobs cannot be cancelled here
    view.selected = -1;
    presenter.ListClicked();
    EXPECT_EQ(view.detail.description, "failed");  // nothing selected: nothing changes
}

TEST_F(LogFormPresenterTest, CancelDeletesTheRowsJobAndReloadsWithoutSelection) {
    store.entries = {Entry(1, 7, "waiting"), Entry(0, 8, "done"), Entry(1, 7, "older")};
    presenter.Shown();
    presenter.CancelOperation();
    EXPECT_EQ(store.cancelled, (std::vector<std::int32_t>{7}));
    EXPECT_EQ(presenter.Rows().Count(), 1);
    EXPECT_EQ(store.loads, 2);
    EXPECT_EQ(view.selected, -1);
    // Nothing of the cancelled entry stays in sight, and the caption counts what is left.
    EXPECT_EQ(view.detail.description, "");
    EXPECT_FALSE(view.cancelVisible);
    EXPECT_EQ(view.caption, "Pellmar Event Log  1 Events");
    presenter.CancelOperation();  // no row selected: nothing happens
    EXPECT_EQ(store.cancelled.size(), 1u);
}

TEST_F(LogFormPresenterTest, EntriesLoggedWhileTheWindowIsOpenAppearAndTheSelectionStaysOnItsEntry) {
    store.entries = {Entry(1, 7, "waiting"), Entry(0, 8, "done")};
    presenter.Shown();
    view.selected = 1;
    presenter.ListClicked();
    presenter.Refresh();  // nothing new: not even read again
    EXPECT_EQ(store.loads, 1);

    store.entries.insert(store.entries.begin(), Entry(0, 9, "newer"));
    store.newest = 2;
    presenter.Refresh();
    EXPECT_EQ(presenter.Rows().Count(), 3);
    EXPECT_EQ(view.caption, "Pellmar Event Log  3 Events");
    EXPECT_EQ(view.selected, 2);
    EXPECT_EQ(view.detail.description, "done");
}

class FakeInputBox final : public InputBoxView {
public:
    void SetCaption(const std::string& text) override { caption = text; }
    void SetPrompt(const std::string& text) override { prompt = text; }
    void SetText(const std::string& value) override { text = value; }
    std::string Text() const override { return text; }
    bool RunModal() override {
        if (typed) text = *typed;
        return confirm;
    }
    std::string caption, prompt, text;
    std::optional<std::string> typed;
    bool confirm = true;
};

TEST(InputBoxTest, ReturnsTheTextOnlyWhenConfirmed) {
    FakeInputBox box;
    EXPECT_EQ(ShowInputBox(box, "Edit Filter", "Enter file filter", "*.doc"), "*.doc");
    EXPECT_EQ(box.caption, "Edit Filter");
    EXPECT_EQ(box.prompt, "Enter file filter");
    box.typed = "*.txt";
    box.confirm = false;
    EXPECT_EQ(ShowInputBox(box, "c", "p", "*.doc"), "");
}

}  // namespace
}  // namespace pellmar::test
