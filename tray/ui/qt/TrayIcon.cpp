// The tray icon. Qt adds the icon again by itself when the tray host restarts (the shell's
// "TaskbarCreated" case); what it does not tell is whether there is a tray at all, hence the watch.
#include "tray/ui/qt/TrayIcon.h"

#include "tray/ui/qt/QtControls.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace pellmar {
namespace {

constexpr int kWatchIntervalMs = 2000;

}  // namespace

TrayIcon::TrayIcon(QWidget* window, MainFormPresenter& presenter)
    : window_(window), presenter_(presenter), menu_(new QMenu), icon_(new QSystemTrayIcon(this)),
      available_(Available()) {
    connect(menu_->addAction("Configure"), &QAction::triggered, this, [this] { presenter_.Configure(); });
    connect(menu_->addAction("View Log"), &QAction::triggered, this, [this] { presenter_.ViewLog(); });
    connect(menu_->addAction("Exit"), &QAction::triggered, this, [this] { presenter_.Exit(); });
    icon_->setIcon(TrayIconImage());
    icon_->setContextMenu(menu_);
    // Every click first brings a shown window to the front; a hidden one stays hidden.
    connect(icon_, &QSystemTrayIcon::activated, this, [this] {
        if (window_->isVisible()) {
            window_->raise();
            window_->activateWindow();
        }
    });
    connect(&watch_, &QTimer::timeout, this, [this] { CheckAvailability(); });
    watch_.start(kWatchIntervalMs);
}

TrayIcon::~TrayIcon() {
    Remove();
    delete menu_;
}

bool TrayIcon::Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TrayIcon::Show() { icon_->show(); }

void TrayIcon::Remove() {
    watch_.stop();
    icon_->hide();
}

void TrayIcon::CheckAvailability() {
    const bool available = Available();
    if (available == available_) return;
    available_ = available;
    if (available) icon_->show();
    presenter_.TrayAvailabilityChanged(available);
}

}  // namespace pellmar
