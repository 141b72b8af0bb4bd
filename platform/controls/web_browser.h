#pragma once
// The web-browser control: it shows one file and offers the browser's print,
// print preview and page set-up commands. Without a window system the
// commands go to a print engine the host gives it: printing writes a PDF,
// the preview a picture of the page. A browser without an engine supports
// none of them.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/control.h"

namespace dtm::controls {

// What renders a shown file for the browser's commands.
class PrintEngine {
 public:
  virtual ~PrintEngine() = default;
  // Writes `pdf` from the HTML file `page` (A4, as the page's own CSS asks);
  // false when nothing was written.
  virtual bool PrintToPdf(const std::filesystem::path& page, const std::filesystem::path& pdf) = 0;
  // Writes a PNG picture of the page's first screen.
  virtual bool RenderPng(const std::filesystem::path& page, const std::filesystem::path& png) = 0;
};

// The installed Chromium (chromium, chromium-browser or google-chrome on the
// PATH) run headless; each call waits for the browser to end, at most two
// minutes.
class ChromiumPrintEngine final : public PrintEngine {
 public:
  // The engine of the first browser found, or nullptr when none is installed.
  static std::shared_ptr<ChromiumPrintEngine> Find();
  explicit ChromiumPrintEngine(std::filesystem::path program) : program_(std::move(program)) {}

  bool PrintToPdf(const std::filesystem::path& page, const std::filesystem::path& pdf) override;
  bool RenderPng(const std::filesystem::path& page, const std::filesystem::path& png) override;
  const std::filesystem::path& Program() const { return program_; }

 private:
  bool Run(const std::filesystem::path& page, const std::vector<std::string>& arguments,
           const std::filesystem::path& output);
  std::filesystem::path program_;
};

// Records what it is asked and answers as told: tests never start a browser.
class RecordingPrintEngine final : public PrintEngine {
 public:
  struct Call {
    std::string what;  // "pdf" or "png"
    std::filesystem::path page, output;
  };
  bool PrintToPdf(const std::filesystem::path& page, const std::filesystem::path& pdf) override;
  bool RenderPng(const std::filesystem::path& page, const std::filesystem::path& png) override;
  std::vector<Call> calls;
  bool answer = true;
};

class WebBrowser : public forms::Control {
 public:
  // The platform's command ids and their status bits.
  static constexpr std::int32_t kCmdPrint = 6;
  static constexpr std::int32_t kCmdPrintPreview = 7;
  static constexpr std::int32_t kCmdPageSetup = 8;
  static constexpr std::int32_t kSupported = 1;
  static constexpr std::int32_t kEnabled = 2;
  // The execution options: ask the user (the browser's own dialog), or not.
  static constexpr std::int32_t kPromptUser = 1;
  static constexpr std::int32_t kDontPromptUser = 2;

  explicit WebBrowser(std::string name);

  // Shows the file (a path or a file: address). The browser does not read
  // it until a command needs it.
  void Navigate(const std::string& url);
  // The file shown; "" before the first Navigate.
  const std::string& LocationURL() const { return location_; }
  std::int32_t Navigations() const { return navigations_; }

  // The status bits of a command: none for a command it does not know or
  // without an engine; print and preview are enabled while a file is shown;
  // page set-up is supported but never enabled, since a headless browser
  // has no dialog of its own for it.
  std::int32_t QueryStatusWB(std::int32_t command) const;
  // Runs a command. A command that is not enabled raises an error, as does
  // an engine that fails. Print writes the PDF target, the preview a PNG
  // beside it.
  void ExecWB(std::int32_t command, std::int32_t option);

  void SetEngine(std::shared_ptr<PrintEngine> engine) { engine_ = std::move(engine); }
  const std::shared_ptr<PrintEngine>& Engine() const { return engine_; }
  // Where print writes; by default the shown file with the extension "pdf".
  void SetPrintTarget(std::filesystem::path pdf) { print_target_ = std::move(pdf); }
  std::filesystem::path PrintTarget() const;
  // Where the preview writes: the print target with the extension "png".
  std::filesystem::path PreviewTarget() const;

  // What ran: "6", "7", in order.
  const std::vector<std::int32_t>& Executed() const { return executed_; }

 private:
  std::filesystem::path ShownFile() const;

  std::string location_;
  std::int32_t navigations_ = 0;
  std::shared_ptr<PrintEngine> engine_;
  std::filesystem::path print_target_;
  std::vector<std::int32_t> executed_;
};

}  // namespace dtm::controls
