// Starts Binning, Chainmaker or Splitword on a folder of data:
//   datatools-open PROGRAM [FOLDER]
// Without a folder it asks for one with the desktop's folder chooser and remembers the choice.
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "launch.h"
#include "program_names.h"
#include "ui/application.h"

namespace fs = std::filesystem;

namespace {

void Tell(const QString& program, const std::string& problem) {
    QMessageBox box(QMessageBox::Warning, program, QString::fromStdString(problem),
                    QMessageBox::Ok);
    // The text holds a folder's name, which may hold anything, markup included.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void PrintHelp() {
    std::printf(
        "usage: datatools-open %.*s [FOLDER]\n"
        "Opens the program on FOLDER as if the program lay in that folder: the folder is both\n"
        "its own folder and its current folder. Without FOLDER it asks for one with the\n"
        "desktop's folder chooser.\n"
        "\n"
        "      --help     show this help and exit\n"
        "      --version  show the version and exit\n",
        static_cast<int>(launch::kProgramChoice.size()), launch::kProgramChoice.data());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 &&
        (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "--version")) {
        if (std::string_view(argv[1]) == "--help")
            PrintHelp();
        else
            std::printf("datatools-open %s\n", DATATOOLS_VERSION);
        if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
        std::fprintf(stderr, "datatools-open: standard output: %s\n", std::strerror(errno));
        return 1;
    }
    if (argc < 2 || argc > 3 || !launch::ProgramName(argv[1])) {
        std::fprintf(stderr, "usage: %s %.*s [FOLDER]\n", argv[0],
                     static_cast<int>(launch::kProgramChoice.size()),
                     launch::kProgramChoice.data());
        return 2;
    }
    const std::string program = *launch::ProgramName(argv[1]);
    std::error_code ec;
    const fs::path programPath =
        launch::ProgramPath(fs::read_symlink("/proc/self/exe", ec).parent_path(), program);

    // Qt sees only the launcher's own name: a folder named like one of its options ("-reverse")
    // is still that folder.
    const std::optional<std::string> given =
        argc == 3 ? std::optional<std::string>(argv[2]) : std::nullopt;
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    if (!ui::CanOpenDisplay("datatools-open")) return 1;
    ui::Application app(qtArgc, qtArgv);
    QApplication::setOrganizationName("datatools");
    QApplication::setApplicationName("datatools-open");
    const QString title = QString::fromStdString(program);

    if (given) {
        const fs::path folder = launch::FolderOf(*given);
        if (const auto problem = launch::FolderProblem(folder, program)) {
            Tell(title, *problem);
            return 1;
        }
        Tell(title, launch::Start(programPath, folder, program));
        return 1;
    }

    QSettings settings;
    const QString key = "lastFolder/" + title;
    QString start = settings.value(key).toString();
    if (start.isEmpty()) start = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    for (;;) {
        const QString chosen = QFileDialog::getExistingDirectory(
            nullptr, QString("Choose the folder of your data for %1").arg(title), start);
        if (chosen.isEmpty()) return 0;
        const fs::path folder = launch::FolderOf(chosen.toStdString());
        if (const auto problem = launch::FolderProblem(folder, program)) {
            Tell(title, *problem);
            start = chosen;
            continue;
        }
        settings.setValue(key, chosen);
        settings.sync();
        Tell(title, launch::Start(programPath, folder, program));
        return 1;
    }
}
