// The setup dialog's behaviour. The three checks are all made on every OK, in a fixed order, so
// that every failing control carries its tip and the last failing one pops its tip up at once.
#include "tray/ui/ScannerFormPresenter.h"

#include "tray/monitor/SetupConflicts.h"

#include <algorithm>
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
    // Each list opens with its first entry selected, so that "Edit" and "Delete" have one to act on.
    for (const FilterList list : {FilterList::Replicate, FilterList::Exclude}) {
        view_.SelectListItem(list, view_.ListItems(list).empty() ? -1 : 0);
        UpdateListButtons(list);
    }
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
    // The new entry is the one "Edit" and "Delete" then act on.
    view_.SelectListItem(list, static_cast<int>(view_.ListItems(list).size()) - 1);
    UpdateListButtons(list);
    if (list == FilterList::Replicate) view_.RemoveTip(TipControl::ReplicateList);
}

void ScannerFormPresenter::EditFilter(FilterList list) {
    const std::vector<int> selected = view_.SelectedListItems(list);
    const std::vector<std::string> items = view_.ListItems(list);
    if (selected.size() != 1 || selected.front() < 0 || selected.front() >= static_cast<int>(items.size())) return;
    const int entry = selected.front();
    const std::string mask = prompter_.InputBox("Edit Filter", "Enter file filter", items[static_cast<std::size_t>(entry)]);
    if (mask.empty()) return;
    view_.ReplaceListItem(list, entry, mask);
    view_.SelectListItem(list, entry);
    UpdateListButtons(list);
}

// From the last selected entry backwards, so the indexes still to remove stay valid.
void ScannerFormPresenter::DeleteFilter(FilterList list) {
    std::vector<int> selected = view_.SelectedListItems(list);
    const auto count = static_cast<int>(view_.ListItems(list).size());
    std::erase_if(selected, [count](int entry) { return entry < 0 || entry >= count; });
    if (selected.empty()) return;
    std::sort(selected.begin(), selected.end());
    for (auto entry = selected.rbegin(); entry != selected.rend(); ++entry) view_.RemoveListItem(list, *entry);
    const int left = count - static_cast<int>(selected.size());
    view_.SelectListItem(list, left > 0 ? std::min(selected.front(), left - 1) : -1);
    UpdateListButtons(list);
}

void ScannerFormPresenter::ListSelectionChanged(FilterList list) { UpdateListButtons(list); }

// "Edit" needs exactly one entry to act on, "Delete" at least one.
void ScannerFormPresenter::UpdateListButtons(FilterList list) {
    const std::size_t selected = view_.SelectedListItems(list).size();
    view_.SetListButtonsEnabled(list, selected == 1, selected > 0);
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
    for (const SetupProblem& problem : problems) view_.ShowTip(TipControlOf(problem.field), problem.text);
    if (!problems.empty()) {
        view_.PopTip(TipControlOf(problems.back().field));
        return;
    }
    const std::vector<SetupConflict> conflicts = CheckSetupConflicts(values, others_);
    for (const SetupConflict& conflict : conflicts) view_.ShowTip(TipControlOf(conflict.field), conflict.text);
    if (!conflicts.empty()) {
        view_.PopTip(TipControlOf(conflicts.back().field));
        return;
    }
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
