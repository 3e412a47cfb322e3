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

MonitorRowTexts MonitorRow(const ScannerValues& values) {
    return {values.root, JoinList(values.filters), ActiveText(values.status == 1)};
}

MonitorDetails DetailsOf(const ScannerValues& values) {
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
    return details;
}

}  // namespace pellmar
