// Parsing is table-driven: each verb names its positional arguments and the options it takes,
// so the checks (unknown option, missing value, wrong count) are made once for all verbs.
#include "tray/ctl/CtlCommand.h"

#include "common/Utf8Path.h"
#include "tray/util/Lists.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <set>

namespace pellmar::ctl {
namespace {

struct VerbRule {
    const char* verb;
    std::vector<const char*> positional;  // names, for the messages
    std::set<std::string> options;        // without the leading "--"
};

const std::set<std::string> kAddOptions = {"masks", "except", "no-subfolders", "no-deletions", "exclusive",
                                           "versions", "disabled"};

std::set<std::string> EditOptions() {
    std::set<std::string> options = kAddOptions;
    options.insert({"folder", "backup", "subfolders", "deletions", "no-exclusive", "no-versions", "enabled"});
    return options;
}

const std::vector<VerbRule>& Rules() {
    static const std::vector<VerbRule> rules = {
        {"list", {}, {}}, {"show", {"ID"}, {}}, {"add", {"FOLDER", "BACKUP"}, kAddOptions},
        {"edit", {"ID"}, EditOptions()}, {"delete", {"ID"}, {}}, {"enable", {"ID"}, {}},
        {"disable", {"ID"}, {}}, {"log", {}, {"limit"}}, {"cancel", {"JOBID"}, {}},
        {"jobs", {}, {}}, {"sync", {"ID"}, {}}, {"versions", {"PATH"}, {}},
        {"restore", {"PATH"}, {"version", "at", "to", "dry-run"}},
    };
    return rules;
}

bool TakesValue(const std::string& option) {
    return option == "masks" || option == "except" || option == "versions" || option == "folder" ||
           option == "backup" || option == "limit" || option == "version" || option == "at" || option == "to";
}

std::optional<std::int32_t> ReadPositive(const std::string& text) {
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
    return value;
}

std::string Absolute(const std::string& path, const std::string& workingFolder) {
    if (path.empty()) return path;
    const std::filesystem::path given = PathFromUtf8(path);
    if (given.is_absolute()) return path;
    return Utf8FromPath((PathFromUtf8(workingFolder) / given).lexically_normal());
}

std::optional<std::vector<std::string>> ReadMaskList(const std::string& text, std::string* error) {
    std::vector<std::string> list;
    SplitList(text, &list);
    if (std::find(list.begin(), list.end(), std::string()) != list.end()) {
        *error = "an empty mask in \"" + text + "\"";
        return std::nullopt;
    }
    return list;
}

}  // namespace

namespace {

// Applies one option with its value (empty for a switch); false with `error` set when refused.
bool ApplyOption(const std::string& option, const std::string& value, const std::string& workingFolder,
                 CtlCommand& command, std::string* error) {
    MonitorOptions& m = command.monitor;
    RestoreOptions& r = command.restore;
    if (option == "version") {
        r.version = ReadPositive(value);
        if (!r.version) *error = "--version needs a version number above 0, not \"" + value + "\"";
        return r.version.has_value();
    }
    if (option == "at") {
        r.at = ReadLocalTime(value);
        if (!r.at) *error = "--at needs a local time such as 2026-12-09T14:05 or 2026-12-09T14:05:30, not \"" + value + "\"";
        return r.at.has_value();
    }
    if (option == "to") r.to = Absolute(value, workingFolder);
    else if (option == "dry-run") r.dryRun = true;
    else if (option == "masks" || option == "except") {
        auto list = ReadMaskList(value, error);
        if (!list) return false;
        (option == "masks" ? m.masks : m.exceptions) = std::move(list);
    } else if (option == "versions" || option == "limit") {
        auto number = ReadPositive(value);
        if (!number) {
            *error = "--" + option + " needs a whole number above 0, not \"" + value + "\"";
            return false;
        }
        if (option == "versions") m.versions = *number;
        else command.limit = *number;
    } else if (option == "folder" || option == "backup") {
        (option == "folder" ? m.folder : m.backup) = Absolute(value, workingFolder);
    } else if (option == "no-versions") {
        m.versions = 0;
    } else {
        const bool on = option.rfind("no-", 0) != 0 && option != "disabled";
        const std::string name = on ? option : (option == "disabled" ? "enabled" : option.substr(3));
        if (name == "subfolders") m.subfolders = on;
        else if (name == "deletions") m.deletions = on;
        else if (name == "exclusive") m.exclusive = on;
        else m.enabled = on;
    }
    return true;
}

const VerbRule* FindRule(const std::string& verb) {
    for (const VerbRule& rule : Rules()) {
        if (verb == rule.verb) return &rule;
    }
    return nullptr;
}

// Splits "--name=value", "--name value" and switches; false with `error` set when refused.
bool ReadOption(const VerbRule& rule, const std::vector<std::string>& args, std::size_t* index, std::string* name,
                std::string* value, std::string* error) {
    std::string text = args[*index].substr(2);
    std::size_t equals = text.find('=');
    *name = text.substr(0, equals);
    if (rule.options.count(*name) == 0) {
        *error = "unknown option --" + *name + " for " + rule.verb;
        return false;
    }
    if (!TakesValue(*name)) {
        if (equals == std::string::npos) return true;
        *error = "--" + *name + " takes no value";
        return false;
    }
    if (equals != std::string::npos) {
        *value = text.substr(equals + 1);
    } else if (*index + 1 < args.size()) {
        *value = args[++*index];
    } else {
        *error = "--" + *name + " needs a value";
        return false;
    }
    return true;
}

}  // namespace

namespace {

bool ReadPositionals(const VerbRule& rule, const std::vector<std::string>& positional,
                     const std::string& workingFolder, CtlCommand& command, std::string* error) {
    if (positional.size() != rule.positional.size()) {
        *error = std::string(rule.verb) + " takes " +
                 (rule.positional.empty() ? std::string("no arguments")
                                          : rule.positional.size() == 2 ? std::string("FOLDER and BACKUP")
                                                                        : std::string(rule.positional[0])) +
                 "; see pellmarctl " + rule.verb + " --help";
        return false;
    }
    if (command.verb == "versions" || command.verb == "restore") {
        command.path = Absolute(positional[0], workingFolder);
        if (command.restore.version && command.restore.at) {
            *error = "--version and --at cannot be combined: give the version of a file, or the time to go back to";
            return false;
        }
    } else if (command.verb == "add") {
        command.monitor.folder = Absolute(positional[0], workingFolder);
        command.monitor.backup = Absolute(positional[1], workingFolder);
    } else if (!positional.empty()) {
        auto id = ReadPositive(positional[0]);
        if (!id) {
            *error = std::string(rule.positional[0]) + " must be a whole number above 0, not \"" + positional[0] + "\"";
            return false;
        }
        command.id = *id;
    }
    return true;
}

}  // namespace

ParseResult ParseCommand(const std::vector<std::string>& args, const std::string& workingFolder) {
    CtlCommand command;
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        command.help = !args.empty();
        if (args.empty()) return {std::nullopt, "no command given; see pellmarctl --help"};
        return {command, {}};
    }
    const VerbRule* rule = FindRule(args[0]);
    if (!rule) return {std::nullopt, "unknown command \"" + args[0] + "\"; see pellmarctl --help"};
    command.verb = rule->verb;
    std::vector<std::string> positional;
    std::string error;
    for (std::size_t index = 1; index < args.size(); ++index) {
        if (args[index] == "--help" || args[index] == "-h") {
            command.help = true;
        } else if (args[index] == "--json") {
            command.json = true;
        } else if (args[index].rfind("--", 0) == 0) {
            std::string name, value;
            if (!ReadOption(*rule, args, &index, &name, &value, &error) ||
                !ApplyOption(name, value, workingFolder, command, &error)) {
                return {std::nullopt, error};
            }
        } else {
            positional.push_back(args[index]);
        }
    }
    if (command.help) return {command, {}};
    if (!ReadPositionals(*rule, positional, workingFolder, command, &error)) return {std::nullopt, error};
    return {command, {}};
}

bool ChangesState(const std::string& verb) {
    return verb != "list" && verb != "show" && verb != "log" && verb != "jobs" && verb != "versions";
}

std::optional<DateTime> ReadLocalTime(const std::string& text) {
    DateTimeFields fields;
    char separator = 0;
    int used = 0;
    const int read = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d%n:%2d%n", &fields.year, &fields.month, &fields.day,
                                 &separator, &fields.hour, &fields.minute, &used, &fields.second, &used);
    if (read < 6 || (separator != 'T' && separator != ' ') || used != static_cast<int>(text.size())) return std::nullopt;
    if (read == 6) fields.second = 0;
    if (fields.year < 1 || fields.month < 1 || fields.month > 12 || fields.day < 1 || fields.hour > 23 ||
        fields.minute > 59 || fields.second > 59 || fields.hour < 0 || fields.minute < 0 || fields.second < 0)
        return std::nullopt;
    const DateTime encoded = EncodeDateTime(fields);
    const DateTimeFields back = DecodeDateTime(encoded);
    if (back.day != fields.day || back.month != fields.month) return std::nullopt;  // 2026-02-30
    return encoded;
}

ScannerValues NewMonitorValues() {
    ScannerValues values;
    values.filters = {"*"};
    values.status = 1;
    return values;
}

ScannerValues ApplyOptions(ScannerValues base, const MonitorOptions& options) {
    if (options.folder) base.root = *options.folder;
    if (options.backup) base.backuppath = *options.backup;
    if (options.masks) base.filters = *options.masks;
    if (options.exceptions) base.exceptions = *options.exceptions;
    if (options.subfolders) base.subfolders = *options.subfolders;
    if (options.deletions) base.deletions = *options.deletions;
    if (options.exclusive) base.exclusive = *options.exclusive;
    if (options.enabled) base.status = *options.enabled ? 1 : 0;
    if (options.versions) {
        base.hasversions = *options.versions > 0;
        base.maxversions = *options.versions;
    }
    if (!base.hasversions) base.maxversions = 0;
    return base;
}

}  // namespace pellmar::ctl
