#pragma once
// Message boxes and the end of the program on the desktop.

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

}  // namespace ui
