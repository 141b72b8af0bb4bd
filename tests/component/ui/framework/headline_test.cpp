// The title strip: its title and link as the pages set them, the manual it
// opens in the page's language, and its design properties.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/ui/framework/ctl_headline.h"
#include "platform/com/property_bag.h"
#include "platform/win/shell.h"

namespace dtm::testing {
namespace {

using Names = std::vector<std::string>;

class Headline : public ::testing::Test {
 protected:
  std::vector<std::string> Opened() const {
    std::vector<std::string> files;
    for (const auto& call : shell_.calls) files.push_back(call.verb + " " + call.file);
    return files;
  }
  win::RecordingShell shell_;
  std::shared_ptr<ctlHeadline> headline_ =
      std::make_shared<ctlHeadline>(&shell_, std::filesystem::path("/opt/vd"));
};

TEST_F(Headline, TheManualFollowsThePrimaryLanguage) {
  struct Case {
    const char* name;
    std::optional<std::int32_t> language;
    const char* opened;
  };
  const Case cases[] = {
      {"BeforeAnyLanguage", std::nullopt, "open /opt/vd/e52071en.pdf"},
      {"GermanLocale", 1031, "open /opt/vd/e52071de.pdf"},
      {"GermanPrimary", 7, "open /opt/vd/e52071de.pdf"},
      {"SwissGerman", 2055, "open /opt/vd/e52071de.pdf"},
      {"English", 1033, "open /opt/vd/e52071en.pdf"},
      {"French", 1036, "open /opt/vd/e52071en.pdf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    win::RecordingShell shell;
    auto headline = std::make_shared<ctlHeadline>(&shell, std::filesystem::path("/opt/vd"));
    if (c.language) headline->SpachID(*c.language);
    headline->Image1().Raise("Click");
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].verb + " " + shell.calls[0].file, c.opened);
  }
}

TEST_F(Headline, TheLogoOpensTheLinkOnlyWhenThereIsOne) {
  headline_->imgLogo().Raise("Click");
  EXPECT_TRUE(shell_.calls.empty());
  EXPECT_EQ(headline_->imgLogo().MousePointer(), 0);

  headline_->SetCompanyURL("http://www.example.com");
  EXPECT_EQ(headline_->imgLogo().MousePointer(), 99);
  headline_->imgLogo().Raise("Click");
  EXPECT_EQ(Opened(), Names{"open http://www.example.com"});

  headline_->SetCompanyURL("");
  EXPECT_EQ(headline_->imgLogo().MousePointer(), 0);
  headline_->imgLogo().Raise("Click");
  EXPECT_EQ(Opened().size(), 1u);
}

TEST_F(Headline, OnlyAChangedValueMarksItsPropertyChanged) {
  headline_->SetTitle("Online parameters");
  headline_->SetTitle("Online parameters");
  headline_->SetCompanyURL("http://www.example.com");
  headline_->SetCompanyURL("http://www.example.com");
  EXPECT_EQ(headline_->Title(), "Online parameters");
  EXPECT_EQ(headline_->lblTitle().Caption(), "Online parameters");
  EXPECT_EQ(headline_->ChangedProperties(), (Names{"Title", "CompanyURL"}));

  com::MemoryPropertyBag bag;
  headline_->WriteProperties(bag);
  headline_->SetTitle("Online parameters");
  headline_->SetCompanyURL("http://www.example.com");
  EXPECT_TRUE(headline_->ChangedProperties().empty());
}

TEST_F(Headline, SettingTheStoredTitleOrLinkIsNoChange) {
  // An empty title and no link are what a new strip holds.
  headline_->SetTitle("");
  headline_->SetCompanyURL("");
  EXPECT_TRUE(headline_->ChangedProperties().empty());
}

TEST_F(Headline, DesignPropertiesRoundTrip) {
  headline_->InitProperties();
  EXPECT_EQ(headline_->Title(), "Title");
  EXPECT_EQ(headline_->CompanyURL(), "");

  com::MemoryPropertyBag empty;
  headline_->ReadProperties(empty);
  EXPECT_EQ(headline_->Title(), "");
  EXPECT_EQ(headline_->imgLogo().MousePointer(), 0);

  com::MemoryPropertyBag bag;
  bag.WriteProperty("Title", "Monitor");
  bag.WriteProperty("CompanyURL", "http://www.example.com");
  headline_->ReadProperties(bag);
  EXPECT_EQ(headline_->Title(), "Monitor");
  EXPECT_EQ(headline_->CompanyURL(), "http://www.example.com");
  EXPECT_EQ(headline_->imgLogo().MousePointer(), 99);
  // Reading the design state is no change by the page.
  EXPECT_TRUE(headline_->ChangedProperties().empty());

  com::MemoryPropertyBag written;
  headline_->WriteProperties(written);
  EXPECT_EQ(written.ReadProperty("Title").ToString(), "Monitor");
  EXPECT_EQ(written.ReadProperty("CompanyURL").ToString(), "http://www.example.com");
}

TEST_F(Headline, WithoutAShellAClickOpensNothing) {
  auto headline = std::make_shared<ctlHeadline>();
  headline->SetCompanyURL("http://www.example.com");
  headline->Image1().Raise("Click");
  headline->imgLogo().Raise("Click");
  headline->SetSurroundings(&shell_, "/srv");
  headline->Image1().Raise("Click");
  EXPECT_EQ(Opened(), Names{"open /srv/e52071en.pdf"});
}

TEST_F(Headline, TheManualPictureShowsTheCustomPointer) {
  EXPECT_EQ(headline_->Image1().MousePointer(), 0);
  headline_->Image1().Raise("MouseMove", forms::Args{0, 0, 10.0, 10.0});
  EXPECT_EQ(headline_->Image1().MousePointer(), 99);
}

TEST_F(Headline, TheLogoStaysAtTheRightEdge) {
  const struct {
    std::int32_t width;
    std::int32_t left;
  } cases[] = {{9000, 7785}, {4000, 2785}, {12000, 10785}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    headline_->Resize(c.width, 600);
    EXPECT_EQ(headline_->LogoLeft(), c.left);
    EXPECT_EQ(headline_->imgLogo().Left(), c.left);
    EXPECT_EQ(headline_->imgLogo().Width(), 1215);
  }
}

}  // namespace
}  // namespace dtm::testing
