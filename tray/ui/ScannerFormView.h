// The setup dialog's controls as the presenter sees them: folder boxes, the two filter lists, the
// switches, the versions box and the balloon tips. No toolkit; the Qt and the Win32 dialogs
// implement it.
#pragma once

#include <string>
#include <vector>

namespace pellmar {

enum class FolderBox { Monitor, Backup };
enum class FilterList { Replicate, Exclude };
enum class SetupSwitch { Subfolders, Deletions, Exclusive, Versions };
// The controls a requirement tip can sit on.
enum class TipControl { ReplicateList, BackupBox, MonitorBox };

// Thread contract: main thread only.
class ScannerFormView {
public:
    virtual ~ScannerFormView() = default;
    virtual void SetCaption(const std::string& caption) = 0;

    virtual std::string FolderText(FolderBox box) const = 0;
    virtual void SetFolderText(FolderBox box, const std::string& text) = 0;

    virtual std::vector<std::string> ListItems(FilterList list) const = 0;
    virtual void AppendListItem(FilterList list, const std::string& text) = 0;
    virtual void ReplaceListItem(FilterList list, int index, const std::string& text) = 0;
    virtual void RemoveListItem(FilterList list, int index) = 0;
    // The entries shown selected, in ascending order (Shift and Ctrl select several).
    virtual std::vector<int> SelectedListItems(FilterList list) const = 0;
    // Selects only `index` and makes it the entry with the focus; -1 selects none.
    virtual void SelectListItem(FilterList list, int index) = 0;
    // The list's "Edit" and "Delete" buttons.
    virtual void SetListButtonsEnabled(FilterList list, bool edit, bool remove) = 0;

    virtual bool SwitchChecked(SetupSwitch which) const = 0;
    virtual void SetSwitchChecked(SetupSwitch which, bool checked) = 0;
    virtual std::string VersionsText() const = 0;
    virtual void SetVersionsText(const std::string& text) = 0;
    // The versions box and its "Versions to Keep" label together.
    virtual void SetVersionsEnabled(bool enabled) = 0;
    virtual bool EnabledChecked() const = 0;  // "Enabled" radio button; "Disabled" otherwise
    virtual void SetEnabledChecked(bool enabled) = 0;

    // Attaches the tip (or replaces the text of the one there) / removes it.
    virtual void ShowTip(TipControl control, const std::string& text) = 0;
    virtual void RemoveTip(TipControl control) = 0;
    // Pops the control's tip up now, pointing at the control; the pointer stays where it is
    // (Wayland lets no program move it).
    virtual void PopTip(TipControl control) = 0;

    // Ends the modal showing.
    virtual void CloseDialog() = 0;
};

}  // namespace pellmar
