// Prints a qt.conf that names the Qt installation's own folders, absolute. Compiled into each
// program, it is the one configuration Qt reads, so a qt.conf beside the program is never used.
#include <QLibraryInfo>
#include <cstdio>

int main() {
    struct Entry {
        const char* key;
        QLibraryInfo::LibraryPath path;
    };
    const Entry entries[] = {
        {"Prefix", QLibraryInfo::PrefixPath},
        {"Documentation", QLibraryInfo::DocumentationPath},
        {"Headers", QLibraryInfo::HeadersPath},
        {"Libraries", QLibraryInfo::LibrariesPath},
        {"LibraryExecutables", QLibraryInfo::LibraryExecutablesPath},
        {"Binaries", QLibraryInfo::BinariesPath},
        {"Plugins", QLibraryInfo::PluginsPath},
        {"QmlImports", QLibraryInfo::QmlImportsPath},
        {"ArchData", QLibraryInfo::ArchDataPath},
        {"Data", QLibraryInfo::DataPath},
        {"Translations", QLibraryInfo::TranslationsPath},
        {"Examples", QLibraryInfo::ExamplesPath},
        {"Tests", QLibraryInfo::TestsPath},
        {"Settings", QLibraryInfo::SettingsPath},
    };
    std::printf("[Paths]\n");
    for (const Entry& e : entries)
        std::printf("%s=%s\n", e.key, QLibraryInfo::path(e.path).toLocal8Bit().constData());
    return 0;
}
