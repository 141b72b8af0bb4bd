#include "platform/win/shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

extern char** environ;

namespace dtm::win {
namespace {

constexpr std::intptr_t kShellFileNotFound = 2;
constexpr std::intptr_t kShellNoAssociation = 31;
constexpr std::intptr_t kShellStarted = 42;

}  // namespace

std::intptr_t DesktopShell::Execute(const std::string& verb, const std::string& file,
                                    const std::string& /*parameters*/,
                                    const std::string& directory, int /*show_command*/) {
  std::erase_if(children_, [](int pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
  if (verb != "open") return kShellNoAssociation;
  std::filesystem::path document = file;
  if (document.is_relative() && !directory.empty()) document = directory / document;
  std::error_code error;
  if (file.empty() || !std::filesystem::exists(document, error)) return kShellFileNotFound;

  const std::string document_text = document.string();
  char program[] = "xdg-open";
  std::vector<char> argument(document_text.begin(), document_text.end());
  argument.push_back('\0');
  char* argv[] = {program, argument.data(), nullptr};
  pid_t pid = 0;
  if (::posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) {
    return kShellNoAssociation;
  }
  children_.push_back(pid);
  return kShellStarted;
}

std::intptr_t RecordingShell::Execute(const std::string& verb, const std::string& file,
                                      const std::string& parameters, const std::string& directory,
                                      int show_command) {
  calls.push_back(Call{verb, file, parameters, directory, show_command});
  return answer;
}

RandomGuidSource::RandomGuidSource() : engine_(std::random_device{}()) {}

std::int32_t RandomGuidSource::CreateGuid(com::Guid& guid) {
  const std::uint64_t high = engine_();
  const std::uint64_t low = engine_();
  guid.data1 = static_cast<std::uint32_t>(high >> 32);
  guid.data2 = static_cast<std::uint16_t>(high >> 16);
  guid.data3 = static_cast<std::uint16_t>((high & 0x0FFFu) | 0x4000u);  // version 4
  for (std::size_t i = 0; i < guid.data4.size(); ++i) {
    guid.data4[i] = static_cast<std::uint8_t>(low >> (56 - 8 * i));
  }
  guid.data4[0] = static_cast<std::uint8_t>((guid.data4[0] & 0x3Fu) | 0x80u);  // RFC 4122 variant
  return 0;
}

std::filesystem::path SystemTempFiles::TempPath() {
  std::error_code error;
  auto path = std::filesystem::temp_directory_path(error);
  return error ? std::filesystem::path() : path;
}

SystemTempFiles::SystemTempFiles()
    : SystemTempFiles(static_cast<std::uint16_t>(std::random_device{}())) {}

SystemTempFiles::SystemTempFiles(std::uint16_t first_number)
    : next_number_(first_number == 0 ? 1 : first_number) {}

std::filesystem::path SystemTempFiles::TempFileName(const std::filesystem::path& folder,
                                                    const std::string& prefix) {
  // The exclusive create decides: a name someone else holds is skipped.
  for (unsigned tried = 0; tried < 0xFFFFu; ++tried) {
    const unsigned number = next_number_;
    next_number_ = static_cast<std::uint16_t>(number == 0xFFFFu ? 1 : number + 1);
    char name[16];
    std::snprintf(name, sizeof name, "%04X.TMP", number);
    const std::filesystem::path candidate = folder / (prefix + name);
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return candidate;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

}  // namespace dtm::win
