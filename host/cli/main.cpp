// vd4625: runs the DTM component the way an FDT frame does, against
// stand-ins for the frame and the device.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "component/dtm/identity.h"
#include "component/dtm/library.h"
#include "component/interfaces/fdt.h"
#include "host/cli/console_messages.h"
#include "host/frame/frame_container.h"
#include "platform/com/class_registry.h"
#include "platform/com/error.h"
#include "platform/loop/event_loop.h"
#include "platform/runtime/documents.h"
#include "platform/win/registry.h"
#include "platform/win/shell.h"

namespace {

constexpr const char* kUsage =
    "usage: vd4625 COMMAND [OPTIONS]\n"
    "\n"
    "commands:\n"
    "  info [--lang de|en]   run a DTM life cycle and print its information document\n"
    "  --help                show this text\n"
    "\n"
    "environment:\n"
    "  VD4625_INSTALL        installation folder (holds XMLData/); default: the built-in one\n"
    "  VD4625_REGISTRY       registry file; default: $XDG_CONFIG_HOME/vd4625/registry.reg\n";

struct Options {
  std::string command;
  std::int32_t language = 9;
};

std::filesystem::path InstallFolder() {
  if (const char* dir = std::getenv("VD4625_INSTALL")) return dir;
  return VD4625_DEFAULT_INSTALL_DIR;
}

std::filesystem::path RegistryFile() {
  if (const char* file = std::getenv("VD4625_REGISTRY")) return file;
  std::filesystem::path base;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    base = config;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    base = std::filesystem::temp_directory_path();
  }
  return base / "vd4625" / "registry.reg";
}

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  if (args.empty()) {
    error = "no command given";
    return false;
  }
  options.command = args[0];
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--lang" && i + 1 < args.size()) {
      const std::string& lang = args[++i];
      if (lang == "de") {
        options.language = 7;
      } else if (lang == "en") {
        options.language = 9;
      } else {
        error = "unknown language '" + lang + "' (use de or en)";
        return false;
      }
    } else {
      error = "unknown option '" + args[i] + "'";
      return false;
    }
  }
  return true;
}

int RunInfo(const Options& options) {
  using namespace dtm;
  const std::filesystem::path registry_file = RegistryFile();
  std::filesystem::create_directories(registry_file.parent_path());

  loop::SystemClock clock;
  loop::EventLoop loop(clock);
  host::ConsoleMessages messages(stderr);
  win::MemoryRegistry registry(registry_file);
  win::DesktopShell shell;
  win::RandomGuidSource guids;
  win::SystemTempFiles temp_files;
  const runtime::Services services{loop,  messages,   registry,
                                   shell, guids,      temp_files,
                                   InstallFolder()};

  Library library(services);
  if (library.DllRegisterServer() != com::kSOk) {
    std::fprintf(stderr, "vd4625: the component could not register itself\n");
    return 1;
  }
  com::ClassRegistry& classes = com::ClassRegistry::Instance();
  library.AddTo(classes);

  int status = 0;
  {
    const com::ObjectPtr object = classes.Create(Library::ProgIdOf("DTMMain"), registry);
    auto dtm = com::QueryInterface<IDtm>(object);
    auto information = com::QueryInterface<IDtmInformation>(object);
    if (!dtm || !information) throw com::ComError(com::kENoInterface, "DTMMain lacks IDtm");

    runtime::DeviceType device_type;
    device_type.SetIdValue(1, std::to_string(kSupportedManufacturerCode));
    device_type.SetIdValue(2, std::to_string(kSupportedDeviceTypeCode));
    device_type.SetIdValue(3, std::to_string(kSupportedDeviceRevision));
    auto container = std::make_shared<frame::FrameContainerStandIn>();

    if (!dtm->IDtm_InitNew(device_type.BuildXML())) {
      std::fprintf(stderr, "vd4625: IDtm_InitNew refused the device type\n");
      status = 1;
    } else if (!dtm->IDtm_Environment("VD4625", container)) {
      std::fprintf(stderr, "vd4625: IDtm_Environment refused\n");
      status = 1;
    } else {
      if (!dtm->IDtm_SetLanguage(options.language)) {
        std::fprintf(stderr, "vd4625: language %d was not taken\n", options.language);
      }
      std::cout << information->IDtmInformation_GetInformation() << '\n';
    }
    loop.RunUntilIdle();
    const bool released = dtm->IDtm_PrepareToReleaseCommunication();
    loop.RunUntilIdle();
    if (!released || !dtm->IDtm_ReleaseCommunication() || !dtm->IDtm_PrepareToRelease()) {
      std::fprintf(stderr, "vd4625: the DTM did not release in order\n");
      status = 1;
    }
    loop.RunUntilIdle();
  }
  classes.RemoveServer(kLibraryName);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
    std::cout << kUsage;
    return 0;
  }
  Options options;
  std::string error;
  if (!ParseOptions(args, options, error)) {
    std::fprintf(stderr, "vd4625: %s\n\n%s", error.c_str(), kUsage);
    return 2;
  }
  try {
    if (options.command == "info") return RunInfo(options);
    std::fprintf(stderr, "vd4625: unknown command '%s'\n\n%s", options.command.c_str(), kUsage);
    return 2;
  } catch (const dtm::com::ComError& e) {
    std::fprintf(stderr, "vd4625: error %d (%s): %s\n", e.Number(), e.Source().c_str(),
                 e.Description().c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vd4625: %s\n", e.what());
    return 1;
  }
}
