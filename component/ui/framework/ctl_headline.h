#pragma once
// The strip at the top of a page: its title, the maker's logo (a link to the
// maker's web page when one is set) and the manual picture, which opens the
// device manual in the page's language.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/forms/user_control.h"
#include "platform/win/shell.h"

namespace dtm {

class ctlHeadline : public forms::UserControl {
 public:
  // The mouse pointers over the logo and the manual picture.
  static constexpr std::int16_t kDefaultPointer = 0;
  static constexpr std::int16_t kCustomPointer = 99;
  // The logo's width in the control's scale.
  static constexpr std::int32_t kLogoWidth = 1215;

  // The shell opens the manual and the link; the manuals lie in
  // `install_folder`. The shell is not owned; without one a click opens
  // nothing. A page hands them over when it is initialised.
  explicit ctlHeadline(win::Shell* shell = nullptr, std::filesystem::path install_folder = {});
  void SetSurroundings(win::Shell* shell, std::filesystem::path install_folder);

  // The caption of lblTitle; setting another one marks "Title" changed.
  std::string Title() const;
  void SetTitle(const std::string& title);
  // The link behind the logo, "" for none; setting another one marks
  // "CompanyURL" changed.
  const std::string& CompanyURL() const { return m_URL; }
  void SetCompanyURL(const std::string& url);
  // Keeps the primary language of `language_id`; it chooses the manual.
  void SpachID(std::int32_t language_id);
  std::int16_t LangID() const { return m_LangID; }

  forms::Control& lblTitle() const { return *lbl_title_; }
  forms::Control& imgLogo() const { return *img_logo_; }
  forms::Control& Image1() const { return *image1_; }
  // The logo's left edge: at the right edge of the strip after a Resize.
  std::int32_t LogoLeft() const { return img_logo_->Left(); }

  // Adds the title and the link, which renderers show as the page's head.
  void Describe(forms::ControlState& state) const override;

 private:
  void SetURL(const std::string& url);

  win::Shell* shell_;
  std::filesystem::path install_folder_;
  std::shared_ptr<forms::Control> lbl_title_;
  std::shared_ptr<forms::Control> img_logo_;
  std::shared_ptr<forms::Control> image1_;

  std::string m_URL;
  std::int16_t m_LangID = 0;
};

}  // namespace dtm
