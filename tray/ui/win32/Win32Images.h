// The drawn images as Win32 objects, decoded from the XPM resources linked into the running
// program (tray/ui/win32/Pellmar.rc). Each call makes new objects that belong to the caller.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace pellmar::win32ui {

// The 16x16 tray icon (DestroyIcon when done); nullptr when the resource is missing or damaged.
HICON LoadTrayIcon();
// The event log's three 16x16 images (0 information, 1 warning, 2 error) with magenta left out
// (ImageList_Destroy when done); nullptr when the resource is missing or damaged.
HIMAGELIST LoadLogImageList();

}  // namespace pellmar::win32ui
