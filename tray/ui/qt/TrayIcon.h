// The tray icon and its menu ("Configure", "View Log", "Exit"), and the watch for a tray host
// that appears or goes away, so that the program is never unreachable. Commands go to the
// presenter; the icon has no tooltip. Main thread.
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

    QWidget* window_;
    MainFormPresenter& presenter_;
    QMenu* menu_;
    QSystemTrayIcon* icon_;
    QTimer watch_;
    bool available_;
};

}  // namespace pellmar
