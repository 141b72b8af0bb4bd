#pragma once
// Runs the vd4625 program in this process: its entry function with captured
// standard output and error, a virtual clock, a registry file of the test's
// own, and a hook for faults of the simulated device.

#include <stdlib.h>

#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/app/app.h"
#include "platform/loop/clock.h"
#include "tests/testing/temp_folder.h"

namespace dtm::testing {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

using DeviceHook = std::function<void(device::SimDevice&, frame::ChannelStandIn&)>;

// Sets environment variables for its life (nullopt unsets one).
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const std::map<std::string, std::optional<std::string>>& values) {
    for (const auto& [name, value] : values) {
      const char* before = std::getenv(name.c_str());
      saved_[name] = before ? std::optional<std::string>(before) : std::nullopt;
      Set(name, value);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) Set(name, value);
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  static void Set(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
  std::map<std::string, std::optional<std::string>> saved_;
};

// One run of vd4625 with `args`; the registry file lies in `folder` unless
// `environment` names another.
inline CliRun RunCli(const std::vector<std::string>& args, const TempFolder& folder,
                     DeviceHook hook = {},
                     std::map<std::string, std::optional<std::string>> environment = {}) {
  environment.try_emplace("VD4625_REGISTRY", (folder.Path() / "registry.reg").string());
  environment.try_emplace("VD4625_INSTALL", std::nullopt);
  const ScopedEnvironment scoped(environment);
  loop::VirtualClock clock;
  std::ostringstream out, err;
  host::Console console{out, err, clock, false, false, std::move(hook)};
  CliRun run;
  run.status = host::RunVd4625(args, console);
  run.out = out.str();
  run.err = err.str();
  return run;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    cells.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return cells;
}

inline std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace dtm::testing
