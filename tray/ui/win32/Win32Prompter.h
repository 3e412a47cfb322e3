// The modal questions of the Win32 views: the input box and the shell's folder browser, which
// remembers the last chosen folder for both "Browse" buttons of one dialog. Main thread.
#pragma once

#include "tray/ui/Prompter.h"

#include <windows.h>

namespace pellmar {

class Win32Prompter final : public Prompter {
public:
    // `owner` (the asking window) is disabled while a question is open.
    explicit Win32Prompter(HWND owner) : owner_(owner) {}

    std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& text) override;
    // File-system folders only, no title text; `initialFolder` (else the last chosen one) starts selected.
    std::optional<std::string> BrowseForFolder(const std::string& initialFolder) override;
    // No is the default button: the questions asked guard writes.
    bool Confirm(const std::string& question) override;

private:
    HWND owner_;
    std::string lastChosen_;
};

}  // namespace pellmar
