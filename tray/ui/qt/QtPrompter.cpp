// The input box, folder browser and yes/no question of the Qt views.
#include "tray/ui/qt/QtPrompter.h"

#include "tray/ui/qt/QtControls.h"
#include "tray/ui/qt/frmInputBox.h"

#include <QFileDialog>
#include <QMessageBox>

namespace pellmar {

std::string QtPrompter::InputBox(const std::string& caption, const std::string& prompt, const std::string& text) {
    InputBoxForm box(owner_);
    return ShowInputBox(box, caption, prompt, text);
}

std::optional<std::string> QtPrompter::BrowseForFolder(const std::string& initialFolder) {
    const std::string start = initialFolder.empty() ? lastChosen_ : initialFolder;
    const QString chosen = QFileDialog::getExistingDirectory(owner_, QString(), ToQt(start), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return std::nullopt;
    lastChosen_ = FromQt(chosen);
    return lastChosen_;
}

bool QtPrompter::Confirm(const std::string& question) {
    return QMessageBox::question(owner_, "Pellmar", ToQt(question), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace pellmar
