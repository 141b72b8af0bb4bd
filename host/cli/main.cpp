// vd4625: runs the DTM component the way an FDT frame does, against
// stand-ins for the frame and the device.

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "host/cli/params_command.h"
#include "host/cli/read_command.h"
#include "host/cli/session.h"
#include "host/cli/transfer_command.h"
#include "host/frame/file_storage.h"
#include "platform/com/error.h"

namespace {

constexpr const char* kUsage =
    "usage: vd4625 COMMAND [OPTIONS]\n"
    "\n"
    "commands:\n"
    "  info       the DTM's information document\n"
    "  params     every data element of the model [--format table|tsv]\n"
    "  read PATH...  read elements or groups from the device [--device-profile FILE] [--trace]\n"
    "  upload     upload all parameters from the device and list them\n"
    "             [--device-profile FILE] [--trace] [--save FILE]\n"
    "  download   download a saved data set to the device\n"
    "             --load FILE [--device-profile FILE] [--trace]\n"
    "  functions  the DTM's function list document\n"
    "  document   the documentation document [--load FILE] [--function N] [--argument X]\n"
    "  --help     show this text\n"
    "\n"
    "options of every command:\n"
    "  --lang de|en            language of the texts (default en)\n"
    "  --answer default|yes|no how the component's questions are answered (default: as\n"
    "                          the box's default button)\n"
    "\n"
    "environment:\n"
    "  VD4625_INSTALL    installation folder (holds XMLData/, profiles/); default: built in\n"
    "  VD4625_REGISTRY   registry file; default: $XDG_CONFIG_HOME/vd4625/registry.reg\n";

struct Options {
  std::string command;
  std::int32_t language = 9;
  dtm::host::ConsoleMessages::Answers answers = dtm::host::ConsoleMessages::Answers::kDefault;
  dtm::host::ParamsFormat format = dtm::host::ParamsFormat::kTable;
  dtm::host::ReadOptions read;
  dtm::host::TransferOptions transfer;
};

// Which options each command takes besides --lang and --answer.
bool Takes(const std::string& command, const std::string& option) {
  static const std::set<std::pair<std::string, std::string>> kTaken = {
      {"params", "--format"},          {"read", "--device-profile"},
      {"read", "--trace"},             {"upload", "--device-profile"},
      {"upload", "--trace"},           {"upload", "--save"},
      {"download", "--device-profile"}, {"download", "--trace"},
      {"download", "--load"},          {"document", "--load"},
      {"document", "--function"},      {"document", "--argument"}};
  return kTaken.count({command, option}) != 0;
}

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  if (args.empty()) {
    error = "no command given";
    return false;
  }
  static const std::set<std::string> kCommands = {"info",     "params",    "read",    "upload",
                                                  "download", "functions", "document"};
  options.command = args[0];
  if (!kCommands.count(options.command)) {
    error = "unknown command '" + options.command + "'";
    return false;
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    auto value = [&]() -> const std::string& { return args[++i]; };
    if (!arg.starts_with("--")) {
      if (options.command != "read") {
        error = "unexpected argument '" + arg + "'";
        return false;
      }
      options.read.paths.push_back(arg);
      continue;
    }
    const bool flag = arg == "--trace";
    if (!flag && !has_value) {
      error = "option '" + arg + "' needs a value";
      return false;
    }
    if (arg == "--lang") {
      const std::string& lang = value();
      if (lang != "de" && lang != "en") {
        error = "unknown language '" + lang + "' (use de or en)";
        return false;
      }
      options.language = lang == "de" ? 7 : 9;
    } else if (arg == "--answer") {
      const std::string& answer = value();
      using Answers = dtm::host::ConsoleMessages::Answers;
      if (answer == "default") {
        options.answers = Answers::kDefault;
      } else if (answer == "yes") {
        options.answers = Answers::kYes;
      } else if (answer == "no") {
        options.answers = Answers::kNo;
      } else {
        error = "unknown answer '" + answer + "' (use default, yes or no)";
        return false;
      }
    } else if (!Takes(options.command, arg)) {
      error = "'" + options.command + "' takes no option '" + arg + "'";
      return false;
    } else if (arg == "--format") {
      const std::string& format = value();
      if (format != "table" && format != "tsv") {
        error = "unknown format '" + format + "' (use table or tsv)";
        return false;
      }
      options.format =
          format == "tsv" ? dtm::host::ParamsFormat::kTsv : dtm::host::ParamsFormat::kTable;
    } else if (arg == "--device-profile") {
      options.read.device_profile = options.transfer.device_profile = value();
    } else if (arg == "--trace") {
      options.read.trace = options.transfer.trace = true;
    } else if (arg == "--save") {
      options.transfer.save = value();
    } else if (arg == "--load") {
      options.transfer.load = value();
    } else if (arg == "--function") {
      const std::string& number = value();
      try {
        options.transfer.function = std::stoi(number);
      } catch (const std::exception&) {
        error = "--function takes a number, not '" + number + "'";
        return false;
      }
    } else if (arg == "--argument") {
      options.transfer.argument = value();
    }
  }
  if (options.command == "read" && options.read.paths.empty()) {
    error = "read needs at least one element path";
    return false;
  }
  if (options.command == "download" && !options.transfer.load) {
    error = "download needs --load FILE";
    return false;
  }
  return true;
}

int Run(Options& options) {
  options.transfer.progress = isatty(STDERR_FILENO) != 0;
  dtm::com::MemoryPropertyBag stored;
  if (options.transfer.load) dtm::frame::FileStorage(*options.transfer.load).Load(stored);

  dtm::host::Session session(options.language, options.answers);
  if (!session.Start(options.transfer.load ? &stored : nullptr)) return 1;
  int status = 0;
  const std::string& command = options.command;
  if (command == "info") {
    std::cout << session.Dtm().IDtmInformation_GetInformation() << '\n';
  } else if (command == "params") {
    dtm::host::WriteParams(session.Context(), options.format, std::cout);
  } else if (command == "read") {
    status = dtm::host::RunRead(session, options.read, std::cout);
  } else if (command == "upload") {
    status = dtm::host::RunUpload(session, options.transfer, std::cout);
  } else if (command == "download") {
    status = dtm::host::RunDownload(session, options.transfer, std::cout);
  } else if (command == "functions") {
    status = dtm::host::RunFunctions(session, std::cout);
  } else if (command == "document") {
    status = dtm::host::RunDocument(session, options.transfer, std::cout);
  }
  if (!session.Release() && status == 0) status = 1;
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
