// Small builders for the fixed-geometry controls the windows are made of: fonts given by their
// character-cell height in (logical) pixels, buttons, labels, centring, and the drawn images as
// Qt pixmaps. Main thread.
#pragma once

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace pellmar {

// The character-cell height of the windows' default font, for controls without a stated one.
inline constexpr int kDefaultFontHeight = 11;
// The default size of a button without a stated one.
inline constexpr int kButtonWidth = 64;
inline constexpr int kButtonHeight = 22;

QFont PixelFont(int pixelHeight, bool bold = false);
QPushButton* AddButton(QWidget* parent, const QString& text, int left, int top, int width, int height,
                       int fontHeight);
// A label sized to its text.
QLabel* AddLabel(QWidget* parent, const QString& text, int left, int top, int fontHeight, bool bold = false);
void CentreOnScreen(QWidget* window);
// Moves a window of fixed size to its fixed screen position, shifted as far as needed to lie
// wholly on the screen: at a high scaling the position alone would put it off screen.
void MoveOntoScreen(QWidget* window, int left, int top);
// Narrows a label's font until the label fits `width`: name labels end where their value begins,
// and the fonts here run wider than the ones the layout was drawn with.
void FitLabelWidth(QLabel* label, int width);

QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

QIcon TrayIconImage();
// One of the three 16x16 event log images (0 information, 1 warning, 2 error); null otherwise.
QPixmap LogImage(int index);

}  // namespace pellmar
