// Cost of reading an update file list of 5,000 to 40,000 entries from "VersionInfo.ini": it must
// grow with the list, not with its square. Prints milliseconds per list size.
#include "updater/UpdateFileInfo.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

int main() {
    namespace fs = std::filesystem;
    const fs::path file = fs::temp_directory_path() / ("pellmar-file-list-bench-" + std::to_string(::getpid()) + ".ini");
    for (int entries : {5000, 10000, 20000, 40000}) {
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << "[AppInfo]\nAppName=Pellmar\nVersionNo=1.3.0.0\n[VersionUpdateFiles]\n";
            for (int n = 0; n < entries; ++n) out << "File" << n << "=https://h/updates/Pellmar/file" << n << ".dat\n";
        }
        auto start = std::chrono::steady_clock::now();
        std::size_t read = pellmar::ReadUpdateFileList(file.string()).size();
        auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
        std::printf("file_list_bench: %d entries: %.1f ms (%zu read)\n", entries, elapsed.count(), read);
    }
    fs::remove(file);
    return 0;
}
