// The input box's behaviour: one question with caption, prompt and initial text, and its result
// (the text when confirmed, empty otherwise). The window itself is a view of the host's toolkit.
#pragma once

#include <string>

namespace pellmar {

// Thread contract: main thread. A view is made for one question and destroyed after it.
class InputBoxView {
public:
    virtual ~InputBoxView() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetPrompt(const std::string& prompt) = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string Text() const = 0;
    // Shows the window modally; true when it was closed by "OK" (the confirmed flag).
    virtual bool RunModal() = 0;
};

std::string ShowInputBox(InputBoxView& view, const std::string& caption, const std::string& prompt,
                         const std::string& text);

}  // namespace pellmar
