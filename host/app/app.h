#pragma once
// The vd4625 program as a function: parses the command line, runs the
// command and answers the exit status (exit_status.h). Standard output
// gets only the result (a listing, a TSV, an XML document); everything else
// (trace, message boxes, the frame's notices, progress, errors) goes to
// the error stream.

#include <string>
#include <vector>

#include "host/cli/console.h"

namespace dtm::host {

// `args` without the program's name.
int RunVd4625(const std::vector<std::string>& args, Console& console);

}  // namespace dtm::host
