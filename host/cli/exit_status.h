#pragma once
// The exit statuses of vd4625; the README and --help list them.

namespace dtm::host::exit_status {

constexpr int kOk = 0;          // every transaction answered and accepted
constexpr int kError = 1;       // any other error: set-up, files, the component refused a step
constexpr int kUsage = 2;       // the command line was wrong
constexpr int kIncomplete = 3;  // some values were refused, not answered or left busy
constexpr int kDeclined = 4;    // the user declined a device of another type

}  // namespace dtm::host::exit_status
