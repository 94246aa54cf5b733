#include "ui/keyboard.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleOptionMenuItem>

namespace ui {
namespace {

// Most styles draw a menu-bar item as selected only while its menu is open; an item reached by
// keyboard has none, so it is drawn as if open while the menu bar has the focus.
class MenuBarStyle : public QProxyStyle {
  public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuBarItem && widget && widget->hasFocus() &&
            (option->state & State_Selected)) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                QStyleOptionMenuItem selected = *item;
                selected.state |= State_Sunken;
                QProxyStyle::drawControl(element, &selected, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

class AltLetterFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        // Control+Alt is AltGr on some desktops and types characters of its own.
        const Qt::KeyboardModifiers mods = key->modifiers();
        return (mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) && !key->text().isEmpty();
    }
};

// Showing a window clears its mark of keyboard use; it is set again at once.
class KeyboardUseMark : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            static_cast<QWidget*>(watched)->setAttribute(Qt::WA_KeyboardFocusChange);
        return false;
    }
};

}  // namespace

MenuBarKeys::MenuBarKeys(QMainWindow* window, QAction* help) : QObject(window), window_(window) {
    QMenuBar* bar = window->menuBar();
    auto* style = new MenuBarStyle;
    style->setParent(bar);
    bar->setStyle(style);

    help->setShortcut(QKeySequence(Qt::Key_F1));
    // F10 hands the menu bar the keys of a lone Alt, so that it enters (or leaves) its own
    // keyboard mode: the arrows, Enter and Escape then work as after Alt.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), window);
    connect(f10, &QShortcut::activated, bar, [bar] {
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != bar->window()) target = bar->window();
        QKeyEvent over(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::AltModifier);
        QApplication::sendEvent(target, &over);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    });

    connect(qApp, &QApplication::focusChanged, this, [this, bar](QWidget*, QWidget* now) {
        if (now && now != bar && now->window() == window_) lastControl_ = now;
    });
}

QWidget* MenuBarKeys::focusedControl() const {
    QWidget* focused = window_->focusWidget();
    if (focused && focused != window_->menuBar()) return focused;
    return lastControl_;
}

void MenuBarKeys::returningFocus(const std::function<void()>& show) {
    const QPointer<QWidget> control = focusedControl();
    show();
    if (control) control->setFocus(Qt::OtherFocusReason);
}

void KeepAltLettersFromTyping(QLineEdit* box) {
    box->installEventFilter(new AltLetterFilter(box));
}

void ShowFocusFromStart(QWidget* window) {
    // Qt draws focus frames only once the window has been used by keyboard.
    window->setAttribute(Qt::WA_KeyboardFocusChange);
    window->installEventFilter(new KeyboardUseMark(window));
}

}  // namespace ui
