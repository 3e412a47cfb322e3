// The input box's question and result.
#include "tray/ui/InputBox.h"

namespace pellmar {

std::string ShowInputBox(InputBoxView& view, const std::string& caption, const std::string& prompt,
                         const std::string& text) {
    view.SetCaption(caption);
    view.SetPrompt(prompt);
    view.SetText(text);
    const bool confirmed = view.RunModal();
    return confirmed ? view.Text() : std::string();
}

}  // namespace pellmar
