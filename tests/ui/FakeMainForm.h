// A configuration window, its services and a session made of plain fields, for the presenter
// tests: they record what the presenter shows and answer the setup dialog from a script.
#pragma once

#include "tray/ui/MainFormPresenter.h"

#include <deque>
#include <list>
#include <map>
#include <string>
#include <vector>

namespace pellmar::test {

class FakeSession final : public MonitorSession {
public:
    explicit FakeSession(std::vector<std::string>& sharedLog) : log(sharedLog) {}
    // The monitors a start finds, with ids from 1.
    void Fill(const std::vector<ScannerValues>& values) {
        monitors.clear();
        for (const ScannerValues& value : values) Add(value);
    }
    void Start() override {
        log.push_back("start session");
        ++starts;
    }
    std::vector<MonitorId> Monitors() const override {
        std::vector<MonitorId> ids;
        for (const ScannerValues& monitor : monitors) ids.push_back(monitor.id);
        return ids;
    }
    std::optional<ScannerValues> Values(MonitorId id) const override {
        const ScannerValues* found = Find(id);
        return found ? std::optional<ScannerValues>(*found) : std::nullopt;
    }
    MonitorId Save(MonitorId id, const ScannerValues& values) override {
        if (refuseChanges) return 0;
        if (id == 0) return Add(values);
        ScannerValues* found = Find(id);
        if (!found) return 0;
        *found = values;
        found->id = id;
        return id;
    }
    bool Delete(MonitorId id) override {
        return !refuseChanges && std::erase_if(monitors, [id](const ScannerValues& item) { return item.id == id; }) > 0;
    }
    bool SetStatus(MonitorId id, std::int32_t status) override {
        ScannerValues* found = refuseChanges ? nullptr : Find(id);
        if (found) found->status = status;
        return found != nullptr;
    }
    // An enabled monitor watches unless a test says otherwise.
    MonitorStatus StatusOf(MonitorId id) const override {
        const ScannerValues* values = Find(id);
        if (!values || values->status != 1) return {};
        const auto given = states.find(values->root);
        return given != states.end() ? given->second : MonitorStatus{MonitorState::Watching, {}};
    }
    bool Synchronise(MonitorId id, std::string*) override { return Find(id) != nullptr; }
    SessionSummary Summary() const override { return summary; }
    void StopMonitoring() override { ++stops; }
    void IgnoreOwnWrites(const std::vector<std::string>& paths) override { ownWrites.push_back(paths); }
    std::unique_ptr<LogStore> OpenLogStore() override { return nullptr; }
    const DataLocations& Locations() const override { return locations; }

    std::vector<std::string>& log;
    std::list<ScannerValues> monitors;
    std::map<std::string, MonitorStatus> states;  // by monitored folder
    SessionSummary summary{true, 0, "", 0};
    DataLocations locations;
    std::vector<std::vector<std::string>> ownWrites;  // each IgnoreOwnWrites call
    bool refuseChanges = false;  // as a database that cannot be written
    int starts = 0;
    int stops = 0;

private:
    MonitorId Add(ScannerValues values) {
        values.id = ++lastId_;
        monitors.push_back(values);
        return values.id;
    }
    ScannerValues* Find(MonitorId id) const {
        for (const ScannerValues& monitor : monitors)
            if (monitor.id == id) return const_cast<ScannerValues*>(&monitor);
        return nullptr;
    }
    MonitorId lastId_ = 0;
};

class FakeMainForm final : public MainFormView {
public:
    void BeginListUpdate() override { ++updating; }
    void EndListUpdate() override { --updating; }
    void AppendRow(const MonitorRowTexts& row) override { rows.push_back(row); }
    void SetRow(int index, const MonitorRowTexts& row) override { rows.at(static_cast<std::size_t>(index)) = row; }
    void RemoveRow(int index) override {
        rows.erase(rows.begin() + index);
        selected = -1;
    }
    int SelectedRow() const override { return selected; }
    void SelectRow(int index) override { selected = index; }
    void ShowDetails(const MonitorDetails& shown) override { details = shown; }
    void SetEditEnabled(bool enabled) override { editEnabled = enabled; }
    void SetDeleteEnabled(bool enabled) override { deleteEnabled = enabled; }
    void SetApplyEnabled(bool enabled) override { applyEnabled = enabled; }
    bool AutostartChecked() const override { return autostart; }
    void SetAutostartChecked(bool checked) override { autostart = checked; }
    void SetWaitCursor(bool wait) override { cursors.push_back(wait); }
    void CentreOnScreen() override { log.push_back("centre"); }
    void ShowAndActivate() override { visible = true; }
    void HideWindow() override { visible = false; }
    void MinimiseWindow() override { minimised = true; }
    void SetWindowCommandsVisible(bool shown) override { windowCommands = shown; }
    void PostClose() override { ++closePosts; }

    std::vector<MonitorRowTexts> rows;
    int selected = -1;
    MonitorDetails details;
    bool editEnabled = false, deleteEnabled = false, applyEnabled = false, autostart = false;
    bool visible = false, minimised = false, windowCommands = false;
    int updating = 0;
    int closePosts = 0;
    std::vector<bool> cursors;
    std::vector<std::string>& log;
    explicit FakeMainForm(std::vector<std::string>& sharedLog) : log(sharedLog) {}
};

class FakeServices final : public MainFormServices {
public:
    explicit FakeServices(std::vector<std::string>& sharedLog) : log(sharedLog) {}
    void InstallStagedUpdater() override { log.push_back("install staged updater"); }
    void LaunchUpdater() override { log.push_back("launch updater"); }
    bool ReadAutostart(bool) override { return autostartEntry; }
    bool WriteAutostart(bool value) override {
        ++writes;
        if (autostartRefused) return false;
        autostartEntry = value;
        return true;
    }
    bool Confirm(const std::string& question) override {
        questions.push_back(question);
        return confirmAnswer;
    }
    std::optional<ScannerValues> RunSetupDialog(const ScannerValues* existing,
                                                const std::vector<ScannerValues>& others) override {
        dialogSawOthers.push_back(others.size());
        dialogSawExisting.push_back(existing ? std::optional<ScannerValues>(*existing) : std::nullopt);
        auto answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
    void RunLogWindow(MonitorSession&) override { ++logWindows; }
    void RunRestoreWindow(MonitorSession&, MonitorId monitor) override { restoreWindows.push_back(monitor); }
    std::int64_t LastSeenProblem() override { return lastSeenProblem; }
    void SetLastSeenProblem(std::int64_t id) override { lastSeenProblem = id; }
    void ExitStarted() override { log.push_back("exit started"); }

    std::vector<std::string>& log;
    bool autostartEntry = false;
    bool autostartRefused = false;
    int writes = 0;
    int logWindows = 0;
    std::vector<MonitorId> restoreWindows;  // the monitor each was opened for
    std::int64_t lastSeenProblem = 0;
    std::deque<std::optional<ScannerValues>> dialogAnswers;
    std::vector<std::optional<ScannerValues>> dialogSawExisting;
    std::vector<std::size_t> dialogSawOthers;
    std::vector<std::string> questions;
    bool confirmAnswer = false;
};

}  // namespace pellmar::test
