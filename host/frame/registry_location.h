#pragma once
// Where the host keeps its registry file, and that it can be used there.

#include <filesystem>

namespace dtm::frame {

// The settings that decide the place, as the environment gives them
// (nullptr or "" for one that is not set).
struct RegistryPlace {
  const char* registry_file = nullptr;  // VD4625_REGISTRY
  const char* config_home = nullptr;    // XDG_CONFIG_HOME
  const char* home = nullptr;           // HOME
};

// The place from the process's environment.
RegistryPlace RegistryPlaceFromEnvironment();

// The registry file to use:
// - registry_file when set; a bare name ("reg.reg") lies in the current
//   folder. Its folder must exist: none is created, and a missing one (or
//   a path there that is no folder) raises ComError 76 (Path not found)
//   "cannot use the registry file <file>: the folder <folder> does not exist".
// - otherwise "vd4625/registry.reg" in config_home, else in home's
//   ".config", else in the temporary folder; that folder is the host's own
//   and is created when missing (ComError 76 when that fails).
// The file itself is neither created nor written here.
std::filesystem::path UsableRegistryFile(const RegistryPlace& place);

}  // namespace dtm::frame
