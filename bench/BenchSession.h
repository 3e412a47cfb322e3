// A private home for one benchmark run (settings, data folder, database under a fresh folder),
// and a session on the plain dispatcher with the program's real timings. Bench code only.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/PlainDispatcher.h"
#include "tray/model/ScannerValues.h"
#include "tray/session/FolderMonitor.h"

namespace pellmar::bench {

class BenchHome {
public:
    explicit BenchHome(const std::string& name, const std::filesystem::path& base = std::filesystem::temp_directory_path())
        : root_(base / ("pellmar-bench-" + name + "-" + std::to_string(std::rand()))) {
        std::filesystem::create_directories(root_ / "watched");
        std::filesystem::create_directories(root_ / "backup");
        setenv("HOME", (root_ / "home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    }
    ~BenchHome() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    std::string Path(const std::string& relative) const { return (root_ / relative).string(); }
    std::string DatabasePath() const { return Path("data/Quenmarsh/Pellmar/db/pellmar.db"); }

private:
    std::filesystem::path root_;
};

// One enabled monitor replicating every file of home's "watched" folder into its "backup" folder.
inline ScannerValues WatchEverythingMonitor(const BenchHome& home) {
    ScannerValues monitor;
    monitor.root = home.Path("watched");
    monitor.backuppath = home.Path("backup");
    monitor.filters = {"*"};
    monitor.status = 1;
    return monitor;
}

inline double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace pellmar::bench
