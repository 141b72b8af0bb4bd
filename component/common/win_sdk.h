#pragma once
// The few Windows calls the component makes directly.

#include <string>

#include "platform/win/shell.h"

namespace dtm::WinSDK {

// Opens a document (a manual, a report) with its viewer; true when the
// shell accepted the request.
bool ShellOpen(win::Shell& shell, const std::string& path);

}  // namespace dtm::WinSDK
