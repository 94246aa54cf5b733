#pragma once
// The runs of `datatools`: each command does what a click on the window's "Go" does, through the
// same job code, with the window's settings taken from the command line, in each folder named.
// Where the window would show a box, one line goes to standard error, naming the program, the
// command, the file and the reason ("datatools: chainmaker: words/in.txt: file not found (error
// 53)"); where a box offers OK and Cancel the run ends as Cancel would end it.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"

namespace cli {

// Runs a parsed request: help, version and the facts of a dry run to `out`, messages to `err`.
// The question before a large run is asked on `err` and answered from `answers`; without
// `answers` such a run fails unless --yes was given. Returns the exit status.
int Run(const Request& request, std::FILE* out, std::FILE* err, std::FILE* answers = nullptr);

// A message box's text as one line: its paragraphs and sentences joined by "; ", each begun in
// lower case, without the final full stop.
std::string OneLine(std::string_view text);

// The whole program on the arguments after its name.
int Main(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace cli
