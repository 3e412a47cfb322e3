// The tray icon. Qt adds the icon again by itself when the tray host restarts (the shell's
// "TaskbarCreated" case); what it does not tell is whether there is a tray at all, hence the watch.
#include "tray/ui/qt/TrayIcon.h"

#include "tray/ui/qt/QtControls.h"

#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QWidget>

#include <chrono>

namespace pellmar {
namespace {

constexpr int kWatchIntervalMs = 2000;

}  // namespace

TrayIcon::TrayIcon(QWidget* window, MainFormPresenter& presenter)
    : window_(window), presenter_(presenter), menu_(new QMenu), icon_(new QSystemTrayIcon(this)),
      available_(Available()) {
    connect(menu_->addAction("Configure"), &QAction::triggered, this, [this] { presenter_.Configure(); });
    connect(menu_->addAction("View Log"), &QAction::triggered, this, [this] { presenter_.ViewLog(); });
    connect(menu_->addAction("Restore..."), &QAction::triggered, this, [this] { presenter_.Restore(); });
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
    connect(&watch_, &QTimer::timeout, this, [this] {
        CheckAvailability();
        RefreshLook();
    });
    watch_.start(kWatchIntervalMs);
    RefreshLook();
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

void TrayIcon::RefreshLook() {
    const TrayLook look = presenter_.RefreshTray(std::chrono::steady_clock::now());
    if (look.attention != attention_) {
        attention_ = look.attention;
        icon_->setIcon(attention_ ? QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning)
                                  : TrayIconImage());
    }
    icon_->setToolTip(QString::fromStdString(look.tooltip));
    if (!available_) return;
    if (look.notice)
        icon_->showMessage(QString::fromStdString(look.notice->title), QString::fromStdString(look.notice->text),
                           QSystemTrayIcon::Warning);
}

void TrayIcon::CheckAvailability() {
    const bool available = Available();
    if (available == available_) return;
    available_ = available;
    if (available) icon_->show();
    presenter_.TrayAvailabilityChanged(available);
}

}  // namespace pellmar
