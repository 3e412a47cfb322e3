// Renders every window of the tray program and the updater to PNG files, filled with sample
// content, for the README: configuration window (both pages), setup dialog with its three tips,
// input box, event log window, update window. Runs on any Qt platform (offscreen, Xvfb).
// Usage: pellmar_render_windows <output folder>
#include "tray/ui/ScannerFormPresenter.h"
#include "tray/ui/qt/BalloonTips.h"
#include "tray/ui/qt/frmInputBox.h"
#include "tests/ui/FakeMainForm.h"
#include "tray/ui/qt/QtDispatcher.h"
#include "tray/ui/qt/frmLogForm.h"
#include "tray/ui/qt/frmRestoreForm.h"
#include "tray/ui/qt/frmMainForm.h"
#include "tray/ui/qt/frmScannerForm.h"
#include "updater/frmUpdateForm.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QTabWidget>
#include <QTreeWidget>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace pellmar {
namespace {

constexpr int kCaptionHeight = 22;

// The client area under a plain caption bar, since grabbing shows no window frame.
QPixmap Framed(QWidget& window, const QPixmap& client) {
    QPixmap framed(client.width() + 2, client.height() + kCaptionHeight + 1);
    framed.fill(QColor(0x30, 0x4a, 0x7a));
    QPainter painter(&framed);
    painter.drawPixmap(1, kCaptionHeight, client);
    painter.setPen(Qt::white);
    QFont font = window.font();
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(8, 0, framed.width() - 16, kCaptionHeight), Qt::AlignVCenter, window.windowTitle());
    return framed;
}

bool Save(QWidget& window, const QPixmap& client, const QString& folder, const char* name) {
    const QString path = folder + "/" + name;
    const bool saved = Framed(window, client).save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", path.toStdString().c_str());
    return saved;
}

ScannerValues Sample(const std::string& root, const std::string& backup, bool versions) {
    ScannerValues values;
    values.root = root;
    values.backuppath = backup;
    values.filters = {"*.doc", "*.xls", "*.odt"};
    values.exceptions = {"~$*.doc"};
    values.hasversions = versions;
    values.maxversions = versions ? 10 : 0;
    values.status = 1;
    return values;
}

bool RenderMainForm(const QString& folder) {
    MainForm window;
    const std::vector<ScannerValues> monitors{Sample("/home/ann/Documents", "/media/backup/Documents", true),
                                              Sample("/home/ann/Projects/reports", "/srv/nas/ann/reports", false)};
    const MonitorStatus watching{MonitorState::Watching, {}};
    for (const ScannerValues& values : monitors) window.AppendRow(MonitorRow(values, watching));
    window.SetRow(1, {monitors[1].root, "*.doc;*.xls;*.odt", "Disabled", "Disabled"});
    window.SelectRow(0);
    window.ShowDetails(DetailsOf(monitors[0], watching));
    window.SetEditEnabled(true);
    window.SetDeleteEnabled(true);
    window.show();
    bool saved = Save(window, window.grab(), folder, "configuration-monitors.png");
    window.Tabs()->setCurrentIndex(1);
    window.SetAutostartChecked(true);
    window.SetApplyEnabled(true);
    return Save(window, window.grab(), folder, "configuration-preferences.png") && saved;
}

class NoPrompts final : public Prompter {
public:
    std::string InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> BrowseForFolder(const std::string&) override { return std::nullopt; }
    bool Confirm(const std::string&) override { return false; }
};

bool RenderSetupDialog(const QString& folder) {
    ScannerForm dialog;
    NoPrompts prompts;
    ScannerFormPresenter presenter(dialog, prompts);
    dialog.SetPresenter(&presenter);
    presenter.LoadNew();
    dialog.show();
    presenter.Ok();
    const QPixmap client = dialog.grab();
    std::vector<std::pair<QPoint, QPixmap>> tips;
    QRect bounds = client.rect();
    for (TipControl control : {TipControl::ReplicateList, TipControl::BackupBox, TipControl::MonitorBox}) {
        QPoint at;
        QPixmap tip = dialog.Tips().Picture(dialog.TipTarget(control), &at);
        tips.emplace_back(dialog.mapFromGlobal(at), tip);
        bounds |= QRect(tips.back().first, tip.size());
    }
    QPixmap canvas(bounds.size());
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.drawPixmap(0, 0, client);
    for (const auto& [at, tip] : tips) painter.drawPixmap(at, tip);
    painter.end();
    return Save(dialog, canvas, folder, "setup-dialog-tips.png");
}

bool RenderInputBox(const QString& folder) {
    InputBoxForm box;
    box.SetCaption("Add New Filter");
    box.SetPrompt("Enter file filter (e.g. *.doc)");
    box.SetText("*.odt");
    box.show();
    return Save(box, box.grab(), folder, "input-box.png");
}

class SampleLog final : public LogStore {
public:
    int LoadLogEntries(LogListModel& list) override {
        list.Clear();
        const char* types[] = {"Information", "Warning", "Error"};
        const char* messages[] = {"File copied successfully.", "The destination is not reachable; the copy will be retried.",
                                  "The source file could not be read."};
        for (int at = 0; at < 9; ++at) {
            LogListRow row;
            row.image = (at * 2) % 3;
            row.type = types[row.image];
            row.date = "12/8/2026";
            row.time = "4:" + std::to_string(40 - at) + ":12 PM";
            row.operation = "Copy";
            row.description = messages[row.image];
            row.item = {100 - at, "/home/ann/Documents/report" + std::to_string(at) + ".doc",
                        "/media/backup/Documents/report" + std::to_string(at) + ".3.doc"};
            list.Append(row);
        }
        return list.Count();
    }
    void CancelJob(std::int32_t) override {}
    std::int64_t NewestEntryId() override { return 1; }
};

bool RenderLogForm(const QString& folder) {
    SampleLog store;
    LogForm window;
    LogFormPresenter presenter(window, store);
    window.SetPresenter(&presenter);
    window.show();
    window.SelectRow(1);
    presenter.ListClicked();
    return Save(window, window.grab(), folder, "event-log.png");
}

// A monitored folder with a few kept versions in a temporary folder, removed afterwards.
bool RenderRestoreForm(const QString& folder) {
    namespace fs = std::filesystem;
    const fs::path sample = fs::temp_directory_path() / "pellmar-render-restore";
    const std::string root = (sample / "home/ann/Documents").string(), backup = (sample / "backup/Documents").string();
    const auto write = [](const std::string& path, const std::string& text, int hoursAgo) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(hoursAgo));
    };
    for (int v = 1; v <= 3; ++v)
        write(backup + "/report." + std::to_string(v) + ".txt",
              "Quarterly report, draft " + std::to_string(v) + "\n\nSales rose in every region.\n", 30 - 9 * v);
    write(backup + "/budget.1.xls", std::string("\xD0\xCF\x11\xE0\0\0", 6), 20);
    write(backup + "/letters/to-bank.1.txt", "Dear Sir or Madam,\n", 50);
    write(root + "/report.txt", "Quarterly report, draft 4", 0);
    std::vector<std::string> log;
    test::FakeSession session(log);
    session.Fill({Sample(root, backup, true)});
    session.locations.tempFilePath = (sample / "parked/").string();
    QtDispatcher dispatcher;
    NoPrompts prompts;
    RestoreForm window;
    RestoreFormPresenter presenter(window, session, prompts, dispatcher);
    window.SetPresenter(&presenter, session.monitors.front().id);
    window.show();
    QTreeWidgetItem* top = window.Tree()->topLevelItem(0);
    for (int child = 0; top && child < top->childCount(); ++child) {
        top->child(child)->setExpanded(true);
        if (top->child(child)->text(0) == "report.txt") window.Tree()->setCurrentItem(top->child(child));
    }
    const bool saved = Save(window, window.grab(), folder, "restore-window.png");
    fs::remove_all(sample);
    return saved;
}

struct NoUpdateServices final : UpdateServices {
    bool Download(const std::string&, const std::string&, const platform::DownloadProgress&, std::uint64_t,
                  platform::DownloadedFileKind) override {
        return false;
    }
    void SendClose(platform::WindowHandle) override {}
    bool WindowExists(platform::WindowHandle) override { return false; }
    void StartProgram(const std::string&) override {}
    void Pause(std::chrono::milliseconds) override {}
};

bool RenderUpdateForm(const QString& folder) {
    UpdatePrompt prompt;
    prompt.yourVersion = "1.2.0.0";
    prompt.latestVersion = "1.3.0.0";
    prompt.promptText = BuildPromptText("Pellmar");
    prompt.caption = BuildPromptCaption("Pellmar");
    NoUpdateServices services;
    UpdateForm form(prompt, services);
    form.show();
    return Save(form, form.grab(), folder, "update-window.png");
}

}  // namespace
}  // namespace pellmar

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    using namespace pellmar;
    const bool ok = RenderMainForm(folder) & RenderSetupDialog(folder) & RenderInputBox(folder) &
                    RenderLogForm(folder) & RenderRestoreForm(folder) & RenderUpdateForm(folder);
    return ok ? 0 : 1;
}
