// Balloon tips for the setup dialog's requirement messages: a title with the error icon and a
// text, attached to a control, popping up 5 ms after the pointer rests on it, staying 2000 ms and
// coming back after 500 ms; a failed check pops its tip up at the control itself, as no pointer
// is moved. Coloured by the palette's tooltip roles. Qt's own balloon class is private, so this is
// a small widget of ours.
// Owns the tip window; does not own the controls.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <map>

class QLabel;
class QWidget;

namespace pellmar {

// Thread contract: main thread only.
class BalloonTips final : public QObject {
public:
    BalloonTips(QWidget* owner, const QString& title);
    ~BalloonTips() override;

    // Attaches a tip to `control`, or replaces the text of the one there.
    void Attach(QWidget* control, const QString& text);
    void Remove(QWidget* control);
    bool HasTip(QWidget* control) const { return tips_.count(control) != 0; }
    QString TipText(QWidget* control) const;
    // Pops the control's tip up now, pointing at the control (as when the pointer comes to rest on it).
    void Pop(QWidget* control);
    bool Showing() const;
    // The control whose tip shows now; nullptr when none does.
    QWidget* Popped() const { return Showing() ? pending_.data() : nullptr; }
    QWidget* Window() const { return window_; }
    // The tip of `control` as it looks when popped up, and where on the screen it pops up.
    QPixmap Picture(QWidget* control, QPoint* at);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Hide();
    void ApplyColours();
    void Prepare(QWidget* control, const QString& text);

    QWidget* owner_;
    QWidget* window_;
    QLabel* text_;
    std::map<QWidget*, QString> tips_;
    QPointer<QWidget> pending_;
    QTimer initial_;
    QTimer autoPop_;
};

}  // namespace pellmar
