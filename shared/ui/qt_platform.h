#pragma once
// Message boxes and the end of the program on the desktop, also on SIGINT, SIGTERM and SIGHUP.

#include <QString>

#include "platform.h"

namespace ui {

// Room a window manager's title bar takes besides the title: an icon, three buttons, margins.
constexpr int kTitleBarExtras = 150;

// The width a window needs for its title bar to show `title` whole.
int TitleWidth(const QString& title);

class QtPlatform : public rt::Platform {
  public:
    // `applicationTitle` is the title of boxes that give none of their own.
    explicit QtPlatform(QString applicationTitle);

    rt::Answer messageBox(std::string_view text, rt::Buttons buttons,
                          std::string_view title = {}) override;
    void endProgram() override;

  private:
    QString applicationTitle_;
};

// The application's event loop, as QApplication::exec, with SIGINT, SIGTERM and SIGHUP stopping
// the program as closing its window does: a run stops at its next progress point (its outputs
// holding whole lines), a program between runs ends, and a message box shown ends the program at
// once (nothing is half written then). The process then ends as the signal would have ended it
// (status 130, 143 or 129 in a shell). Otherwise returns exec's status.
int ExecStoppingOnSignals();

}  // namespace ui
