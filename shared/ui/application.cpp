#include "application.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

static void RegisterQtConf() {
    Q_INIT_RESOURCE(qtconf);
}

namespace ui {
namespace {

struct Saved {
    QByteArray pluginPath;
    bool wasSet = false;
};
Saved& SavedPluginPath() {
    static Saved saved;
    return saved;
}

// The program's folder as Qt works it out: the real folder of the running executable.
QString ProgramFolderAsQtSeesIt() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", ec);
    return ec ? QString()
              : QDir(QString::fromStdString(exe.parent_path().string())).canonicalPath();
}

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

// Whether Qt would take the platform from a display server: QT_QPA_PLATFORM unset, or each of
// the platforms it lists (fall-backs separated by ';', options after ':') xcb or wayland.
bool WantsDisplayServer() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || !*platform) return true;
    std::string_view rest = platform;
    while (!rest.empty()) {
        const std::string_view entry = rest.substr(0, rest.find(';'));
        rest.remove_prefix(std::min(rest.size(), entry.size() + 1));
        const std::string_view name = entry.substr(0, entry.find(':'));
        if (!name.empty() && !name.starts_with("xcb") && !name.starts_with("wayland")) return false;
    }
    return true;
}

}  // namespace

bool CanOpenDisplay(const char* name) {
    if (!WantsDisplayServer() || Set("DISPLAY") || Set("WAYLAND_DISPLAY")) return true;
    std::fprintf(stderr, "%s: cannot open a display\n", name);
    return false;
}

bool ReadyToOpen(const char* name, int argc) {
    if (argc > 1)
        std::fprintf(stderr,
                     "%s takes no arguments: it works on the folder it is in; to open it on "
                     "another folder: datatools-open %s FOLDER\n",
                     name, name);
    return CanOpenDisplay(name);
}

QStringList Application::TrustedLibraryPaths() {
    QStringList paths;
    const QString fromEnvironment = qEnvironmentVariable("QT_PLUGIN_PATH");
    for (const QString& entry : fromEnvironment.split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        const QString canonical = QDir(entry).canonicalPath();
        if (!canonical.isEmpty() && !paths.contains(canonical)) paths.append(canonical);
    }
    const QString installed = QDir(QLibraryInfo::path(QLibraryInfo::PluginsPath)).canonicalPath();
    if (!installed.isEmpty() && !paths.contains(installed)) paths.append(installed);
    return paths;
}

int& Application::Confine(int& argc) {
    RegisterQtConf();
    const QStringList trusted = TrustedLibraryPaths();
    // Qt keeps paths set before construction and replays on top of the paths it then works out
    // the removal of any path it had known before. Naming the program's folder in QT_PLUGIN_PATH
    // makes it such a path, so the replay removes it before any plugin is looked for.
    Saved& saved = SavedPluginPath();
    saved.wasSet = qEnvironmentVariableIsSet("QT_PLUGIN_PATH");
    saved.pluginPath = qgetenv("QT_PLUGIN_PATH");
    const QString folder = ProgramFolderAsQtSeesIt();
    if (!folder.isEmpty() && !trusted.contains(folder)) {
        QByteArray withFolder = QFile::encodeName(folder);
        if (!saved.pluginPath.isEmpty())
            withFolder += QDir::listSeparator().toLatin1() + saved.pluginPath;
        qputenv("QT_PLUGIN_PATH", withFolder);
        QCoreApplication::libraryPaths();  // works the paths out now, the folder among them
    }
    QCoreApplication::setLibraryPaths(trusted);
    return argc;
}

Application::Application(int& argc, char** argv) : QApplication(Confine(argc), argv) {
    Saved& saved = SavedPluginPath();
    if (saved.wasSet)
        qputenv("QT_PLUGIN_PATH", saved.pluginPath);
    else
        qunsetenv("QT_PLUGIN_PATH");
    setLibraryPaths(TrustedLibraryPaths());
}

}  // namespace ui
