#pragma once
// The QApplication of every program. Programs are copied into folders of data that come from
// other people, so Qt must take nothing from the program's own folder: no qt.conf (the one
// compiled in names the Qt installation) and no plugins (the library paths are the installation's
// and those of QT_PLUGIN_PATH, never the program's folder).

#include <QApplication>
#include <QStringList>

namespace ui {

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
