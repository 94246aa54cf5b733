// Splitword: finds the words of a list that are two words of the same list joined together.
// It works on in.txt, Debug.txt and out.txt in the current directory.
#include "splitword_form.h"
#include "ui/application.h"
#include "ui/qt_form.h"
#include "ui/qt_platform.h"

int main(int argc, char** argv) {
    if (!ui::ReadyToOpen("Splitword", argc)) return 1;
    ui::Application app(argc, argv);
    ui::QtPlatform platform("Splitword");
    ui::QtForm window(SplitwordForm::Declaration());
    SplitwordForm form(window, platform);
    window.connectHandlers(form.handlers());
    window.show();
    return ui::ExecStoppingOnSignals();
}
