#pragma once
// Shell and system services of the Windows API, as narrow replaceable services.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/com/guid.h"

namespace dtm::win {

// ShellExecuteA: returns a value greater than 32 on success, as Windows does.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual std::intptr_t Execute(const std::string& verb, const std::string& file,
                                const std::string& parameters, const std::string& directory,
                                int show_command) = 0;
};

// Opens documents with xdg-open in the background; never waits for it.
// Only the verb "open" is served: 42 once xdg-open is started, 2 (file not
// found) when the document does not exist, 31 (no association) otherwise.
// A relative file is taken relative to `directory` when one is given;
// parameters and show_command do not apply to documents. Finished viewers
// are reaped on later calls without blocking.
class DesktopShell final : public Shell {
 public:
  std::intptr_t Execute(const std::string& verb, const std::string& file,
                        const std::string& parameters, const std::string& directory,
                        int show_command) override;

 private:
  std::vector<int> children_;  // process ids not yet reaped
};

// Records requests and answers a scripted code: tests never launch anything.
class RecordingShell final : public Shell {
 public:
  struct Call {
    std::string verb, file, parameters, directory;
    int show_command;
  };
  std::intptr_t Execute(const std::string& verb, const std::string& file,
                        const std::string& parameters, const std::string& directory,
                        int show_command) override;
  std::vector<Call> calls;
  std::intptr_t answer = 42;
};

// CoCreateGuid: returns 0 (S_OK) and a new identifier.
class GuidSource {
 public:
  virtual ~GuidSource() = default;
  virtual std::int32_t CreateGuid(com::Guid& guid) = 0;
};

// Version-4 identifiers: random bits with the version and variant set.
class RandomGuidSource final : public GuidSource {
 public:
  RandomGuidSource();
  std::int32_t CreateGuid(com::Guid& guid) override;

 private:
  std::mt19937_64 engine_;
};

// GetTempPathA / GetTempFileNameA.
class TempFiles {
 public:
  virtual ~TempFiles() = default;
  virtual std::filesystem::path TempPath() = 0;
  // Creates an empty, unique file "<prefix>XXXX.TMP" in `folder`; "" on failure.
  virtual std::filesystem::path TempFileName(const std::filesystem::path& folder,
                                             const std::string& prefix) = 0;
};

// The process's temporary folder; names "<prefix>XXXX.TMP" with the whole
// prefix and four upper-case hex digits, the file created exclusively so two
// callers never get the same name.
// Numbers are tried upwards from the last one used, wrapping from FFFF to 1.
class SystemTempFiles final : public TempFiles {
 public:
  SystemTempFiles();  // first number at random, so processes rarely collide
  explicit SystemTempFiles(std::uint16_t first_number);  // 0 is taken as 1

  std::filesystem::path TempPath() override;
  std::filesystem::path TempFileName(const std::filesystem::path& folder,
                                     const std::string& prefix) override;

 private:
  std::uint16_t next_number_;
};

}  // namespace dtm::win
