#pragma once
// Keyboard access that Qt leaves to the desktop: a main window's one-entry menu bar reached with
// F10 and F1 and drawn as selected when reached by keyboard; focus given back to the control that
// had it when a box opened from the menu closes; text boxes that never type Alt+letter; and the
// focus frame drawn from the start.

#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QLineEdit;
class QMainWindow;
class QWidget;

namespace ui {

class MenuBarKeys : public QObject {
    Q_OBJECT
  public:
    // F1 chooses `help`; F10 opens the menu bar as a lone Alt does.
    MenuBarKeys(QMainWindow* window, QAction* help);

    // Runs `show` (a modal box) and then gives the focus back to the control that had it, also
    // when the box was opened from the menu bar by keyboard: the window would otherwise give it
    // to the menu bar, which has left its keyboard mode by then.
    void returningFocus(const std::function<void()>& show);

  private:
    QWidget* focusedControl() const;

    QMainWindow* window_;
    QPointer<QWidget> lastControl_;  // the last control of the window that had the focus
};

// Alt+letter in `box` is left to the menu bar and shortcuts; it never types the letter.
void KeepAltLettersFromTyping(QLineEdit* box);

// The focus frame is drawn from the start, not only after the first Tab.
void ShowFocusFromStart(QWidget* window);

}  // namespace ui
