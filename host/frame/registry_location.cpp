#include "host/frame/registry_location.h"

#include <cstdlib>
#include <system_error>

#include "platform/com/error.h"

namespace dtm::frame {
namespace {

constexpr const char* kSource = "vd4625";

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

[[noreturn]] void NoFolder(const std::filesystem::path& file, const std::filesystem::path& folder,
                           const std::string& why) {
  throw com::ComError(com::vb::kPathNotFound,
                      "cannot use the registry file " + file.string() + ": the folder " +
                          folder.string() + " " + why,
                      kSource);
}

}  // namespace

RegistryPlace RegistryPlaceFromEnvironment() {
  return {std::getenv("VD4625_REGISTRY"), std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")};
}

std::filesystem::path UsableRegistryFile(const RegistryPlace& place) {
  std::error_code error;
  if (IsSet(place.registry_file)) {
    const std::filesystem::path file = place.registry_file;
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    if (!std::filesystem::is_directory(folder, error)) {
      NoFolder(file, folder, "does not exist");
    }
    return file;
  }
  std::filesystem::path base;
  if (IsSet(place.config_home)) {
    base = place.config_home;
  } else if (IsSet(place.home)) {
    base = std::filesystem::path(place.home) / ".config";
  } else {
    base = std::filesystem::temp_directory_path(error);
  }
  const std::filesystem::path folder = base / "vd4625";
  const std::filesystem::path file = folder / "registry.reg";
  std::filesystem::create_directories(folder, error);
  std::error_code checked;
  if (!std::filesystem::is_directory(folder, checked)) {
    NoFolder(file, folder, error ? "cannot be made: " + error.message() : "is no folder");
  }
  return file;
}

}  // namespace dtm::frame
