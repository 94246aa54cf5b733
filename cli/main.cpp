// datatools: the jobs of Binning, Chainmaker and Splitword from a shell, without a window.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "stop_signals.h"

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    // SIGINT, SIGTERM and SIGHUP stop a run at its next progress point, its outputs holding whole
    // lines; once the run has unwound, the process ends as the signal would have ended it.
    rt::CatchStopSignals();
    int status = 1;
    try {
        status = cli::Main(args, stdout, stderr);
    } catch (const rt::RunStopped&) {
    }
    rt::EndIfStopRequested();
    return status;
}
