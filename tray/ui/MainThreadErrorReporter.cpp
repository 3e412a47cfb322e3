// The hand-over of an error report to the main thread.
#include "tray/ui/MainThreadErrorReporter.h"

namespace pellmar {

void MainThreadErrorReporter::Report(const std::string& caption, const std::string& text, platform::ErrorIcon) {
    if (dispatcher_.IsOwningThread()) {
        showBox_(caption, text);
        return;
    }
    const bool shown = !release_.stop_requested() &&
                       dispatcher_.Send([this, caption, text] { showBox_(caption, text); }, release_.get_token());
    if (!shown) platform::StderrErrorReporter().Report(caption, text, platform::ErrorIcon::Error);
}

}  // namespace pellmar
