#include "application.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <filesystem>
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

}  // namespace

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
