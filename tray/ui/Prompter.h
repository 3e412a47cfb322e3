// The modal questions the windows ask (the input box, the folder browser, a yes/no question), behind one seam so
// that the presenters are tested with scripted answers. No toolkit.
#pragma once

#include <optional>
#include <string>

namespace pellmar {

// Thread contract: main thread; every call is modal and returns when the user has answered.
class Prompter {
public:
    virtual ~Prompter() = default;
    // The confirmed text, or empty when cancelled (the two cannot be told apart).
    virtual std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& text) = 0;
    // The chosen folder's full path, or nothing when the user cancelled.
    virtual std::optional<std::string> BrowseForFolder(const std::string& initialFolder) = 0;
    // A yes/no question; true for yes.
    virtual bool Confirm(const std::string& question) = 0;
};

}  // namespace pellmar
