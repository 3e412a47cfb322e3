// The modal questions of the Qt views: the input box and the platform's folder browser, which
// remembers the last chosen folder for both "Browse" buttons of one dialog. Main thread.
#pragma once

#include "tray/ui/Prompter.h"

class QWidget;

namespace pellmar {

class QtPrompter final : public Prompter {
public:
    explicit QtPrompter(QWidget* owner) : owner_(owner) {}

    std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& text) override;
    std::optional<std::string> BrowseForFolder(const std::string& initialFolder) override;
    bool Confirm(const std::string& question) override;

private:
    QWidget* owner_;
    std::string lastChosen_;
};

}  // namespace pellmar
