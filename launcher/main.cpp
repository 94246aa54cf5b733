// Starts Binning, Chainmaker or Splitword on a folder of data:
//   datatools-open PROGRAM [FOLDER]
// Without a folder it asks for one with the desktop's folder chooser and remembers the choice.
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
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
