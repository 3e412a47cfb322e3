// The Qt error box.
#include "tray/ui/qt/QtErrorReporter.h"

#include "tray/ui/qt/QtControls.h"

#include <QMessageBox>

namespace pellmar {
namespace {

void ShowErrorBox(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Critical, ToQt(caption), ToQt(text), QMessageBox::Ok);
    box.exec();
}

}  // namespace

QtErrorReporter::QtErrorReporter(platform::Dispatcher& dispatcher) : MainThreadErrorReporter(dispatcher, ShowErrorBox) {}

}  // namespace pellmar
