// The tray icon and its menu ("Configure", "View Log", "Restore...", "Exit"), and the watch for a
// tray host that appears or goes away, so that the program is never unreachable. Commands go to the
// presenter; the icon's look, tooltip and notifications follow the presenter's TrayLook. Main
// thread.
#pragma once

#include "tray/ui/MainFormPresenter.h"

#include <QObject>
#include <QTimer>

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace pellmar {

class TrayIcon final : public QObject {
public:
    TrayIcon(QWidget* window, MainFormPresenter& presenter);
    ~TrayIcon() override;

    static bool Available();
    void Show();
    void Remove();
    QMenu* Menu() const { return menu_; }

private:
    void CheckAvailability();
    // Applies what the presenter says the icon shows now.
    void RefreshLook();

    QWidget* window_;
    MainFormPresenter& presenter_;
    QMenu* menu_;
    QSystemTrayIcon* icon_;
    QTimer watch_;
    bool available_;
    bool attention_ = false;
};

}  // namespace pellmar
