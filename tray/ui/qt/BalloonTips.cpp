// The balloon tip window and its timings.
#include "tray/ui/qt/BalloonTips.h"

#include "tray/ui/qt/QtControls.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

namespace pellmar {
namespace {

constexpr int kInitialMs = 5;
constexpr int kAutoPopMs = 2000;
constexpr int kReshowMs = 500;

}  // namespace

BalloonTips::BalloonTips(QWidget* owner, const QString& title) : QObject(owner), owner_(owner) {
    window_ = new QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint);
    window_->setObjectName("BalloonTip");
    ApplyColours();
    auto* icon = new QLabel(window_);
    icon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(16, 16));
    auto* caption = new QLabel(title, window_);
    caption->setFont(PixelFont(11, true));
    text_ = new QLabel(window_);
    text_->setFont(PixelFont(11));
    auto* head = new QHBoxLayout;
    head->addWidget(icon);
    head->addWidget(caption, 1);
    auto* layout = new QVBoxLayout(window_);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->addLayout(head);
    layout->addWidget(text_);
    initial_.setSingleShot(true);
    autoPop_.setSingleShot(true);
    connect(&initial_, &QTimer::timeout, this, [this] {
        if (pending_) Pop(pending_);
    });
    connect(&autoPop_, &QTimer::timeout, this, [this] { Hide(); });
}

BalloonTips::~BalloonTips() {
    for (auto& [control, text] : tips_) control->removeEventFilter(this);
}

void BalloonTips::Attach(QWidget* control, const QString& text) {
    if (tips_.emplace(control, text).second) {
        control->installEventFilter(this);
    } else {
        tips_[control] = text;
    }
}

void BalloonTips::Remove(QWidget* control) {
    if (tips_.erase(control) == 0) return;
    control->removeEventFilter(this);
    if (pending_ == control) Hide();
}

QString BalloonTips::TipText(QWidget* control) const {
    const auto found = tips_.find(control);
    return found == tips_.end() ? QString() : found->second;
}

bool BalloonTips::Showing() const { return window_->isVisible(); }

void BalloonTips::Pop(QWidget* control) {
    const auto found = tips_.find(control);
    if (found == tips_.end()) return;
    pending_ = control;
    Prepare(control, found->second);
    window_->show();
    window_->raise();
    autoPop_.start(kAutoPopMs);
}

// Both colours from the palette's tooltip roles, never one alone: a dark palette's light text
// on the light yellow of old was unreadable. Taken again at every pop, as the palette can change.
void BalloonTips::ApplyColours() {
    const QPalette& palette = owner_->palette();
    const QColor base = palette.color(QPalette::ToolTipBase);
    const QColor text = palette.color(QPalette::ToolTipText);
    const QColor border((base.red() + text.red()) / 2, (base.green() + text.green()) / 2, (base.blue() + text.blue()) / 2);
    const QString sheet = QStringLiteral("#BalloonTip { background: %1; border: 1px solid %3; border-radius: 6px; }"
                                         " #BalloonTip QLabel { color: %2; background: transparent; }")
                              .arg(base.name(), text.name(), border.name());
    if (window_->styleSheet() != sheet) window_->setStyleSheet(sheet);
}

void BalloonTips::Prepare(QWidget* control, const QString& text) {
    ApplyColours();
    text_->setText(text);
    window_->adjustSize();
    window_->move(control->mapToGlobal(QPoint(control->width() / 4, control->height())));
}

QPixmap BalloonTips::Picture(QWidget* control, QPoint* at) {
    Prepare(control, TipText(control));
    *at = window_->pos();
    return window_->grab();
}

void BalloonTips::Hide() {
    initial_.stop();
    autoPop_.stop();
    window_->hide();
}

bool BalloonTips::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QWidget*>(watched);
    if (control && tips_.count(control)) {
        if (event->type() == QEvent::Enter) {
            // Moving straight from one tipped control to the next is the "reshow" case.
            const int delay = window_->isVisible() ? kReshowMs : kInitialMs;
            Hide();
            pending_ = control;
            initial_.start(delay);
        } else if (event->type() == QEvent::Leave || event->type() == QEvent::MouseButtonPress) {
            Hide();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace pellmar
