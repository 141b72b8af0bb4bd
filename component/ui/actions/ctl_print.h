#pragma once
// The documentation page: the documentation of the data set, transformed
// with the style sheet of the page's language into HTML, shown in a browser
// control, with the browser's page set-up, preview and print.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "component/ui/framework/page_base.h"
#include "platform/controls/web_browser.h"
#include "platform/forms/controls.h"

namespace dtm {

// Where the page's parts stand. The design values are those the page is
// made with; a resize moves the buttons with the lower right corner and
// grows the browser, and never shrinks anything below its design.
struct PrintLayout {
  double width = 9600, height = 7200;  // the page
  double headline_width = 9600;
  double buttons_top = 6600;           // every button's top is cmdPrint's
  double refresh_left = 120, page_setup_left = 4560, preview_left = 6240, print_left = 7920;
  double browser_width = 9360, browser_height = 5760;

  struct Placed {
    double headline_width;
    double buttons_top;
    double refresh_left, page_setup_left, preview_left, print_left;
    double browser_width, browser_height;
    friend bool operator==(const Placed&, const Placed&) = default;
  };
  // The parts for a page of that size.
  Placed For(double new_width, double new_height) const;
};

class ctlPrint : public PageBase {
 public:
  // The dictionary's kind of the documentation the page shows.
  static constexpr const char* kDocumentKind = "DTMDoc13";

  // The services give the page its temporary folder and its shell; without
  // them it takes those of the DTM it is initialised with.
  explicit ctlPrint(const runtime::Services* services = nullptr);

  bool IDtmActiveXControl_PrepareToRelease() override;

  controls::WebBrowser& wwwPrint() const { return *www_print_; }
  forms::CommandButton& cmdRefreshData() const { return *cmd_refresh_; }
  forms::CommandButton& cmdPageSetup() const { return *cmd_page_setup_; }
  forms::CommandButton& cmdPreview() const { return *cmd_preview_; }
  forms::CommandButton& cmdPrint() const { return *cmd_print_; }

  // The file of the last build the browser shows ("" for no document), and
  // its copy for the shell.
  const std::filesystem::path& DocFile() const { return m_DocFile; }
  const std::filesystem::path& HtmFile() const { return m_HtmFile; }

  // The page was resized: the parts follow the layout rule.
  // A resize: the parts take the places the layout gives for that size.
  void Resized(double width, double height);
  const PrintLayout& DesignLayout() const { return design_layout_; }
  const PrintLayout::Placed& Placed() const { return placed_; }

  // The documentation transformed with the style sheet DTMDocStyle<part>.xsl
  // of `data_folder`: the style sheet's template for
  // FDT/DTMStyleForCompleteDocument receives that element's children, then
  // the source is transformed. Raises ComError when any step fails.
  static std::string Transform(const std::string& document, const std::string& data_folder,
                               const std::string& language_part);

 protected:
  void InitParamSite() override;
  void ApplyLanguage(std::int32_t language_id) override;
  bool ReleaseParamSite() override;
  void SetLockState(bool enabled) override;
  bool SetsButtonToolTips() const override { return false; }

 private:
  void BuildDocument(std::int32_t language_id);
  std::string TransformDocument(const std::string& document, const std::string& language_part);
  void DeleteFiles();
  // Page set-up and preview: the command when supported and enabled, else a box.
  void RunBrowserCommand(std::int32_t command);
  void RefreshClicked();
  void PageSetupClicked();
  void PreviewClicked();
  void PrintClicked();

  std::shared_ptr<controls::WebBrowser> www_print_;
  std::shared_ptr<forms::CommandButton> cmd_refresh_;
  std::shared_ptr<forms::CommandButton> cmd_page_setup_;
  std::shared_ptr<forms::CommandButton> cmd_preview_;
  std::shared_ptr<forms::CommandButton> cmd_print_;

  std::filesystem::path m_DocFile;
  std::filesystem::path m_HtmFile;
  void PlaceParts();

  PrintLayout design_layout_;
  PrintLayout::Placed placed_;
};

}  // namespace dtm
