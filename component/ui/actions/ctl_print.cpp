#include "component/ui/actions/ctl_print.h"

#include <cstdio>
#include <fstream>
#include <system_error>

#include "component/common/lang_supp.h"
#include "component/common/language_helpers.h"
#include "component/common/win_sdk.h"
#include "platform/com/error.h"
#include "platform/runtime/context.h"
#include "platform/runtime/documents.h"
#include "platform/xml/dom.h"

namespace dtm {
namespace {

constexpr std::int32_t kStyleOkOnly = 0;
constexpr std::int32_t kStyleOkCancelQuestion = 289;  // OK and Cancel, question icon, Cancel default
constexpr std::int32_t kIdOk = 1;
constexpr std::int32_t kSupportedAndEnabled =
    controls::WebBrowser::kSupported | controls::WebBrowser::kEnabled;

double Grown(double design, double delta) { return delta >= 0 ? design + delta : design; }

void RemoveQuietly(const std::filesystem::path& file) {
  if (file.empty()) return;
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
}

}  // namespace

PrintLayout::Placed PrintLayout::For(double new_width, double new_height) const {
  const double dw = new_width - width;
  const double dh = new_height - height;
  return Placed{Grown(headline_width, dw), Grown(buttons_top, dh),     Grown(refresh_left, dw),
                Grown(page_setup_left, dw), Grown(preview_left, dw),   Grown(print_left, dw),
                Grown(browser_width, dw),   Grown(browser_height, dh)};
}

ctlPrint::ctlPrint(const runtime::Services* services)
    : PageBase(PageBase::Design{"ctlPrint", "HeadlineTitle_Drucken", false}, services) {
  www_print_ = Add(std::make_shared<controls::WebBrowser>("wwwPrint"));
  cmd_refresh_ = Add(std::make_shared<forms::CommandButton>("cmdRefreshData"));
  cmd_refresh_->SetCaption("Daten aktualisieren");
  cmd_page_setup_ = Add(std::make_shared<forms::CommandButton>("cmdPageSetup"));
  cmd_page_setup_->SetCaption("Seite einrichten...");
  cmd_preview_ = Add(std::make_shared<forms::CommandButton>("cmdPreview"));
  cmd_preview_->SetCaption("Seitenansicht");
  cmd_print_ = Add(std::make_shared<forms::CommandButton>("cmdPrint"));
  cmd_print_->SetCaption("Drucken");
  placed_ = design_layout_.For(design_layout_.width, design_layout_.height);
  PlaceParts();
  Resize(static_cast<std::int32_t>(design_layout_.width), static_cast<std::int32_t>(design_layout_.height));
  On("Resize", [this](forms::Args&) { Resized(ScaleWidth(), ScaleHeight()); });

  cmd_refresh_->On("Click", [this](forms::Args&) { RefreshClicked(); });
  cmd_page_setup_->On("Click", [this](forms::Args&) { PageSetupClicked(); });
  cmd_preview_->On("Click", [this](forms::Args&) { PreviewClicked(); });
  cmd_print_->On("Click", [this](forms::Args&) { PrintClicked(); });
  for (const forms::ControlPtr& button : CommandButtons()) EchoOn(button, "LostFocus");
}

// ---- The skeleton's steps ------------------------------------------------------------------

void ctlPrint::InitParamSite() {
  PageBase::InitParamSite();
  GetParamHelpCtl()->ZOrder(0);
  const bool dialogs = GetDtmContext()->PrivateDialogEnabled();
  cmd_preview_->SetEnabled(dialogs);
  cmd_page_setup_->SetEnabled(cmd_preview_->Enabled());
}

void ctlPrint::ApplyLanguage(std::int32_t language_id) {
  // The skeleton's language step, except that the headline's manual keeps
  // its language on this page.
  const std::int16_t manual_language = Headline() ? Headline()->LangID() : 0;
  PageBase::ApplyLanguage(language_id);
  if (Headline()) Headline()->SpachID(manual_language);
  BuildDocument(language_id);
}

bool ctlPrint::ReleaseParamSite() {
  ParamSite().Release();
  return true;
}

void ctlPrint::SetLockState(bool enabled) { ParamSite().EnableInput(enabled); }

bool ctlPrint::IDtmActiveXControl_PrepareToRelease() {
  const bool open = Initialised();
  if (!PageBase::IDtmActiveXControl_PrepareToRelease()) return false;
  if (open) DeleteFiles();
  return true;
}

void ctlPrint::DeleteFiles() {
  RemoveQuietly(m_DocFile);
  RemoveQuietly(m_HtmFile);
}

// ---- The documentation -------------------------------------------------------------------

void ctlPrint::BuildDocument(std::int32_t language_id) {
  runtime::DTMContext& context = *GetDtmContext();
  runtime::DocumentationBuilder builder;
  const std::string document = builder.GetDocument(context, kDocumentKind);
  if (document.empty()) return;

  const std::int32_t lcid = LangSupp::MakeLcid(LangSupp::PrimaryLangId(language_id), 0, 0);
  char part[16];
  std::snprintf(part, sizeof part, "%03d", static_cast<int>(lcid));
  const std::string html = TransformDocument(document, part);
  if (html.empty()) return;

  // From here a failing file only leaves the browser with less to show.
  DeleteFiles();
  m_HtmFile.clear();
  m_DocFile.clear();
  const runtime::Services* services = GetServices();
  if (!services) return;
  std::filesystem::path folder = services->temp_files.TempPath();
  const std::filesystem::path file = services->temp_files.TempFileName(folder, "DTM");
  // Without a file of its own the page has no document: the browser is
  // never pointed at a file that is gone.
  if (file.empty()) return;
  m_DocFile = file;
  std::string htm = file.string();
  htm.replace(htm.size() >= 3 ? htm.size() - 3 : 0, 3, "htm");
  m_HtmFile = htm;
  {
    std::ofstream out(m_DocFile, std::ios::binary | std::ios::trunc);
    out << html << "\r\n";
  }
  www_print_->Navigate(m_DocFile.string());
}

std::string ctlPrint::Transform(const std::string& document, const std::string& data_folder,
                                const std::string& language_part) {
  xml::Document source;
  if (!source.LoadXml(document)) {
    throw com::ComError(com::kEFail, "The documentation is no XML: " + source.ParseError(), "ctlPrint");
  }
  xml::Document sheet;
  sheet.Load(std::filesystem::path(data_folder) / ("DTMDocStyle" + language_part + ".xsl"));
  const xml::Node root = sheet.SelectSingleNode("/xsl:stylesheet");
  const std::vector<xml::Node> parts = source.SelectNodes("FDT/DTMStyleForCompleteDocument/*");
  xml::Node target =
      sheet.SelectSingleNode("/xsl:stylesheet/xsl:template[@match='FDT/DTMStyleForCompleteDocument']");
  if (!root || !target) {
    throw com::ComError(com::kEFail, "The style sheet has no template for the complete document",
                        "ctlPrint");
  }
  for (const xml::Node& node : parts) {
    // Each part leaves the documentation for the template.
    target.AppendChild(node);
    if (xml::Node parent = node.Parent()) parent.RemoveChild(node);
  }
  return source.TransformNode(root.OwnerDocument());
}

std::string ctlPrint::TransformDocument(const std::string& document,
                                        const std::string& language_part) {
  runtime::DTMContext& context = *GetDtmContext();
  try {
    return Transform(document, context.XMLMan().DataFolder(), language_part);
  } catch (const com::ComError&) {
    context.ShowError(LanguageHelpers::GetLangText(context, "xsl_transform_error",
                                                   com::Variant("DTMDocStyle" + language_part + ".xsl: ")));
    return {};
  }
}

// ---- The buttons -----------------------------------------------------------------------------

void ctlPrint::RefreshClicked() {
  if (!DTM()) return;
  BuildDocument(GetDtmContext()->GUIMan().Language());
}

void ctlPrint::RunBrowserCommand(std::int32_t command) {
  runtime::DTMContext& context = *GetDtmContext();
  const std::int32_t status = www_print_->QueryStatusWB(command);
  if ((status & kSupportedAndEnabled) == kSupportedAndEnabled) {
    www_print_->ExecWB(command, controls::WebBrowser::kPromptUser);
  } else if ((status & controls::WebBrowser::kSupported) != 0) {
    context.MessageBox(LanguageHelpers::GetLangText(context, "action_not_enabled"), kStyleOkOnly);
  } else {
    context.MessageBox(LanguageHelpers::GetLangText(context, "action_not_supported"), kStyleOkOnly);
  }
}

void ctlPrint::PageSetupClicked() {
  if (!DTM()) return;
  RunBrowserCommand(controls::WebBrowser::kCmdPageSetup);
}

void ctlPrint::PreviewClicked() {
  if (!DTM()) return;
  runtime::DTMContext& context = *GetDtmContext();
  if (m_DocFile.empty()) {
    context.ShowError(LanguageHelpers::GetLangText(context, "no_document_for_print"));
    return;
  }
  RunBrowserCommand(controls::WebBrowser::kCmdPrintPreview);
}

void ctlPrint::PrintClicked() {
  if (!DTM()) return;
  runtime::DTMContext& context = *GetDtmContext();
  if (m_DocFile.empty()) {
    context.ShowError(LanguageHelpers::GetLangText(context, "no_document_for_print"));
    return;
  }
  // A failure from here ends the print without a message.
  try {
    const std::int32_t status = www_print_->QueryStatusWB(controls::WebBrowser::kCmdPrint);
    // The browser's own print only where it is both supported and enabled:
    // a command that is not enabled would fail and print nothing.
    if (context.PrivateDialogEnabled() && (status & kSupportedAndEnabled) == kSupportedAndEnabled) {
      www_print_->ExecWB(controls::WebBrowser::kCmdPrint, controls::WebBrowser::kPromptUser);
      return;
    }
    if (context.MessageBox(LanguageHelpers::GetLangText(context, "printpreview_in_iexplorer"),
                           kStyleOkCancelQuestion) != kIdOk) {
      return;
    }
    RemoveQuietly(m_HtmFile);
    std::error_code ignored;
    std::filesystem::copy_file(m_DocFile, m_HtmFile, ignored);
    const runtime::Services* services = GetServices();
    if (services) WinSDK::ShellOpen(services->shell, m_HtmFile.string());
  } catch (const com::ComError&) {
  }
}

// ---- Layout ----------------------------------------------------------------------------------

void ctlPrint::Resized(double width, double height) {
  placed_ = design_layout_.For(width, height);
  PlaceParts();
}

void ctlPrint::PlaceParts() {
  const auto twips = [](double v) { return static_cast<std::int32_t>(v); };
  constexpr std::int32_t kButtonWidth = 1560, kButtonHeight = 420, kBrowserTop = 720;
  www_print_->Move(120, kBrowserTop, twips(placed_.browser_width), twips(placed_.browser_height));
  const std::pair<forms::CommandButton*, double> buttons[] = {
      {cmd_refresh_.get(), placed_.refresh_left},
      {cmd_page_setup_.get(), placed_.page_setup_left},
      {cmd_preview_.get(), placed_.preview_left},
      {cmd_print_.get(), placed_.print_left}};
  for (const auto& [button, left] : buttons) {
    button->Move(twips(left), twips(placed_.buttons_top), kButtonWidth, kButtonHeight);
  }
  if (Headline()) Headline()->SetWidth(twips(placed_.headline_width));
}

}  // namespace dtm
