#pragma once
// The Qt builder: makes a window from a form's declaration (form/form.h) and is that window's
// view for its protocol. Labels, frames, option buttons, check boxes, text boxes and caption
// buttons are placed by their twips scaled by the font; the menu's one entry answers F1 and F10,
// the tab order is the declaration's, and every control is named for accessibility tools.

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <string>
#include <string_view>

#include "form/form.h"
#include "form/view.h"

class QAction;

namespace ui {

class MenuBarKeys;

class QtForm : public QMainWindow, public form::View {
    Q_OBJECT
  public:
    explicit QtForm(const form::Form& declaration, QWidget* parent = nullptr);
    ~QtForm() override;

    // A click on a control, or the choice of the menu's entry, runs its handler. The focus goes
    // back to the control that had it once the menu's handler returns.
    void connectHandlers(const form::Handlers& handlers);

    // The control named in the declaration (nullptr if none), and the menu's entry.
    QWidget* control(std::string_view name) const;
    template <class Widget>
    Widget* control(std::string_view name) const {
        return qobject_cast<Widget*>(control(name));
    }
    QAction* menuAction() const { return menu_; }

    // Centres the window, its frame included, on the screen. A window declared centred is
    // centred when first shown, and again once the window manager has framed it.
    void centre();

    // form::View
    std::string text(std::string_view control) const override;
    void setText(std::string_view control, std::string_view text) override;
    bool chosen(std::string_view control) const override;
    void paintNow(std::string_view control) override;
    std::string decimalMark() const override;
    void runStarting() override;
    void runEnded() override;
    bool serve() override;

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* existing(std::string_view name) const;

    const form::Form& declaration_;
    std::map<std::string, QPointer<QWidget>, std::less<>> controls_;
    QAction* menu_ = nullptr;
    MenuBarKeys* menuKeys_ = nullptr;
    bool centredOnFrame_ = false;
    int runs_ = 0;                 // runs going on
    bool closeRequested_ = false;  // during a run
};

}  // namespace ui
