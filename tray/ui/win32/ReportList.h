// The single selection of a report-view list view, as the configuration window and the event log
// window both keep it. Main thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace pellmar::win32ui {

// The selected row, or -1.
int SelectedListRow(HWND list);
// Selects and focuses the row and scrolls it into view.
void SelectListRow(HWND list, int row);
// Whether an item-changed notification is a row becoming selected or unselected (by a click, the
// keyboard or a program), as opposed to other state changes.
bool SelectionChanged(const NMLISTVIEW& change);

}  // namespace pellmar::win32ui
