// Texts by key with placeholders, and captions by caption key.

#include <gtest/gtest.h>

#include "component/common/language_helpers.h"
#include "platform/com/error.h"
#include "platform/com/locale.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

using LanguageHelpers::GetLangText;
using LanguageHelpers::SetControlTexts;

// A dictionary with the keys these cases need.
constexpr const char* kDictionary = R"(<?xml version="1.0" encoding="UTF-8"?>
<dictionary name="DTMDictionary" language="9" default="9">
  <section name="keys">
    <entry key="two" text="A %1 B %2"/>
    <entry key="twice" text="%1-%1"/>
    <entry key="lower" text="%1 %p1"/>
    <entry key="empty" text=""/>
    <entry key="ctlStatus_lblX_3" text="Array label"/>
    <entry key="ctlStatus_lblY" text="Single label"/>
    <entry key="ctlStatus_cmdGo" text="&amp;Go"/>
    <entry key="ctlStatus_TabStrip.1" text="One"/>
    <entry key="ctlStatus_TabStrip.3" text="Three"/>
    <entry key="ctlStatus_SSTab.0" text="Zero"/>
    <entry key="ctlStatus_SSTab.2" text="Two"/>
    <entry key="ctlStatus_txtValue" text="never used"/>
    <entry key="ctlStatus_ctlParamHelp1" text="never used"/>
    <entry key="ctlStatus_" text="never used"/>
  </section>
</dictionary>)";

class LangTexts : public DtmFixture {
 protected:
  LangTexts() { EXPECT_TRUE(Context().Dictionary().LoadXml(kDictionary)); }
};

TEST_F(LangTexts, PlaceholdersAsATable) {
  using V = std::optional<com::Variant>;
  struct Case {
    const char* name;
    const char* key;
    V p1, p2, p3;
    const char* expected;
  };
  const Case cases[] = {
      {"MissingKeyKeepsKeyAndPlaceholders", "no_such_key", com::Variant("x"), com::Variant("y"),
       std::nullopt, "no_such_key"},
      {"OnlyFirstGivenKeepsSecond", "two", com::Variant("x"), std::nullopt, std::nullopt,
       "A x B %2"},
      {"ArgumentHoldingNextPlaceholderIsReplacedInTurn", "two", com::Variant("%2"),
       com::Variant("x"), std::nullopt, "A x B x"},
      {"EveryOccurrence", "twice", com::Variant(std::int32_t{5}), std::nullopt, std::nullopt,
       "5-5"},
      {"CaseSensitive", "lower", com::Variant("v"), std::nullopt, std::nullopt, "v %p1"},
      {"EmptyCountsAsGiven", "two", com::Variant(), com::Variant(), std::nullopt, "A  B "},
      {"NoArguments", "two", std::nullopt, std::nullopt, std::nullopt, "A %1 B %2"},
      {"EmptyTextIsATextNotAMissingKey", "empty", com::Variant("x"), std::nullopt, std::nullopt,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GetLangText(Context(), c.key, c.p1, c.p2, c.p3), c.expected);
  }
}

TEST_F(LangTexts, NumbersFollowTheLocale) {
  services_.locale->Set(com::Locale::German());
  EXPECT_EQ(GetLangText(Context(), "twice", com::Variant(1.5)), "1,5-1,5");
}

// A second host's surroundings, made the way the first one's are.
class OtherSurroundings : public FakeSurroundings {
 public:
  runtime::Services& Services() { return services_; }
};

TEST_F(LangTexts, EachInstanceFollowsTheLocaleOfItsOwnServices) {
  OtherSurroundings other;
  other.Services().locale->Set(com::Locale::German());
  Library german_library{other.Services()};
  std::shared_ptr<com::ClassFactory> factory;
  ASSERT_EQ(german_library.DllGetClassObject(Library::Classes()[0].clsid, factory), com::kSOk);
  const auto german = std::dynamic_pointer_cast<DTMMain>(factory->CreateInstance());
  ASSERT_TRUE(german);
  ASSERT_TRUE(german->Context().Dictionary().LoadXml(kDictionary));

  // Both alive, asked in turn: neither sees the other's locale.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    EXPECT_EQ(GetLangText(Context(), "twice", com::Variant(1.5)), "1.5-1.5");
    EXPECT_EQ(GetLangText(german->Context(), "twice", com::Variant(1.5)), "1,5-1,5");
  }
  EXPECT_EQ(services_.locale->Get().decimal, '.');
}

// A control whose name cannot be read, as a broken control reports it.
class NamelessControl : public forms::Control {
 public:
  NamelessControl() : Control(forms::ControlKind::kLabel, "lblY") {}
  std::string Name() const override { throw com::ComError(438, "no name"); }
};

using CaptionKeys = LangTexts;

TEST_F(CaptionKeys, EachKindTakesItsKey) {
  auto array_label = std::make_shared<forms::Control>(forms::ControlKind::kLabel, "lblX",
                                                      std::int16_t{3});
  auto single_label = std::make_shared<forms::Control>(forms::ControlKind::kLabel, "lblY");
  auto button = std::make_shared<forms::Control>(forms::ControlKind::kCommandButton, "cmdGo");
  auto untranslated = std::make_shared<forms::Control>(forms::ControlKind::kFrame, "frmNone");
  untranslated->SetCaption("Layout");
  auto text_box = std::make_shared<forms::Control>(forms::ControlKind::kTextBox, "txtValue");
  auto help = std::make_shared<forms::Control>(forms::ControlKind::kParamHelp, "ctlParamHelp1");
  auto strip = std::make_shared<forms::TabStrip>(
      "TabStrip", std::vector<forms::TabStrip::Tab>{{"a", "a"}, {"b", "b"}, {"c", "c"}});
  auto dialog = std::make_shared<forms::TabbedDialog>("SSTab", std::int16_t{3});
  dialog->SetTabCaption(1, "keep");
  auto nameless = std::make_shared<NamelessControl>();
  nameless->SetCaption("unchanged");

  SetControlTexts(Context(), "ctlStatus_",
                  {array_label, single_label, button, untranslated, text_box, help, strip,
                   dialog, nameless});

  EXPECT_EQ(array_label->Caption(), "Array label");
  EXPECT_EQ(single_label->Caption(), "Single label");
  EXPECT_EQ(button->Caption(), "&Go");
  EXPECT_EQ(untranslated->Caption(), "Layout");
  EXPECT_EQ(text_box->Caption(), "");
  EXPECT_EQ(help->Caption(), "");
  EXPECT_EQ(strip->TabItem(1).caption, "One");
  EXPECT_EQ(strip->TabItem(2).caption, "b");
  EXPECT_EQ(strip->TabItem(3).caption, "Three");
  EXPECT_EQ(dialog->TabCaption(0), "Zero");
  EXPECT_EQ(dialog->TabCaption(1), "keep");
  EXPECT_EQ(dialog->TabCaption(2), "Two");
  EXPECT_EQ(nameless->Caption(), "unchanged");
}

}  // namespace
}  // namespace dtm::testing
