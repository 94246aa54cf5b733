// datatools: the jobs of Binning, Chainmaker and Splitword from a shell, without a window.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return cli::Main(args, stdout, stderr);
}
