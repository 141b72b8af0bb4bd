#include "host/app/app.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>

#include "host/cli/exit_status.h"
#include "host/cli/page_command.h"
#include "host/cli/params_command.h"
#include "host/cli/read_command.h"
#include "host/cli/session.h"
#include "host/cli/transfer_command.h"
#include "host/frame/file_storage.h"
#include "host/live/frame_command.h"
#include "platform/com/error.h"

namespace dtm::host {
namespace {

constexpr const char* kFooter =
    "Exit status:\n"
    "  0  every transaction was answered and accepted\n"
    "  1  any other error (set-up, files, the component refused a step)\n"
    "  2  usage error (unknown command, option or element, wrong value)\n"
    "  3  some values were refused, not answered or left busy by the device\n"
    "  4  the device is of another type and the question was answered No\n"
    "\n"
    "Environment:\n"
    "  VD4625_INSTALL   installation folder (holds XMLData/, profiles/); default: built in\n"
    "  VD4625_REGISTRY  registry file; default: $XDG_CONFIG_HOME/vd4625/registry.reg\n";

struct Options {
  std::string lang = "en";
  std::string answer = "default";
  bool verbose = false;
  std::string format = "table";
  bool pretty = false;
  ReadOptions read;
  TransferOptions transfer;
  std::optional<std::string> device_profile, save, load;
  std::int32_t function = 12;
  std::optional<std::string> argument;
  PageOptions page;
  std::vector<std::string> steps;
  std::optional<std::string> html;
  int port = 0;
};

void AddLanguage(CLI::App& app, Options& options) {
  app.add_option("--lang", options.lang, "language of the texts: de or en (default en)")
      ->check(CLI::IsMember({"de", "en"}));
}

void AddVerbose(CLI::App& app, Options& options) {
  app.add_flag("--verbose", options.verbose, "show the error numbers and sources of failures");
}

void AddCommon(CLI::App& app, Options& options) {
  AddLanguage(app, options);
  app.add_option("--answer", options.answer,
                 "how the component's questions are answered: default (the box's default "
                 "button), yes or no")
      ->check(CLI::IsMember({"default", "yes", "no"}));
  AddVerbose(app, options);
}

void AddFormat(CLI::App& app, Options& options) {
  app.add_option("--format", options.format, "table (default) or tsv")
      ->check(CLI::IsMember({"table", "tsv"}));
}

void AddDevice(CLI::App& app, Options& options) {
  app.add_option("--device-profile", options.device_profile,
                 "profile of the simulated device (default: the installed one)");
  app.add_flag("--trace", options.read.trace, "every HART request and response, on stderr");
}

void AddPretty(CLI::App& app, Options& options) {
  app.add_flag("--pretty", options.pretty,
               "indent the XML document (the default when stdout is a terminal)");
}

// "vd4625 upload: unknown option --x" for what no option of the command took.
std::optional<std::string> Leftover(const CLI::App& app) {
  for (const std::string& arg : app.remaining()) {
    if (arg.starts_with("-")) return "unknown option " + arg;
    return "unexpected argument " + arg;
  }
  return std::nullopt;
}

int Run(const std::string& command, Options& options, Console& console) {
  const std::int32_t language = options.lang == "de" ? 7 : 9;
  const ListFormat format = options.format == "tsv" ? ListFormat::kTsv : ListFormat::kTable;
  options.read.format = options.transfer.format = format;
  options.read.device_profile = options.transfer.device_profile = options.device_profile;
  options.transfer.trace = options.read.trace;
  if (options.save) options.transfer.save = *options.save;
  if (options.load) options.transfer.load = *options.load;
  options.transfer.function = options.function;
  options.transfer.argument = options.argument;
  options.transfer.pretty = options.pretty || console.out_is_terminal;
  if (command == "document" && options.html) options.transfer.html = *options.html;
  options.transfer.progress = console.err_is_terminal;

  com::MemoryPropertyBag stored;
  if (options.transfer.load) frame::FileStorage(*options.transfer.load).Load(stored);

  // A page runs on device time of its own: its waits, timers and cycles
  // cost no time at the terminal.
  loop::VirtualClock page_clock;
  page_clock.SetWallOrigin(console.clock.WallNow());

  SessionSetup setup;
  setup.language = language;
  setup.answers = options.answer == "yes"  ? ConsoleMessages::Answers::kYes
                  : options.answer == "no" ? ConsoleMessages::Answers::kNo
                                           : ConsoleMessages::Answers::kDefault;
  setup.err = &console.err;
  setup.clock = command == "page" ? &page_clock : &console.clock;
  setup.on_device = console.on_device;
  Session session(setup);
  if (!session.Start(options.transfer.load ? &stored : nullptr)) return exit_status::kError;

  int status = exit_status::kOk;
  std::ostream& out = console.out;
  if (command == "info") {
    WriteDocument(session.Dtm().IDtmInformation_GetInformation(), options.transfer.pretty, out);
  } else if (command == "params") {
    WriteParams(session.Context(), format == ListFormat::kTsv ? ParamsFormat::kTsv
                                                              : ParamsFormat::kTable,
                out);
  } else if (command == "read") {
    status = RunRead(session, options.read, out);
  } else if (command == "upload") {
    status = RunUpload(session, options.transfer, out);
  } else if (command == "download") {
    status = RunDownload(session, options.transfer, out);
  } else if (command == "functions") {
    status = RunFunctions(session, options.transfer, out);
  } else if (command == "document") {
    status = RunDocument(session, options.transfer, out);
  } else if (command == "page") {
    options.page.device_profile = options.device_profile;
    options.page.trace = options.read.trace;
    options.page.offline = options.load.has_value() && !options.device_profile.has_value();
    if (options.html) options.page.html = *options.html;
    status = RunPage(session, options.page, out);
  }
  out.flush();
  if (!session.Release() && status == exit_status::kOk) status = exit_status::kError;
  return status;
}

}  // namespace

int RunVd4625(const std::vector<std::string>& args, Console& console) {
  Options options;
  CLI::App app("Runs the 4625 positioner's DTM as an FDT frame does, against a simulated device.",
               "vd4625");
  app.footer(kFooter);
  app.allow_extras();
  app.require_subcommand(1);
  AddCommon(app, options);

  CLI::App* info = app.add_subcommand("info", "the DTM's information document");
  AddPretty(*info, options);
  CLI::App* params = app.add_subcommand("params", "every data element of the model");
  AddFormat(*params, options);
  CLI::App* read = app.add_subcommand("read", "read elements or groups from the device");
  // Required ones are checked after the parse: an unknown option is told first.
  read->add_option("path", options.read.paths, "element or group paths (see 'vd4625 params')");
  AddDevice(*read, options);
  AddFormat(*read, options);
  CLI::App* upload = app.add_subcommand("upload", "upload all parameters from the device and list them");
  AddDevice(*upload, options);
  AddFormat(*upload, options);
  upload->add_option("--save", options.save,
                     "write the uploaded data set to this file (only after a complete upload)");
  upload->add_flag("--save-anyway", options.transfer.save_anyway,
                   "with --save: write the file also after an incomplete upload");
  CLI::App* download = app.add_subcommand("download", "download a saved data set to the device");
  download->add_option("--load", options.load, "the data set file (required)");
  AddDevice(*download, options);
  AddFormat(*download, options);
  CLI::App* functions = app.add_subcommand("functions", "the DTM's function list document");
  AddPretty(*functions, options);
  CLI::App* document = app.add_subcommand("document", "the documentation document");
  document->add_option("--load", options.load, "start from this data set file");
  document->add_option("--function", options.function,
                       "the documentation function's number (default 12; see 'vd4625 functions')");
  document->add_option("--argument", options.argument, "its argument");
  document->add_option("--html", options.html,
                       "also write the documentation of the whole data set as HTML, as the "
                       "documentation page shows it");
  AddPretty(*document, options);
  CLI::App* page = app.add_subcommand(
      "page", "open the page of a function, perform steps on it and show it");
  CLI::Option* page_function = page->add_option(
      "function", options.page.function, "the function's number, 1 to 14 (11 is the monitor)");
  page->add_option("--load", options.load,
                   "on this data set file (offline, unless --device-profile is given too)");
  AddDevice(*page, options);
  page->add_option("--do", options.steps,
                   "a step, in order: 'click NAME', 'set TARGET=VALUE', 'key NAME KEY', 'tab N', "
                   "'wait 5s', 'upload', 'download', 'language de|en'")
      ->expected(1)
      ->take_all();
  page->add_option("--html", options.html, "also write the page as a static HTML file");
  for (CLI::App* command : app.get_subcommands({})) AddCommon(*command, options);
  // The browser asks the user every question, so the frame takes no --answer.
  CLI::App* frame = app.add_subcommand(
      "frame", "serve the DTM's function list and pages to a web browser on this machine, "
               "until Ctrl-C");
  frame->add_option("--device-profile", options.device_profile,
                    "profile of the simulated device (default: the installed one)");
  frame->add_option("--load", options.load,
                    "start from this data set file (offline, unless --device-profile is given "
                    "too)");
  frame->add_option("--port", options.port,
                    "the port on 127.0.0.1 (default 0: any free port; the address is printed)")
      ->check(CLI::Range(0, 65535));
  AddLanguage(*frame, options);
  AddVerbose(*frame, options);

  // The command being parsed, for its usage on an error.
  auto usage_of = [&]() -> const CLI::App& {
    const std::vector<CLI::App*> parsed = app.get_subcommands();
    return parsed.empty() ? app : *parsed.front();
  };
  auto help_of = [&](const CLI::App& command) {
    return &command == &app ? app.help() : command.help("vd4625");
  };
  // The error, the command's usage line and where its options are told.
  auto usage_error = [&](const std::string& message) {
    const CLI::App& command = usage_of();
    const std::string name =
        &command == &app ? std::string("vd4625") : "vd4625 " + command.get_name();
    const std::string help = help_of(command);
    std::string usage;
    if (const std::size_t at = help.find("Usage:"); at != std::string::npos) {
      usage = help.substr(at, help.find('\n', at) - at + 1);
    }
    console.err << name << ": " << message << '\n'
                << usage << "Run '" << name << " --help' for more.\n";
    return exit_status::kUsage;
  };

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    console.out << help_of(usage_of());
    return exit_status::kOk;
  } catch (const CLI::CallForAllHelp&) {
    console.out << app.help("", CLI::AppFormatMode::All);
    return exit_status::kOk;
  } catch (const CLI::ParseError& error) {
    if (app.get_subcommands().empty()) {
      for (const std::string& arg : app.remaining()) {
        if (!arg.starts_with("-")) return usage_error("unknown command '" + arg + "'");
      }
    }
    return usage_error(error.what());
  }
  for (const CLI::App* level : {static_cast<const CLI::App*>(&app), &usage_of()}) {
    if (auto leftover = Leftover(*level)) return usage_error(*leftover);
  }
  if (read->parsed() && options.read.paths.empty()) return usage_error("path is required");
  if (download->parsed() && !options.load) return usage_error("--load is required");
  if (page->parsed()) {
    if (page_function->count() == 0) return usage_error("function is required");
    if (options.page.function < 1 || options.page.function > 14) {
      return usage_error("there is no function " + std::to_string(options.page.function) +
                         "; the pages are the functions 1 to 14");
    }
    for (const std::string& text : options.steps) {
      auto step = ParsePageStep(text);
      if (auto* error = std::get_if<std::string>(&step)) {
        return usage_error("bad step '" + StepTextInMessage(text) + "': " + *error);
      }
      options.page.steps.push_back(std::get<PageStep>(std::move(step)));
    }
  }

  try {
    if (frame->parsed()) {
      live::FrameOptions frame_options;
      frame_options.language = options.lang == "de" ? 7 : 9;
      if (options.device_profile) frame_options.device_profile = *options.device_profile;
      if (options.load) frame_options.load = *options.load;
      frame_options.port = static_cast<std::uint16_t>(options.port);
      return live::RunFrame(frame_options, console);
    }
    return Run(usage_of().get_name(), options, console);
  } catch (const com::ComError& e) {
    console.err << "vd4625: ";
    if (options.verbose) console.err << "error " << e.Number() << " (" << e.Source() << "): ";
    console.err << e.Description() << '\n';
    return exit_status::kError;
  } catch (const std::exception& e) {
    console.err << "vd4625: " << e.what() << '\n';
    return exit_status::kError;
  }
}

}  // namespace dtm::host
