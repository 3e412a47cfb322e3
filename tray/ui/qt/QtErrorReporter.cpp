// The error box, and its hand-over to the main thread.
#include "tray/ui/qt/QtErrorReporter.h"

#include "tray/ui/qt/QtControls.h"

#include <QMessageBox>

namespace pellmar {
namespace {

void ShowBox(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Critical, ToQt(caption), ToQt(text), QMessageBox::Ok);
    box.exec();
}

}  // namespace

void QtErrorReporter::Report(const std::string& caption, const std::string& text, platform::ErrorIcon) {
    if (dispatcher_.IsOwningThread()) {
        ShowBox(caption, text);
        return;
    }
    const bool shown = !release_.stop_requested() &&
                       dispatcher_.Send([caption, text] { ShowBox(caption, text); }, release_.get_token());
    if (!shown) platform::StderrErrorReporter().Report(caption, text, platform::ErrorIcon::Error);
}

}  // namespace pellmar
