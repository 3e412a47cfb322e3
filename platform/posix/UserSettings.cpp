// The per-user settings store on Linux: $XDG_CONFIG_HOME/Quenmarsh/Pellmar.conf, one "Name=Value"
// per line. Lines it does not understand are kept as they are when the file is rewritten, and a
// rewrite goes through a temporary file so a crash never leaves a truncated settings file.
#include "platform/UserSettings.h"

#include "platform/Environment.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace pellmar::platform {
namespace {

bool SameNameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

class ConfFileSettings final : public UserSettings {
public:
    explicit ConfFileSettings(std::string filePath) : filePath_(std::move(filePath)) {}

    std::string ReadText(const std::string& name) override {
        for (const std::string& line : ReadLines()) {
            std::size_t equals = line.find('=');
            if (equals != std::string::npos && SameNameIgnoringAsciiCase(line.substr(0, equals), name))
                return line.substr(equals + 1);
        }
        return {};
    }

    bool WriteText(const std::string& name, const std::string& value) override {
        if (value.find('\n') != std::string::npos) return false;  // would corrupt the line structure
        std::vector<std::string> lines = ReadLines();
        bool replaced = false;
        for (std::string& line : lines) {
            std::size_t equals = line.find('=');
            if (equals != std::string::npos && SameNameIgnoringAsciiCase(line.substr(0, equals), name)) {
                line = name + "=" + value;
                replaced = true;
                break;
            }
        }
        if (!replaced) lines.push_back(name + "=" + value);
        return WriteLines(lines);
    }

private:
    std::vector<std::string> ReadLines() const {
        std::vector<std::string> lines;
        std::ifstream in(filePath_, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    bool WriteLines(const std::vector<std::string>& lines) const {
        std::string temporary = filePath_ + ".tmp";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            for (const std::string& line : lines) out << line << '\n';
            out.flush();
            if (!out) {
                std::remove(temporary.c_str());
                return false;
            }
        }
        if (std::rename(temporary.c_str(), filePath_.c_str()) != 0) {
            std::remove(temporary.c_str());
            return false;
        }
        return true;
    }

    std::string filePath_;
};

bool CreateFolderWithParents(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        CreateFolder(path.substr(0, slash));
    return CreateFolder(path);
}

}  // namespace

std::unique_ptr<UserSettings> UserSettings::Open() {
    std::string configRoot = GetUserConfigPath();
    if (configRoot.empty()) return nullptr;
    std::string folder = configRoot + "/Quenmarsh";
    if (!CreateFolderWithParents(folder)) return nullptr;
    std::string filePath = folder + "/Pellmar.conf";
    if (!FileExists(filePath)) {
        std::ofstream create(filePath, std::ios::binary | std::ios::app);
        if (!create) return nullptr;
    }
    std::ifstream probe(filePath, std::ios::binary);
    if (!probe) return nullptr;
    return std::make_unique<ConfFileSettings>(filePath);
}

}  // namespace pellmar::platform
