#include "component/common/win_sdk.h"

namespace dtm::WinSDK {
namespace {

constexpr int kSwShow = 5;  // SW_SHOW
constexpr std::intptr_t kShellErrorLimit = 32;  // ShellExecute codes up to 32 are errors

}  // namespace

bool ShellOpen(win::Shell& shell, const std::string& path) {
  return shell.Execute("open", path, "", "", kSwShow) > kShellErrorLimit;
}

}  // namespace dtm::WinSDK
