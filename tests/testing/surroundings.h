#pragma once
// What every test of the runtime or the component stands on: the source
// tree's location and a DTM instance's surroundings made of fakes (virtual
// clock and loop, recorded message boxes, in-memory registry, a shell that
// launches nothing). Fixtures derive from FakeSurroundings to get them as
// members named clock_, loop_, messages_, ... and services_.

#include <cstdlib>
#include <filesystem>

#include "platform/loop/clock.h"
#include "platform/loop/event_loop.h"
#include "platform/runtime/services.h"
#include "platform/win/registry.h"
#include "platform/win/shell.h"

namespace dtm::testing {

// The source tree: ctest says where it is; a run by hand starts in it.
inline std::filesystem::path SourceDir() {
  const char* dir = std::getenv("VD_SOURCE_DIR");
  return dir && *dir ? std::filesystem::path(dir) : std::filesystem::current_path();
}

// The installation folder the tree ships: XMLData/, profiles/.
inline std::filesystem::path InstallFolder() { return SourceDir() / "data"; }

class FakeSurroundings {
 public:
  explicit FakeSurroundings(std::filesystem::path install_folder = InstallFolder())
      : services_{loop_, messages_, registry_, shell_, guids_, temp_files_,
                  std::move(install_folder)} {}
  FakeSurroundings(const FakeSurroundings&) = delete;
  FakeSurroundings& operator=(const FakeSurroundings&) = delete;

 protected:
  loop::VirtualClock clock_;
  loop::EventLoop loop_{clock_};
  runtime::RecordingMessageSink messages_;
  win::MemoryRegistry registry_;
  win::RecordingShell shell_;
  win::RandomGuidSource guids_;
  win::SystemTempFiles temp_files_;
  runtime::Services services_;
};

}  // namespace dtm::testing
