#pragma once
// The runs of `datatools`: each command does what a click on the window's "Go" does, through the
// same job code, with the window's settings taken from the command line. The boxes the window
// would show go to standard error, and where a box offers OK and Cancel the run ends as Cancel
// would end it.

#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"

namespace cli {

// Runs a parsed request: help and version to `out`, messages to `err`. Returns the exit status.
int Run(const Request& request, std::FILE* out, std::FILE* err);

// The whole program on the arguments after its name.
int Main(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace cli
