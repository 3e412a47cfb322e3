// Control builders and the conversion of the drawn images into Qt pixmaps.
#include "tray/ui/qt/QtControls.h"

#include "tray/ui/Images.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace pellmar {

QFont PixelFont(int pixelHeight, bool bold) {
    QFont font;
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

QPushButton* AddButton(QWidget* parent, const QString& text, int left, int top, int width, int height,
                       int fontHeight) {
    auto* button = new QPushButton(text, parent);
    button->setFont(PixelFont(fontHeight));
    button->setGeometry(left, top, width, height);
    // In a dialog a focused auto-default button is the one Enter presses, so Enter on a focused
    // "Cancel" cancels; with the focus elsewhere the dialog's own default ("OK") is pressed.
    button->setAutoDefault(true);
    return button;
}

QLabel* AddLabel(QWidget* parent, const QString& text, int left, int top, int fontHeight, bool bold) {
    auto* label = new QLabel(text, parent);
    label->setFont(PixelFont(fontHeight, bold));
    label->move(left, top);
    label->adjustSize();
    return label;
}

void FitLabelWidth(QLabel* label, int width) {
    const int natural = label->sizeHint().width();
    if (natural <= width || natural == 0) return;
    QFont font = label->font();
    font.setStretch(std::max(60, 100 * width / natural));
    label->setFont(font);
    label->adjustSize();
}

void CentreOnScreen(QWidget* window) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

void MoveOntoScreen(QWidget* window, int left, int top) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window->move(left, top);
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize size = window->size();
    window->move(std::clamp(left, area.left(), std::max(area.left(), area.right() + 1 - size.width())),
                 std::clamp(top, area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
}

QString ToQt(const std::string& text) { return QString::fromStdString(text); }
std::string FromQt(const QString& text) { return text.toStdString(); }

QIcon TrayIconImage() { return QIcon(QPixmap(FindImageResource(kTrayIconResource))); }

QPixmap LogImage(int index) {
    if (index < 0 || index > 2) return {};
    static const QPixmap strip = [] {
        QPixmap pixmap(FindImageResource(kLogImagesResource));
        pixmap.setMask(pixmap.createMaskFromColor(QColor(255, 0, 255)));
        return pixmap;
    }();
    return strip.copy(index * kLogImageSize, 0, kLogImageSize, kLogImageSize);
}

}  // namespace pellmar
