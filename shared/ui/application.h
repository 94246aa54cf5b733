#pragma once
// The QApplication of every program. Programs are copied into folders of data that come from
// other people, so Qt must take nothing from the program's own folder: no qt.conf (the one
// compiled in names the Qt installation) and no plugins (the library paths are the installation's
// and those of QT_PLUGIN_PATH, never the program's folder).

#include <QApplication>
#include <QStringList>

namespace ui {

// What a window program checks before it makes its Application, from its main function:
//   if (!ui::ReadyToOpen("Binning", argc)) return 1;
// A window program takes no arguments: any it is given gets a one-line hint on standard error
// (the window opens all the same). Without a display it says "NAME: cannot open a display" on
// standard error and returns false (see CanOpenDisplay).
bool ReadyToOpen(const char* name, int argc);

// Whether Qt can open a display. Where Qt would open an X11 or Wayland display (QT_QPA_PLATFORM
// unset, or naming xcb or wayland) and neither DISPLAY nor WAYLAND_DISPLAY names one, it says
// "NAME: cannot open a display" on standard error and returns false; other platforms (offscreen,
// for the tests) pass.
bool CanOpenDisplay(const char* name);

class Application : public QApplication {
  public:
    Application(int& argc, char** argv);

    // Where plugins are looked for: the installation's plugin folder and QT_PLUGIN_PATH.
    static QStringList TrustedLibraryPaths();

  private:
    // Called before QApplication is constructed: Qt adds the program's folder to the library
    // paths while it constructs, and loads the platform plugin from them before the constructor
    // returns.
    static int& Confine(int& argc);
};

}  // namespace ui
