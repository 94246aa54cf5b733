#pragma once
// A push button whose caption wraps at word boundaries inside the button, so that a long caption
// is readable whole. text() stays exactly the caption, for accessibility tools and tests.

#include <QPushButton>

namespace ui {

class CaptionButton : public QPushButton {
    Q_OBJECT
  public:
    explicit CaptionButton(const QString& caption, QWidget* parent = nullptr);

    // Sets the caption and paints it at once, also while a run holds the window's thread.
    void setCaptionNow(const QString& caption);

    // Where the caption is drawn, wrapped and centred (before the shift of a pressed button).
    QRect captionArea() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    // Enter and Return click the focused button, as Space does, in a main window too.
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace ui
