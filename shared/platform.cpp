#include "platform.h"

namespace rt {

bool BoxEvents::accept(const Notice& question) {
    return platform_.messageBox(question.text, Buttons::OkCancel) == Answer::Ok;
}

void BoxEvents::refuse(const Notice& refusal) {
    platform_.messageBox(refusal.text, Buttons::Ok);
}

void ReportUnhandledError(Platform& platform, const RuntimeError& error) {
    platform.messageBox(UnhandledErrorText(error), Buttons::Ok);
    platform.endProgram();
}

}  // namespace rt
