// The setup dialog's behaviour. The three checks are all made on every OK, in a fixed order, so
// that the pointer ends on the last failing control and every failing control carries its tip.
#include "tray/ui/ScannerFormPresenter.h"

#include "tray/monitor/SetupConflicts.h"

#include <climits>

namespace pellmar {
namespace {

TipControl TipOf(FolderBox box) { return box == FolderBox::Monitor ? TipControl::MonitorBox : TipControl::BackupBox; }

std::string WithoutTrailingDelimiter(std::string text) {
    if (!text.empty() && (text.back() == '/' || text.back() == '\\')) text.pop_back();
    return text;
}

}  // namespace

std::int32_t ReadVersionsText(const std::string& text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;  // saturate, keep reading
    }
    if (negative) return static_cast<std::int32_t>(value > INT_MAX ? INT_MIN : -value);
    return static_cast<std::int32_t>(value > INT_MAX ? INT_MAX : value);
}

ScannerFormPresenter::ScannerFormPresenter(ScannerFormView& view, Prompter& prompter)
    : view_(view), prompter_(prompter) {}

void ScannerFormPresenter::LoadNew() {
    view_.SetCaption("Add New Folder Monitor");
    view_.SetSwitchChecked(SetupSwitch::Subfolders, true);
    view_.SetSwitchChecked(SetupSwitch::Deletions, true);
    view_.SetVersionsText("10");
    view_.SetVersionsEnabled(false);
    view_.SetEnabledChecked(true);
}

void ScannerFormPresenter::Load(const ScannerValues* existing) {
    if (existing) {
        LoadExisting(*existing);
    } else {
        LoadNew();
    }
}

std::optional<ScannerValues> ScannerFormPresenter::Result() const {
    if (!accepted_) return std::nullopt;
    return Values();
}

void ScannerFormPresenter::LoadExisting(const ScannerValues& values) {
    view_.SetCaption("Edit Folder Monitor");
    view_.SetFolderText(FolderBox::Monitor, values.root);
    view_.SetFolderText(FolderBox::Backup, values.backuppath);
    for (const std::string& mask : values.filters) view_.AppendListItem(FilterList::Replicate, mask);
    for (const std::string& mask : values.exceptions) view_.AppendListItem(FilterList::Exclude, mask);
    UpdateListButtons(FilterList::Replicate);
    UpdateListButtons(FilterList::Exclude);
    view_.SetSwitchChecked(SetupSwitch::Subfolders, values.subfolders);
    view_.SetSwitchChecked(SetupSwitch::Deletions, values.deletions);
    view_.SetSwitchChecked(SetupSwitch::Exclusive, values.exclusive);
    view_.SetSwitchChecked(SetupSwitch::Versions, values.hasversions);
    // A monitor made without versions stores 0; ticking the box then offers the usual 10.
    view_.SetVersionsText(values.hasversions && values.maxversions > 0 ? std::to_string(values.maxversions) : "10");
    view_.SetVersionsEnabled(values.hasversions);
    view_.SetEnabledChecked(values.status == 1);
}

void ScannerFormPresenter::VersionsClicked() { view_.SetVersionsEnabled(view_.SwitchChecked(SetupSwitch::Versions)); }

void ScannerFormPresenter::AddFilter(FilterList list) {
    const char* prompt = list == FilterList::Replicate ? "Enter file filter (e.g. *.doc)" : "Enter file filter (e.g. ~$*.doc)";
    const std::string mask = prompter_.InputBox("Add New Filter", prompt, "");
    if (mask.empty()) return;
    view_.AppendListItem(list, mask);
    view_.SetListButtonsEnabled(list, true);
    if (list == FilterList::Replicate) view_.RemoveTip(TipControl::ReplicateList);
}

void ScannerFormPresenter::EditFilter(FilterList list) {
    const int current = view_.CurrentListItem(list);
    const std::vector<std::string> items = view_.ListItems(list);
    if (current < 0 || current >= static_cast<int>(items.size())) return;
    const std::string mask = prompter_.InputBox("Edit Filter", "Enter file filter", items[static_cast<std::size_t>(current)]);
    if (!mask.empty()) view_.ReplaceListItem(list, current, mask);
}

void ScannerFormPresenter::DeleteFilter(FilterList list) {
    const int current = view_.CurrentListItem(list);
    if (current < 0 || current >= static_cast<int>(view_.ListItems(list).size())) return;
    view_.RemoveListItem(list, current);
    UpdateListButtons(list);
}

void ScannerFormPresenter::ListClicked(FilterList list) { UpdateListButtons(list); }

void ScannerFormPresenter::UpdateListButtons(FilterList list) {
    view_.SetListButtonsEnabled(list, !view_.ListItems(list).empty());
}

void ScannerFormPresenter::Browse(FolderBox box) {
    const std::string text = view_.FolderText(box);
    const std::optional<std::string> chosen = prompter_.BrowseForFolder(WithoutTrailingDelimiter(text));
    if (chosen) view_.SetFolderText(box, *chosen);
}

void ScannerFormPresenter::FolderKeyReleased(FolderBox box) {
    if (!view_.FolderText(box).empty()) view_.RemoveTip(TipOf(box));
}

namespace {

TipControl TipControlOf(SetupField field) {
    switch (field) {
    case SetupField::Filters: return TipControl::ReplicateList;
    case SetupField::BackupFolder: return TipControl::BackupBox;
    case SetupField::MonitoredFolder: break;
    }
    return TipControl::MonitorBox;
}

}  // namespace

// The three requirements first; only values that meet them are checked for setups that could
// never work, each with a tip of the same kind.
void ScannerFormPresenter::Ok() {
    const ScannerValues values = Values();
    const std::vector<SetupProblem> problems = CheckSetupRequirements(values);
    for (const SetupProblem& problem : problems) {
        view_.ShowTip(TipControlOf(problem.field), problem.text);
        view_.MovePointerTo(TipControlOf(problem.field));
    }
    if (!problems.empty()) return;
    const std::vector<SetupConflict> conflicts = CheckSetupConflicts(values, others_);
    for (const SetupConflict& conflict : conflicts) {
        view_.ShowTip(TipControlOf(conflict.field), conflict.text);
        view_.MovePointerTo(TipControlOf(conflict.field));
    }
    if (!conflicts.empty()) return;
    accepted_ = true;
    view_.CloseDialog();
}

void ScannerFormPresenter::Cancel() {
    accepted_ = false;
    view_.CloseDialog();
}

ScannerValues ScannerFormPresenter::Values() const {
    ScannerValues values;
    values.root = view_.FolderText(FolderBox::Monitor);
    values.backuppath = view_.FolderText(FolderBox::Backup);
    values.filters = view_.ListItems(FilterList::Replicate);
    values.exceptions = view_.ListItems(FilterList::Exclude);
    values.subfolders = view_.SwitchChecked(SetupSwitch::Subfolders);
    values.deletions = view_.SwitchChecked(SetupSwitch::Deletions);
    values.exclusive = view_.SwitchChecked(SetupSwitch::Exclusive);
    values.hasversions = view_.SwitchChecked(SetupSwitch::Versions);
    values.maxversions = values.hasversions ? ReadVersionsText(view_.VersionsText()) : 0;
    values.status = view_.EnabledChecked() ? 1 : 0;
    return values;
}

}  // namespace pellmar
