// Texts of one monitor's list row and details pane.
#include "tray/ui/MonitorTexts.h"

#include "tray/util/Lists.h"

namespace pellmar {
namespace {

std::string YesNo(bool flag) { return IfThenText(flag, "Yes", "No"); }

}  // namespace

std::string VersionsText(bool hasversions, std::int32_t maxversions) {
    if (!hasversions) return "No";
    return "Yes, " + std::to_string(maxversions) + " versions maximum";
}

std::string StatusColumnText(const MonitorStatus& status) {
    if (status.state == MonitorState::Watching || status.state == MonitorState::Disabled)
        return ActiveText(status.state == MonitorState::Watching);
    std::string text = MonitorStateText(status.state);
    if (!text.empty()) text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

MonitorRowTexts MonitorRow(const ScannerValues& values, const MonitorStatus& status) {
    std::string tip = StatusColumnText(status);
    if (!status.reason.empty()) tip += ": " + status.reason;
    return {values.root, JoinList(values.filters), StatusColumnText(status), tip};
}

std::string CellTip(const MonitorRowTexts& row, int column) {
    switch (column) {
    case 0: return row.folder;
    case 1: return row.types;
    case 2: return row.statusTip;
    default: return {};
    }
}

MonitorDetails DetailsOf(const ScannerValues& values, const MonitorStatus& status) {
    MonitorDetails details;
    details.deletions = YesNo(values.deletions);
    details.versions = VersionsText(values.hasversions, values.maxversions);
    details.filters = JoinList(values.filters);
    details.exceptions = JoinList(values.exceptions);
    details.root = values.root;
    details.backuppath = values.backuppath;
    details.exclusive = YesNo(values.exclusive);
    details.subfolders = YesNo(values.subfolders);
    details.status = values.status == 1 ? "Enabled" : "Disabled";
    if (values.status == 1 && status.state != MonitorState::Watching) details.status = StatusColumnText(status);
    return details;
}

}  // namespace pellmar
