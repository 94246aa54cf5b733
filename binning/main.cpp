// Binning: sorts the numbers of Data.txt into bins and writes the counts to Results.txt, all in
// the program's folder.
#include "binning_form.h"
#include "files.h"
#include "ui/application.h"
#include "ui/qt_form.h"
#include "ui/qt_platform.h"

int main(int argc, char** argv) {
    if (!ui::ReadyToOpen("Binning", argc)) return 1;
    const std::filesystem::path folder = rt::ProgramFolder(argc > 0 ? argv[0] : nullptr);
    ui::Application app(argc, argv);
    ui::QtPlatform platform("Binning");
    ui::QtForm window(BinningForm::Declaration());
    BinningForm form(window, platform, folder);
    window.connectHandlers(form.handlers());
    window.show();
    return ui::ExecStoppingOnSignals();
}
