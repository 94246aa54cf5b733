#include "platform.h"

namespace rt {

void ReportUnhandledError(Platform& platform, const RuntimeError& error) {
    platform.messageBox(UnhandledErrorText(error), Buttons::Ok);
    platform.endProgram();
}

}  // namespace rt
