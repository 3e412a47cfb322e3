// pellmar_win32_gallery <window> [<picture.bmp>]: opens one window of the tray program with sample
// content. Without a picture path it stays open until closed; with one it saves the picture of
// the window (and of its balloon tip, if it shows one) once painted, and closes it.
// Windows: configuration-monitors, configuration-preferences, input-box, setup-dialog,
// setup-dialog-tips, event-log, restore-window, update-window.
#include "tests/ui/FakeMainForm.h"
#include "tools/win32-gallery/WindowCapture.h"
#include "tray/ui/win32/Win32Dialogs.h"
#include "tray/ui/win32/Win32Dispatcher.h"
#include "platform/win32/WideText.h"
#include "tray/ui/win32/Win32Prompter.h"
#include "tray/ui/win32/frmMainForm.h"
#include "updater/UpdateServices.h"
#include "updater/UpdateWindow.h"

#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

namespace pellmar::gallery {
namespace {

constexpr UINT kTickMilliseconds = 100;
constexpr int kPaintTicks = 5;    // ticks between showing and saving, for the paints to land
constexpr int kMaxTipTicks = 30;  // how long a picture waits for its balloon tip

struct Scene {
    std::string caption;                       // of the window to picture
    std::function<void(HWND)> prepare;         // run once the window is shown
    bool withTip = false;                      // the picture waits for a balloon tip
    std::function<void()> run;                 // opens the window modally
};

class SampleLog final : public LogStore {
public:
    int LoadLogEntries(LogListModel& list) override {
        list.Clear();
        list.Append({"Information", 0, "05/03/2024", "10:15:02", "Copy", "File replicated.",
                     {11, "C:\\Projects\\report.doc", "D:\\Backup\\Projects\\report.doc"}});
        list.Append({"Warning", 1, "05/03/2024", "10:14:40", "Copy", "File is locked; the copy waits for access.",
                     {12, "C:\\Projects\\budget.xls", "D:\\Backup\\Projects\\budget.xls"}});
        list.Append({"Error", 2, "05/03/2024", "10:12:09", "Delete", "The backup folder cannot be reached.",
                     {13, "C:\\Projects\\old.txt", "D:\\Backup\\Projects\\old.txt"}});
        return list.Count();
    }
    void CancelJob(std::int32_t) override {}
    std::int64_t NewestEntryId() override { return 1; }
};

ScannerValues SampleMonitor() {
    ScannerValues values;
    values.root = "C:\\Projects";
    values.backuppath = "D:\\Backup\\Projects";
    values.filters = {"*.doc", "*.xls"};
    values.exceptions = {"~$*.doc"};
    values.hasversions = true;
    values.maxversions = 10;
    values.status = 1;
    return values;
}

// The configuration window as the program fills it; the close box hides it, which ends the scene.
void RunConfiguration() {
    // The presenter tests' stand-ins: the monitors stay in memory, nothing is watched or stored.
    std::vector<std::string> log;
    test::FakeServices services(log);
    ScannerValues second = SampleMonitor();
    second.root = "C:\\Users\\Ann\\Projects\\reports";
    second.backuppath = "\\\\nas\\ann\\reports";
    second.hasversions = false;
    second.status = 0;
    test::FakeSession session(log);
    session.Fill({SampleMonitor(), second});
    std::unique_ptr<win32ui::MainForm> window = win32ui::MainForm::Create();
    if (!window) return;
    MainFormPresenter presenter(*window, services, session);
    window->SetPresenter(&presenter);
    presenter.Construct(true);
    win32ui::RunModal(window->Window(), nullptr, [&] { return !IsWindowVisible(window->Window()); });
}

// The updater's question as qmUpdate asks it; nothing is downloaded unless "OK" is pressed.
void RunUpdateQuestion() {
    UpdatePrompt prompt;
    prompt.yourVersion = "1.2.0.0";
    prompt.latestVersion = "1.3.0.0";
    prompt.promptText = BuildPromptText("Pellmar");
    prompt.caption = BuildPromptCaption("Pellmar");
    std::unique_ptr<UpdateServices> services = MakeSystemUpdateServices();
    ShowUpdateWindow(prompt, *services);
}

// A monitored folder with a few kept versions, made under C:\ (the gallery's own Wine prefix).
void RunRestore() {
    namespace fs = std::filesystem;
    const std::string root = "C:\\Users\\Ann\\Documents", backup = "C:\\Backup\\Documents";
    const auto write = [](const std::string& path, const std::string& text, int hoursAgo) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(hoursAgo));
    };
    for (int v = 1; v <= 3; ++v)
        write(backup + "\\report." + std::to_string(v) + ".txt",
              "Quarterly report, draft " + std::to_string(v) + "\r\n\r\nSales rose in every region.\r\n", 30 - 9 * v);
    write(backup + "\\budget.1.xls", std::string("\xD0\xCF\x11\xE0\0\0", 6), 20);
    write(backup + "\\letters\\to-bank.1.txt", "Dear Sir or Madam,\r\n", 50);
    write(root + "\\report.txt", "Quarterly report, draft 4", 0);
    std::vector<std::string> log;
    test::FakeSession session(log);
    ScannerValues monitor = SampleMonitor();
    monitor.root = root;
    monitor.backuppath = backup;
    session.Fill({monitor});
    session.locations.tempFilePath = "C:\\Backup\\Parked\\";
    std::unique_ptr<Win32Dispatcher> dispatcher = Win32Dispatcher::Create();
    if (dispatcher) RunRestoreDialog(nullptr, session, session.monitors.front().id, *dispatcher);
}

// The report's copies, as a click on it in the tree shows them.
void SelectReport(HWND window) {
    HWND tree = FindWindowExW(window, nullptr, WC_TREEVIEWW, nullptr);
    LPARAM item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (; item; item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, item)) {
        wchar_t text[64] = {};
        TVITEMW read{};
        read.mask = TVIF_TEXT;
        read.hItem = reinterpret_cast<HTREEITEM>(item);
        read.pszText = text;
        read.cchTextMax = 64;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read));
        if (std::wstring(text) == L"report.txt") SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, item);
    }
}

void ShowPreferences(HWND window) {
    HWND tabs = GetDlgItem(window, win32ui::MainForm::kTabs);
    SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
    NMHDR changed{tabs, static_cast<UINT_PTR>(win32ui::MainForm::kTabs), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(window, WM_NOTIFY, changed.idFrom, reinterpret_cast<LPARAM>(&changed));
    // The checkbox sits in a group box on the page: searched among all descendants.
    EnumChildWindows(window, [](HWND control, LPARAM) -> BOOL {
        if (GetDlgCtrlID(control) != win32ui::MainForm::kAutostart) return TRUE;
        SendMessageW(control, BM_CLICK, 0, 0);
        return FALSE;
    }, 0);
}

std::map<std::string, Scene> Scenes() {
    static SampleLog log;
    static const ScannerValues monitor = SampleMonitor();
    std::map<std::string, Scene> scenes;
    scenes["configuration-monitors"] = {"Pellmar Configuration", nullptr, false, RunConfiguration};
    scenes["configuration-preferences"] = {"Pellmar Configuration", ShowPreferences, false, RunConfiguration};
    scenes["input-box"] = {"Add New Filter", nullptr, false, [] {
                               Win32Prompter(nullptr).InputBox("Add New Filter", "Enter file filter (e.g. *.doc)",
                                                               "*.doc");
                           }};
    scenes["setup-dialog"] = {"Edit Folder Monitor", nullptr, false, [] { RunScannerDialog(nullptr, &monitor); }};
    scenes["setup-dialog-tips"] = {"Add New Folder Monitor",
                                   [](HWND window) {
                                       SendMessageW(FindWindowExW(window, nullptr, L"BUTTON", L"&OK"), BM_CLICK, 0, 0);
                                   },
                                   true, [] { RunScannerDialog(nullptr, nullptr); }};
    scenes["event-log"] = {"Pellmar Event Log  3 Events", nullptr, false, [] { RunLogDialog(nullptr, log); }};
    scenes["restore-window"] = {"Pellmar Restore", SelectReport, false, RunRestore};
    scenes["update-window"] = {BuildPromptCaption("Pellmar"), nullptr, false, RunUpdateQuestion};
    return scenes;
}

struct Visible {
    DWORD thread;
    RECT area{};
    HWND tip = nullptr;
};

BOOL CALLBACK AddVisible(HWND window, LPARAM context) {
    auto* visible = reinterpret_cast<Visible*>(context);
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0) visible->tip = window;
    RECT place{};
    GetWindowRect(window, &place);
    UnionRect(&visible->area, &visible->area, &place);
    return TRUE;
}

// Drives the scene from a thread timer inside the window's modal loop.
class Camera {
public:
    Camera(const Scene& scene, std::string picture) : scene_(scene), picture_(std::move(picture)) {
        active_ = this;
        timer_ = SetTimer(nullptr, 0, kTickMilliseconds, &Camera::Tick);
    }
    ~Camera() {
        KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
    bool Saved() const { return saved_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (active_) active_->Step();
    }

    void Step() {
        if (!window_) {
            window_ = FindWindowW(nullptr, platform::win32::Widen(scene_.caption).c_str());
            if (!window_ || !IsWindowVisible(window_)) {
                window_ = nullptr;
                return;
            }
            if (scene_.prepare) scene_.prepare(window_);
        }
        if (picture_.empty() || done_ || ++ticks_ < kPaintTicks) return;
        Visible visible{GetCurrentThreadId()};
        EnumThreadWindows(visible.thread, &AddVisible, reinterpret_cast<LPARAM>(&visible));
        if (scene_.withTip && !visible.tip && ticks_ < kMaxTipTicks) return;
        done_ = true;
        saved_ = SaveScreenArea(visible.area, picture_);
        PostMessageW(window_, WM_CLOSE, 0, 0);
    }

    static inline Camera* active_ = nullptr;
    const Scene& scene_;
    std::string picture_;
    UINT_PTR timer_ = 0;
    HWND window_ = nullptr;
    int ticks_ = 0;
    bool done_ = false;
    bool saved_ = false;
};

}  // namespace
}  // namespace pellmar::gallery

int main(int argc, char** argv) {
    using namespace pellmar::gallery;
    const std::map<std::string, Scene> scenes = Scenes();
    const auto scene = argc > 1 ? scenes.find(argv[1]) : scenes.end();
    if (scene == scenes.end()) {
        std::fprintf(stderr, "usage: pellmar_win32_gallery <window> [<picture.bmp>]; windows:");
        for (const auto& entry : scenes) std::fprintf(stderr, " %s", entry.first.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    Camera camera(scene->second, argc > 2 ? argv[2] : "");
    scene->second.run();
    if (argc > 2 && !camera.Saved()) {
        std::fprintf(stderr, "the picture of %s could not be saved\n", argv[1]);
        return 1;
    }
    return 0;
}
