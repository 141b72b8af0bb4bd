#include "platform/controls/web_browser.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "platform/com/error.h"

namespace dtm::controls {
namespace {

constexpr std::chrono::seconds kBrowserLimit{120};

std::string FileUrl(const std::filesystem::path& file) {
  return "file://" + std::filesystem::absolute(file).string();
}

// A fresh, private profile folder: a headless run must not meet a running
// browser's profile lock.
std::filesystem::path NewProfileFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vd_browser_XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace

// ---- ChromiumPrintEngine ----------------------------------------------------------------------

std::shared_ptr<ChromiumPrintEngine> ChromiumPrintEngine::Find() {
  const char* path = std::getenv("PATH");
  if (!path) return nullptr;
  for (const char* name : {"chromium", "chromium-browser", "google-chrome"}) {
    std::string folders = path;
    std::size_t start = 0;
    while (start <= folders.size()) {
      const std::size_t end = std::min(folders.find(':', start), folders.size());
      const std::filesystem::path candidate = std::filesystem::path(folders.substr(start, end - start)) / name;
      if (end > start && ::access(candidate.c_str(), X_OK) == 0) {
        return std::make_shared<ChromiumPrintEngine>(candidate);
      }
      start = end + 1;
    }
  }
  return nullptr;
}

bool ChromiumPrintEngine::Run(const std::filesystem::path& page, const std::vector<std::string>& arguments,
                              const std::filesystem::path& output) {
  const std::filesystem::path profile = NewProfileFolder();
  if (profile.empty()) return false;
  std::error_code ignored;
  // The browser goes by the name: a page in a temporary file (".tmp") would
  // be shown as plain text. It reads a copy named as HTML.
  const std::filesystem::path copy = profile / "page.html";
  std::filesystem::copy_file(page, copy, ignored);
  std::vector<std::string> args = {program_.string(), "--headless", "--no-sandbox", "--disable-gpu",
                                   "--hide-scrollbars", "--user-data-dir=" + (profile / "user").string()};
  args.insert(args.end(), arguments.begin(), arguments.end());
  args.push_back(FileUrl(copy));
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  std::filesystem::remove(output, ignored);
  const pid_t child = ::fork();
  if (child == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    ::setpgid(0, 0);  // the browser's helpers go with it when it is stopped
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  bool ended = false;
  if (child > 0) {
    // The browser is another program: its run is waited for in real time.
    const auto deadline = std::chrono::steady_clock::now() + kBrowserLimit;
    int status = 0;
    while (!ended) {
      const pid_t done = ::waitpid(child, &status, WNOHANG);
      if (done == child || done < 0) {
        ended = true;
        break;
      }
      if (std::chrono::steady_clock::now() >= deadline) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!ended) {
      ::kill(-child, SIGKILL);
      ::waitpid(child, &status, 0);
    }
  }
  std::filesystem::remove_all(profile, ignored);
  return ended && std::filesystem::file_size(output, ignored) > 0 && !ignored;
}

bool ChromiumPrintEngine::PrintToPdf(const std::filesystem::path& page,
                                     const std::filesystem::path& pdf) {
  return Run(page, {"--no-pdf-header-footer", "--print-to-pdf=" + std::filesystem::absolute(pdf).string()},
             pdf);
}

bool ChromiumPrintEngine::RenderPng(const std::filesystem::path& page,
                                    const std::filesystem::path& png) {
  return Run(page, {"--window-size=1024,1400", "--screenshot=" + std::filesystem::absolute(png).string()},
             png);
}

// ---- RecordingPrintEngine ---------------------------------------------------------------------

bool RecordingPrintEngine::PrintToPdf(const std::filesystem::path& page,
                                      const std::filesystem::path& pdf) {
  calls.push_back({"pdf", page, pdf});
  return answer;
}

bool RecordingPrintEngine::RenderPng(const std::filesystem::path& page,
                                     const std::filesystem::path& png) {
  calls.push_back({"png", page, png});
  return answer;
}

// ---- WebBrowser -------------------------------------------------------------------------------

WebBrowser::WebBrowser(std::string name) : forms::Control(forms::ControlKind::kOther, std::move(name)) {}

void WebBrowser::Navigate(const std::string& url) {
  location_ = url;
  ++navigations_;
}

std::filesystem::path WebBrowser::ShownFile() const {
  constexpr std::string_view kScheme = "file://";
  if (location_.starts_with(kScheme)) return location_.substr(kScheme.size());
  return location_;
}

std::filesystem::path WebBrowser::PrintTarget() const {
  if (!print_target_.empty()) return print_target_;
  std::filesystem::path target = ShownFile();
  return target.replace_extension("pdf");
}

std::filesystem::path WebBrowser::PreviewTarget() const {
  std::filesystem::path target = PrintTarget();
  return target.replace_extension("png");
}

std::int32_t WebBrowser::QueryStatusWB(std::int32_t command) const {
  if (!engine_) return 0;
  switch (command) {
    case kCmdPrint:
    case kCmdPrintPreview:
      return location_.empty() ? kSupported : kSupported | kEnabled;
    case kCmdPageSetup:
      return kSupported;
    default:
      return 0;
  }
}

void WebBrowser::ExecWB(std::int32_t command, std::int32_t option) {
  (void)option;  // a headless browser has no dialog to show or to skip
  if ((QueryStatusWB(command) & kEnabled) == 0) {
    throw com::ComError(com::kEFail, "The command is not enabled", "WebBrowser");
  }
  const bool written = command == kCmdPrint ? engine_->PrintToPdf(ShownFile(), PrintTarget())
                                            : engine_->RenderPng(ShownFile(), PreviewTarget());
  if (!written) {
    throw com::ComError(com::kEFail, "The browser could not render " + location_, "WebBrowser");
  }
  executed_.push_back(command);
}

}  // namespace dtm::controls
