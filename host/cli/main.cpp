// vd4625: runs the DTM component the way an FDT frame does, against
// stand-ins for the frame and the device.

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "host/cli/params_command.h"
#include "host/cli/read_command.h"
#include "host/cli/session.h"
#include "platform/com/error.h"

namespace {

constexpr const char* kUsage =
    "usage: vd4625 COMMAND [OPTIONS]\n"
    "\n"
    "commands:\n"
    "  info   [--lang de|en]                      run a DTM life cycle and print its\n"
    "                                             information document\n"
    "  params [--lang de|en] [--format table|tsv] list every data element of the model\n"
    "  read PATH... [--lang de|en] [--device-profile FILE] [--trace]\n"
    "                                             read elements or groups from the\n"
    "                                             simulated device and print them\n"
    "  --help                                     show this text\n"
    "\n"
    "environment:\n"
    "  VD4625_INSTALL    installation folder (holds XMLData/); default: the built-in one\n"
    "  VD4625_REGISTRY   registry file; default: $XDG_CONFIG_HOME/vd4625/registry.reg\n";

struct Options {
  std::string command;
  std::int32_t language = 9;
  dtm::host::ParamsFormat format = dtm::host::ParamsFormat::kTable;
  dtm::host::ReadOptions read;
};

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  if (args.empty()) {
    error = "no command given";
    return false;
  }
  options.command = args[0];
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--lang" && has_value) {
      const std::string& lang = args[++i];
      if (lang == "de") {
        options.language = 7;
      } else if (lang == "en") {
        options.language = 9;
      } else {
        error = "unknown language '" + lang + "' (use de or en)";
        return false;
      }
    } else if (arg == "--format" && has_value && options.command == "params") {
      const std::string& format = args[++i];
      if (format == "table") {
        options.format = dtm::host::ParamsFormat::kTable;
      } else if (format == "tsv") {
        options.format = dtm::host::ParamsFormat::kTsv;
      } else {
        error = "unknown format '" + format + "' (use table or tsv)";
        return false;
      }
    } else if (arg == "--device-profile" && has_value && options.command == "read") {
      options.read.device_profile = args[++i];
    } else if (arg == "--trace" && options.command == "read") {
      options.read.trace = true;
    } else if (options.command == "read" && !arg.starts_with("--")) {
      options.read.paths.push_back(arg);
    } else {
      error = "unknown or incomplete option '" + arg + "'";
      return false;
    }
  }
  if (options.command == "read" && options.read.paths.empty()) {
    error = "read needs at least one element path";
    return false;
  }
  return true;
}

int Run(const Options& options) {
  dtm::host::Session session(options.language);
  if (!session.Start()) return 1;
  int status = 0;
  if (options.command == "info") {
    std::cout << session.Dtm().IDtmInformation_GetInformation() << '\n';
  } else if (options.command == "read") {
    status = dtm::host::RunRead(session, options.read, std::cout);
  } else {
    dtm::host::WriteParams(session.Context(), options.format, std::cout);
  }
  if (!session.Release()) status = 1;
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
  if (options.command != "info" && options.command != "params" && options.command != "read") {
    std::fprintf(stderr, "vd4625: unknown command '%s'\n\n%s", options.command.c_str(), kUsage);
    return 2;
  }
  try {
    return Run(options);
  } catch (const dtm::com::ComError& e) {
    std::fprintf(stderr, "vd4625: error %d (%s): %s\n", e.Number(), e.Source().c_str(),
                 e.Description().c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vd4625: %s\n", e.what());
    return 1;
  }
}
