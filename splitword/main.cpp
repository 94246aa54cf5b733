// Splitword: finds the words of a list that are two words of the same list joined together.
// It works on in.txt, Debug.txt and out.txt in the current directory.
#include "splitword_window.h"
#include "ui/application.h"
#include "ui/qt_platform.h"

int main(int argc, char** argv) {
    if (!ui::ReadyToOpen("Splitword", argc)) return 1;
    ui::Application app(argc, argv);
    ui::QtPlatform platform(QStringLiteral("Splitword"));
    SplitwordWindow window(platform);
    window.show();
    return ui::ExecStoppingOnSignals();
}
