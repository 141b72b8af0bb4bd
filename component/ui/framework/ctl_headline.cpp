#include "component/ui/framework/ctl_headline.h"

#include "component/common/lang_supp.h"
#include "component/common/win_sdk.h"

namespace dtm {
namespace {

constexpr std::int16_t kGerman = 7;

}  // namespace

ctlHeadline::ctlHeadline(win::Shell* shell, std::filesystem::path install_folder)
    : forms::UserControl("ctlHeadline"),
      shell_(shell),
      install_folder_(std::move(install_folder)),
      lbl_title_(Add(std::make_shared<forms::Control>(forms::ControlKind::kLabel, "lblTitle"))),
      img_logo_(Add(std::make_shared<forms::Control>(forms::ControlKind::kImage, "imgLogo"))),
      image1_(Add(std::make_shared<forms::Control>(forms::ControlKind::kImage, "Image1"))) {
  On("InitProperties", [this](forms::Args&) {
    lbl_title_->SetCaption("Title");
    SetURL("");
  });
  On("ReadProperties", [this](forms::Args& args) {
    com::PropertyBag& bag = forms::BagOf(args.at(0));
    lbl_title_->SetCaption(bag.ReadProperty("Title", com::Variant("")).ToString());
    SetURL(bag.ReadProperty("CompanyURL", com::Variant("")).ToString());
  });
  On("WriteProperties", [this](forms::Args& args) {
    com::PropertyBag& bag = forms::BagOf(args.at(0));
    bag.WriteProperty("Title", lbl_title_->Caption());
    bag.WriteProperty("CompanyURL", m_URL);
  });
  img_logo_->SetWidth(kLogoWidth);
  // The logo keeps to the right edge of the strip.
  On("Resize", [this](forms::Args&) { img_logo_->SetLeft(ScaleWidth() - img_logo_->Width()); });
  image1_->On("Click", [this](forms::Args&) {
    if (!shell_) return;
    const char* file = m_LangID == kGerman ? "e52071de.pdf" : "e52071en.pdf";
    WinSDK::ShellOpen(*shell_, (install_folder_ / file).string());
  });
  image1_->On("MouseMove", [this](forms::Args&) { image1_->SetMousePointer(kCustomPointer); });
  img_logo_->On("Click", [this](forms::Args&) {
    if (shell_ && !m_URL.empty()) WinSDK::ShellOpen(*shell_, m_URL);
  });
}

void ctlHeadline::SetSurroundings(win::Shell* shell, std::filesystem::path install_folder) {
  shell_ = shell;
  install_folder_ = std::move(install_folder);
}

std::string ctlHeadline::Title() const { return lbl_title_->Caption(); }

void ctlHeadline::SetTitle(const std::string& title) {
  if (title == lbl_title_->Caption()) return;
  lbl_title_->SetCaption(title);
  PropertyChanged("Title");
}

void ctlHeadline::SetCompanyURL(const std::string& url) {
  if (url == m_URL) return;
  SetURL(url);
  PropertyChanged("CompanyURL");
}

void ctlHeadline::SpachID(std::int32_t language_id) {
  m_LangID = LangSupp::PrimaryLangId(language_id);
}

void ctlHeadline::SetURL(const std::string& url) {
  m_URL = url;
  img_logo_->SetMousePointer(url.empty() ? kDefaultPointer : kCustomPointer);
}

void ctlHeadline::Describe(forms::ControlState& state) const {
  forms::UserControl::Describe(state);
  state.attributes.emplace_back("title", Title());
  if (!m_URL.empty()) state.attributes.emplace_back("url", m_URL);
}

}  // namespace dtm
