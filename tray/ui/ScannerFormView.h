// The setup dialog's controls as the presenter sees them: folder boxes, the two filter lists, the
// switches, the versions box, balloon tips and the pointer. No toolkit; the Qt dialog (and later
// the Win32 one) implements it.
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
    // The entry with the focus, or -1.
    virtual int CurrentListItem(FilterList list) const = 0;
    // The list's "Edit" and "Delete" buttons.
    virtual void SetListButtonsEnabled(FilterList list, bool enabled) = 0;

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
    // Moves the mouse pointer a few pixels into the control so its tip pops up at once.
    virtual void MovePointerTo(TipControl control) = 0;

    // Ends the modal showing.
    virtual void CloseDialog() = 0;
};

}  // namespace pellmar
