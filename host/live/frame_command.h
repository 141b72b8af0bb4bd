#pragma once
// `vd4625 frame`: one DTM instance served to the user's browser until the
// program is told to stop (SIGINT, SIGTERM). Standard output gets the
// address with its access token, one line; everything else goes to the
// error stream.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "host/cli/console.h"

namespace dtm::live {

struct FrameOptions {
  std::int32_t language = 9;  // 7 German, 9 English
  std::optional<std::filesystem::path> device_profile;
  // A saved data set to start from; without a device profile the frame
  // then runs offline.
  std::optional<std::filesystem::path> load;
  std::uint16_t port = 0;  // 0: any free port
};

// The frame's timers run on the system clock, not on the console's. Blocks
// SIGINT and SIGTERM in the calling thread for good (they are taken by a
// thread of the frame's while it runs), so it is called once, by the
// program. Answers the exit status: 0, 1 when a step was refused or the
// port cannot be bound.
int RunFrame(const FrameOptions& options, host::Console& console);

}  // namespace dtm::live
