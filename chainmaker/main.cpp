// Chainmaker: writes every combination of one to six strings of in.txt to out.txt.
#include "chainmaker_form.h"
#include "files.h"
#include "ui/application.h"
#include "ui/qt_form.h"
#include "ui/qt_platform.h"

int main(int argc, char** argv) {
    if (!ui::ReadyToOpen("Chainmaker", argc)) return 1;
    const std::filesystem::path folder = rt::ProgramFolder(argc > 0 ? argv[0] : nullptr);
    ui::Application app(argc, argv);
    ui::QtPlatform platform("Chainmaker");
    ui::QtForm window(ChainmakerForm::Declaration());
    ChainmakerForm form(window, platform, folder);
    window.connectHandlers(form.handlers());
    window.show();
    return ui::ExecStoppingOnSignals();
}
