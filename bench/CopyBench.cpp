// Benchmark: the worker's whole-or-nothing copy of one 1 GiB file against `cp` of the same file on
// the same disk. Prints both times and their ratio (cp time / worker time; 1.0 = as fast as cp).
// Usage: bench_copy [folder] [MiB]   (default: the system temporary folder, 1024 MiB)
#include "platform/FileCopy.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void WriteSample(const std::string& path, std::size_t mib) {
    std::vector<char> block(1 << 20);
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < mib; ++i) {
        for (std::size_t j = 0; j < block.size(); j += 4096) block[j] = static_cast<char>(i + j);
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const std::size_t mib = argc > 2 ? std::stoul(argv[2]) : 1024;
    const fs::path dir = base / ("pellmar-bench-copy-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string source = (dir / "source.bin").string();
    WriteSample(source, mib);

    std::vector<double> worker, cp;
    for (int round = 0; round < 3; ++round) {
        fs::remove(dir / "worker.bin");
        fs::remove(dir / "cp.bin");
        worker.push_back(Seconds([&] {
            if (pellmar::platform::CopyFileReplacing(source, (dir / "worker.bin").string()) !=
                pellmar::platform::CopyResult::Copied) {
                std::abort();
            }
        }));
        const std::string command = "cp '" + source + "' '" + (dir / "cp.bin").string() + "'";
        cp.push_back(Seconds([&] {
            if (std::system(command.c_str()) != 0) std::abort();
        }));
    }
    const double w = Median(worker), c = Median(cp);
    std::printf("copy of %zu MiB in %s\n", mib, dir.c_str());
    std::printf("  worker copy: %.3f s (%.0f MiB/s)\n", w, mib / w);
    std::printf("  cp:          %.3f s (%.0f MiB/s)\n", c, mib / c);
    std::printf("  ratio cp/worker: %.2f (target >= 0.9)\n", c / w);
    fs::remove_all(dir);
    return 0;
}
