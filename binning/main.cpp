// Binning: sorts the numbers of Data.txt into bins and writes the counts to Results.txt, all in
// the program's folder.
#include "binning_window.h"
#include "files.h"
#include "ui/application.h"
#include "ui/qt_platform.h"

int main(int argc, char** argv) {
    if (!ui::ReadyToOpen("Binning", argc)) return 1;
    const std::filesystem::path folder = rt::ProgramFolder(argc > 0 ? argv[0] : nullptr);
    ui::Application app(argc, argv);
    ui::QtPlatform platform("Binning");
    BinningWindow window(folder, platform);
    window.Form_Load();
    window.show();
    return ui::ExecStoppingOnSignals();
}
