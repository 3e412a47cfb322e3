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
    void Start() override { ++starts; }
    int Count() const override { return static_cast<int>(monitors.size()); }
    MonitorHandle Item(int index) const override {
        auto it = monitors.begin();
        std::advance(it, index);
        return const_cast<ScannerValues*>(&*it);
    }
    ScannerValues Values(MonitorHandle monitor) const override { return *static_cast<ScannerValues*>(monitor); }
    MonitorHandle Save(MonitorHandle monitor, const ScannerValues& values) override {
        if (!monitor) return &monitors.emplace_back(values);
        *static_cast<ScannerValues*>(monitor) = values;
        return monitor;
    }
    void Delete(MonitorHandle monitor) override {
        monitors.remove_if([monitor](const ScannerValues& item) { return &item == monitor; });
    }
    void SetStatus(MonitorHandle monitor, std::int32_t status) override { static_cast<ScannerValues*>(monitor)->status = status; }
    // An enabled monitor watches unless a test says otherwise.
    MonitorStatus StatusOf(MonitorHandle monitor) const override {
        const ScannerValues& values = *static_cast<ScannerValues*>(monitor);
        if (values.status != 1) return {};
        const auto given = states.find(values.root);
        return given != states.end() ? given->second : MonitorStatus{MonitorState::Watching, {}};
    }
    void StopMonitoring() override { ++stops; }
    std::unique_ptr<LogStore> OpenLogStore() override { return nullptr; }

    std::list<ScannerValues> monitors;  // stable addresses, like the session's scanners
    std::map<std::string, MonitorStatus> states;  // by monitored folder
    int starts = 0;
    int stops = 0;
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
    std::unique_ptr<MonitorSession> CreateSession() override {
        log.push_back("create session");
        auto made = std::make_unique<FakeSession>();
        made->monitors = initialMonitors;
        session = made.get();
        return made;
    }
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
    void ExitStarted() override { log.push_back("exit started"); }

    std::vector<std::string>& log;
    std::list<ScannerValues> initialMonitors;
    FakeSession* session = nullptr;
    bool autostartEntry = false;
    bool autostartRefused = false;
    int writes = 0;
    int logWindows = 0;
    std::deque<std::optional<ScannerValues>> dialogAnswers;
    std::vector<std::optional<ScannerValues>> dialogSawExisting;
    std::vector<std::size_t> dialogSawOthers;
    std::vector<std::string> questions;
    bool confirmAnswer = false;
};

}  // namespace pellmar::test
