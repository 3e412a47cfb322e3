// The setup dialog's behaviour: filling it for a new or an existing monitor, the list and switch
// actions, the folder browser, the three requirement checks on OK with their tips, and reading
// the values back. Touches neither the database nor the monitor; the caller saves the result.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tray/model/ScannerValues.h"
#include "tray/model/SetupRequirements.h"
#include "tray/ui/Prompter.h"
#include "tray/ui/ScannerFormView.h"

#include <vector>

namespace pellmar {

inline constexpr const char* kTipTitle = "Scanner Setup Requirements";

// The versions box read as a decimal integer: optional sign, digits up to the first other
// character, 0 without digits. Saturates instead of overflowing.
std::int32_t ReadVersionsText(const std::string& text);

// Thread contract: main thread; view and prompter outlive the presenter.
class ScannerFormPresenter {
public:
    ScannerFormPresenter(ScannerFormView& view, Prompter& prompter);

    void LoadNew();
    void LoadExisting(const ScannerValues& values);
    // Either of the two: a new monitor for null.
    void Load(const ScannerValues* existing);
    // The session's other monitors, for the checks of setups that could never work.
    void SetOtherMonitors(std::vector<ScannerValues> others) { others_ = std::move(others); }

    void VersionsClicked();
    void AddFilter(FilterList list);
    // On the one entry shown selected; nothing with none or several.
    void EditFilter(FilterList list);  // also a double-click in the list
    // Every entry shown selected; the entry after them is selected next.
    void DeleteFilter(FilterList list);
    // A click or a key changed which entries are selected.
    void ListSelectionChanged(FilterList list);
    void Browse(FolderBox box);
    void FolderKeyReleased(FolderBox box);
    void Ok();  // also Enter
    void Cancel();

    bool Accepted() const { return accepted_; }
    ScannerValues Values() const;
    // The values when the dialog closed through OK; nothing otherwise.
    std::optional<ScannerValues> Result() const;

private:
    void UpdateListButtons(FilterList list);

    ScannerFormView& view_;
    Prompter& prompter_;
    std::vector<ScannerValues> others_;
    bool accepted_ = false;
};

}  // namespace pellmar
