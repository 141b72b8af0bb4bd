// The parameter site's binding of a page's fields and its fan-out to the
// links, the edit field's members and events, and the help panel.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "component/interfaces/private.h"
#include "platform/com/error.h"
#include "platform/com/property_bag.h"
#include "platform/controls/param_site.h"
#include "platform/forms/control.h"
#include "platform/forms/user_control.h"
#include "platform/runtime/context.h"
#include "tests/testing/raised.h"
#include "tests/testing/surroundings.h"

namespace dtm::testing {
namespace {

using controls::ctlParameter;
using controls::ctlParamHelp;
using controls::ctlParamSite;
using controls::ImageCollection;
using controls::ParamLinkPtr;
using controls::StockPicture;

// A link that records what the site asks of it, into one shared log; its
// InitLink fails for the tags listed in `refused`.
struct LinkLog {
  std::vector<std::string> calls;
  std::vector<std::string> refused;
  std::string failing_end;  // the tag whose TerminateLink raises
};

class RecordingLink : public com::Object, public controls::IPrivateParamLink {
 public:
  RecordingLink(std::shared_ptr<LinkLog> log, std::string name)
      : log_(std::move(log)), name_(std::move(name)) {}

  ParamLinkPtr IPrivateParamLink_GetNewParamLink() override {
    auto link = std::make_shared<RecordingLink>(log_, "link" + std::to_string(++made_));
    made_links_.push_back(link);
    return link;
  }
  DataElementPtr IPrivateParamLink_DataElement() const override { return element_; }
  controls::ParameterPtr IPrivateParamLink_ParameterCtl() const override { return control_; }
  void IPrivateParamLink_InitLink(runtime::DTMContext&, const controls::ParameterPtr& control,
                                  const controls::ImageCollectionPtr& images,
                                  const std::string& text) override {
    for (const std::string& tag : log_->refused)
      if (control->ParameterTag() == tag)
        throw com::ComError(9, "Subscript out of range: " + tag, "Parameters");
    control_ = control;
    images_ = images;
    text_ = text;
    Log("InitLink " + control->ParameterTag());
  }
  void IPrivateParamLink_TerminateLink() override {
    Log("TerminateLink");
    if (control_ && control_->ParameterTag() == log_->failing_end)
      throw com::ComError(91, "Object variable not set", "Link");
  }
  void IPrivateParamLink_InitLanguageDependent() override { Log("InitLanguageDependent"); }
  void IPrivateParamLink_UpdateParameter() override { Log("UpdateParameter"); }
  void IPrivateParamLink_ValidateParameter() override { Log("ValidateParameter"); }

  void Log(const std::string& call) { log_->calls.push_back(name_ + " " + call); }

  std::shared_ptr<LinkLog> log_;
  std::string name_;
  int made_ = 0;
  std::vector<std::shared_ptr<RecordingLink>> made_links_;
  DataElementPtr element_;
  controls::ParameterPtr control_;
  controls::ImageCollectionPtr images_;
  std::string text_;
};

// Only identity matters to the site.
class StubElement : public IPrivateDataElement {
 public:
  std::string IPrivateDataElement_Name() const override { return "X"; }
  void IPrivateDataElement_Name(const std::string&) override {}
  std::int32_t IPrivateDataElement_ValueType() const override { return 0; }
  void IPrivateDataElement_ValueType(std::int32_t) override {}
  std::int32_t IPrivateDataElement_ValueTypeLength() const override { return 0; }
  void IPrivateDataElement_ValueTypeLength(std::int32_t) override {}
  std::int32_t IPrivateDataElement_StatusFlags() const override { return 0; }
  void IPrivateDataElement_StatusFlags(std::int32_t) override {}
  std::int32_t IPrivateDataElement_ElementMode() const override { return 0; }
  void IPrivateDataElement_ElementMode(std::int32_t) override {}
  com::Variant IPrivateDataElement_TransientValue() const override { return {}; }
  void IPrivateDataElement_TransientValue(const com::Variant&) override {}
  com::Variant IPrivateDataElement_PersistentValue() const override { return {}; }
  void IPrivateDataElement_PersistentValue(const com::Variant&) override {}
  com::Variant IPrivateDataElement_DeviceValue() const override { return {}; }
  void IPrivateDataElement_DeviceValue(const com::Variant&) override {}
  bool IPrivateDataElement_InitNew(const com::Variant&, const com::Variant&) override {
    return true;
  }
  bool IPrivateDataElement_ReadFromPropBag(com::PropertyBag&, runtime::DTMContext&) override {
    return true;
  }
  bool IPrivateDataElement_WriteToPropBag(com::PropertyBag&, const com::Variant&) override {
    return true;
  }
  bool IPrivateDataElement_ReadFromDtmVariable(const xml::Node&, runtime::DTMContext&) override {
    return true;
  }
  bool IPrivateDataElement_WriteToDtmVariable(const xml::Node&, runtime::DTMContext&) override {
    return true;
  }
  bool IPrivateDataElement_WriteToDocVariable(const xml::Node&, runtime::DTMContext&) override {
    return true;
  }
  bool IPrivateDataElement_IsUploadParam(const com::Variant&) override { return false; }
  bool IPrivateDataElement_IsDownloadParam(runtime::DTMContext&) override { return false; }
  bool IPrivateDataElement_IsDeviceCommand(runtime::DTMContext&) override { return false; }
  std::int32_t IPrivateDataElement_NestProcessLevel() const override { return 0; }
  void IPrivateDataElement_NestProcessLevel(std::int32_t) override {}
};

// A page with three fields (one inside a frame), a button between them and
// its site, bound to a recording link.
class SiteFixture : public ::testing::Test, protected FakeSurroundings {
 protected:
  SiteFixture() {
    field0_ = page_->Add(std::make_shared<ctlParameter>("ctlParameter", 0));
    page_->Add(std::make_shared<forms::Control>(forms::ControlKind::kCommandButton, "cmdRead"));
    auto frame = page_->Add(std::make_shared<forms::Frame>("frmRange"));
    field1_ = page_->Add(std::make_shared<ctlParameter>("ctlParameter", 1), frame.get());
    field2_ = page_->Add(std::make_shared<ctlParameter>("ctlParameter", 2));
    site_ = page_->Add(std::make_shared<ctlParamSite>());
    field0_->SetParameterTag("A/Par1");
    field1_->SetParameterTag("B/Par%d");
    field2_->SetParameterTag("C/Par3");
  }

  void Init() {
    std::string id = "inv-1";
    site_->Init(*context_, id, prototype_);
  }
  std::shared_ptr<RecordingLink> Made(std::size_t i) { return prototype_->made_links_.at(i); }
  std::vector<std::string> Errors() const {
    std::vector<std::string> out;
    for (const auto& entry : messages_.entries)
      if (entry.kind == runtime::RecordingMessageSink::Entry::kError) out.push_back(entry.text);
    return out;
  }

  std::shared_ptr<runtime::DTMContext> context_ = std::make_shared<runtime::DTMContext>(services_);
  std::shared_ptr<forms::UserControl> page_ = std::make_shared<forms::UserControl>("ctlPage");
  std::shared_ptr<ctlParameter> field0_, field1_, field2_;
  std::shared_ptr<ctlParamSite> site_;
  std::shared_ptr<LinkLog> log_ = std::make_shared<LinkLog>();
  std::shared_ptr<RecordingLink> prototype_ = std::make_shared<RecordingLink>(log_, "page");
};

// ---- images ---------------------------------------------------------------

TEST(ParamSiteImages, HoldsTheThirteenStatusPicturesInOrder) {
  ctlParamSite site;
  const std::vector<std::string> expected = {
      "CommErr", "AnyErr",  "RangeErr", "InputErr",   "Needed",      "Changed", "Dynamic1",
      "Dynamic2", "Locked", "Initial",  "SavedValue", "OnlineValue", "Blank"};
  ASSERT_EQ(site.Images().Count(), 13u);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(site.Images().Key(i + 1), expected[i]);
    EXPECT_EQ(site.Images().KeyOf(site.Images().Item(expected[i])), expected[i]);
  }
  // Every key has a picture of its own.
  EXPECT_NE(site.Images().Item("Dynamic1"), site.Images().Item("Dynamic2"));
}

TEST(ParamSiteImages, AddsAtTheGivenPlaceAndRefusesWhatDoesNotFit) {
  ImageCollection images;
  auto a = std::make_shared<StockPicture>("a");
  auto b = std::make_shared<StockPicture>("b");
  EXPECT_EQ(images.Add(std::nullopt, "Saved", a), 1u);
  EXPECT_EQ(images.Add(1, "Online", b), 1u);
  EXPECT_EQ(images.Key(1), "Online");
  EXPECT_EQ(images.Key(2), "Saved");

  struct Case {
    const char* name;
    std::function<void()> call;
    std::int32_t error;
  };
  const Case cases[] = {
      {"DuplicateKey", [&] { images.Add(std::nullopt, "Saved", a); }, 35602},
      {"IndexPastEnd", [&] { images.Add(4, "X", a); }, 35600},
      {"IndexZero", [&] { images.Add(0, "X", a); }, 35600},
      {"NoPicture", [&] { images.Add(std::nullopt, "X", nullptr); }, 424},
      {"UnknownKey", [&] { images.Item("X"); }, 35601},
      {"ItemOutOfRange", [&] { images.Item(3); }, 35600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ErrorOf(c.call), c.error);
  }
  EXPECT_EQ(images.Count(), 2u);
  // A picture is known by identity, not by its name.
  EXPECT_EQ(images.KeyOf(std::make_shared<StockPicture>("a")), "");
}

// ---- binding and fan-out --------------------------------------------------

TEST_F(SiteFixture, InitBindsEveryFieldOfThePageInFormOrder) {
  Init();
  EXPECT_EQ(log_->calls, (std::vector<std::string>{"link1 InitLink A/Par1", "link2 InitLink B/Par%d",
                                                   "link3 InitLink C/Par3"}));
  EXPECT_EQ(site_->GetParamLink(*field1_), Made(1));
  EXPECT_EQ(Made(1)->control_, field1_);
  EXPECT_EQ(Made(1)->images_, site_->ImagesPtr());
  EXPECT_EQ(Made(1)->text_, "inv-1");
  EXPECT_EQ(site_->Links().size(), 3u);
}

TEST_F(SiteFixture, CallsReachTheLinksTheyConcern) {
  Init();
  auto element = std::make_shared<StubElement>();
  auto other = std::make_shared<StubElement>();
  Made(0)->element_ = element;
  Made(2)->element_ = element;
  Made(1)->element_ = other;

  struct Case {
    const char* name;
    std::function<void()> call;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"SetLanguage", [&] { site_->SetLanguage(1031); },
       {"link1 InitLanguageDependent", "link2 InitLanguageDependent",
        "link3 InitLanguageDependent"}},
      {"ParameterChangedByIdentity", [&] { site_->ParameterChanged(element); },
       {"link1 UpdateParameter", "link3 UpdateParameter"}},
      {"ParameterChangedNoElement", [&] { site_->ParameterChanged(nullptr); }, {}},
      {"ParameterSetChanged", [&] { site_->ParameterSetChanged(); },
       {"link1 UpdateParameter", "link2 UpdateParameter", "link3 UpdateParameter"}},
      {"ValidateParameters", [&] { site_->ValidateParameters(); },
       {"link1 ValidateParameter", "link2 ValidateParameter", "link3 ValidateParameter"}},
      {"Release", [&] { site_->Release(); },
       {"link1 TerminateLink", "link2 TerminateLink", "link3 TerminateLink"}},
      {"NothingAfterRelease", [&] { site_->ParameterSetChanged(); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log_->calls.clear();
    c.call();
    EXPECT_EQ(log_->calls, c.expected);
  }
  EXPECT_EQ(site_->LanguageId(), 1031);
  EXPECT_EQ(site_->GetParamLink(*field0_), nullptr);
}

TEST_F(SiteFixture, EnableInputUsesEnabledAndLeavesTheLockAlone) {
  Init();
  field1_->SetLocked(true);
  site_->EnableInput(false);
  EXPECT_FALSE(field0_->Enabled());
  EXPECT_FALSE(field1_->Enabled());
  site_->EnableInput(true);
  EXPECT_TRUE(field0_->Enabled());
  EXPECT_TRUE(field1_->Enabled());
  EXPECT_TRUE(field1_->Locked());
  EXPECT_FALSE(field0_->Locked());
}

TEST_F(SiteFixture, AFieldWhosePathIsUnknownStaysUnboundAndIsReportedOnce) {
  log_->refused = {"B/Par%d"};
  Init();
  EXPECT_EQ(Errors(), (std::vector<std::string>{"Parameter field ctlParameter(1) (B/Par%d) is not "
                                                "bound: #9 Subscript out of range: B/Par%d"}));
  EXPECT_EQ(site_->GetParamLink(*field1_), nullptr);
  EXPECT_NE(site_->GetParamLink(*field2_), nullptr);
  EXPECT_FALSE(field1_->Enabled());
  EXPECT_TRUE(field2_->Enabled());

  // The unbound field takes part in nothing later, and input never enables it.
  log_->calls.clear();
  site_->SetLanguage(9);
  site_->ParameterSetChanged();
  site_->EnableInput(false);
  site_->EnableInput(true);
  site_->Release();
  EXPECT_EQ(log_->calls,
            (std::vector<std::string>{"link1 InitLanguageDependent", "link3 InitLanguageDependent",
                                      "link1 UpdateParameter", "link3 UpdateParameter",
                                      "link1 TerminateLink", "link3 TerminateLink"}));
  EXPECT_FALSE(field1_->Enabled());
  EXPECT_EQ(Errors().size(), 1u);
}

TEST_F(SiteFixture, ReleaseEndsEveryLinkAndThenRaisesTheFirstFailure) {
  Init();
  log_->failing_end = "A/Par1";
  log_->calls.clear();
  const com::ComError error = RaisedBy([&] { site_->Release(); });
  EXPECT_EQ(error.Number(), 91);
  EXPECT_EQ(log_->calls, (std::vector<std::string>{"link1 TerminateLink", "link2 TerminateLink",
                                                   "link3 TerminateLink"}));
  EXPECT_TRUE(site_->Links().empty());
}

TEST_F(SiteFixture, ASecondInitReleasesTheFirstLinks) {
  Init();
  log_->calls.clear();
  Init();
  ASSERT_GE(log_->calls.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(log_->calls.begin(), log_->calls.begin() + 3),
            (std::vector<std::string>{"link1 TerminateLink", "link2 TerminateLink",
                                      "link3 TerminateLink"}));
  EXPECT_EQ(site_->Links().size(), 3u);
}

TEST_F(SiteFixture, ASiteOnNoPageBindsNothing) {
  ctlParamSite loose;
  std::string id = "x";
  loose.Init(*context_, id, prototype_);
  EXPECT_TRUE(loose.Links().empty());
  EXPECT_TRUE(log_->calls.empty());
}

// ---- the field ------------------------------------------------------------

TEST(ParameterField, RefusesAControlTypeOutsideZeroToFive) {
  ctlParameter field("ctlParameter");
  struct Case {
    std::int32_t type;
    std::int32_t error;
  };
  const Case cases[] = {{0, 0}, {5, 0}, {6, 380}, {-1, 380}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    EXPECT_EQ(ErrorOf([&] { field.SetControlType(c.type); }), c.error);
  }
  EXPECT_EQ(field.ControlType(), 5);
}

TEST(ParameterField, NumbersMenuItemsFromOne) {
  ctlParameter field("ctlParameter");
  EXPECT_EQ(field.AddMenuItem(""), 1);
  EXPECT_EQ(field.AddMenuItem("Two"), 2);
  field.SetMenuItemText(1, "Help");
  EXPECT_EQ(field.MenuItemText(1), "Help");
  EXPECT_EQ(field.MenuItemText(2), "Two");
  EXPECT_EQ(ErrorOf([&] { field.MenuItemText(3); }), 380);
  EXPECT_EQ(ErrorOf([&] { field.MenuItemText(0); }), 380);
  field.RemoveMenuItems();
  EXPECT_EQ(field.MenuItemCount(), 0);
  EXPECT_EQ(ErrorOf([&] { field.MenuItemText(1); }), 380);
}

TEST(ParameterField, TypingMarksTheValueChangedAndSettingItFromCodeDoesNot) {
  ctlParameter field("ctlParameter");
  int changes = 0;
  field.On("Change", [&](forms::Args&) { ++changes; });
  field.UserType("12.5");
  EXPECT_EQ(field.Value(), com::Variant("12.5"));
  EXPECT_TRUE(field.IsChanged());
  EXPECT_EQ(changes, 1);
  field.SetValue(com::Variant(std::int32_t{3}));
  EXPECT_FALSE(field.IsChanged());
  EXPECT_EQ(changes, 1);
}

TEST(ParameterField, UserEventsCarryTheirParametersByReference) {
  // A field of an array passes its index first, then the event's own.
  auto page = std::make_shared<forms::UserControl>("ctlPage");
  ctlParameter& field = *page->Add(std::make_shared<ctlParameter>("ctlParameter", 4));
  std::vector<std::string> seen;
  auto record = [&](const char* name) {
    field.On(name, [&seen, name](forms::Args& args) {
      std::string line = name;
      for (const com::Variant& arg : args) line += " " + arg.ToString();
      seen.push_back(line);
    });
  };
  for (const char* name : {"Click", "StartEdit", "EndEdit", "MenuClick", "KeyDown", "KeyPress"})
    record(name);
  field.On("KeyDown", [](forms::Args& args) { args[1] = com::Variant(std::int32_t{0}); });
  field.On("KeyPress", [](forms::Args& args) { args[1] = com::Variant(std::int32_t{65}); });

  EXPECT_TRUE(field.UserClick());
  field.UserStartEdit();
  field.UserEndEdit(true);
  field.UserMenuClick(1);
  EXPECT_EQ(field.UserKeyDown(112, 1), 0);
  EXPECT_EQ(field.UserKeyPress(97), 65);
  EXPECT_EQ(seen, (std::vector<std::string>{"Click 4", "StartEdit 4", "EndEdit 4 True",
                                            "MenuClick 4 1", "KeyDown 4 112 1",
                                            "KeyPress 4 97"}));
}

TEST(ParameterField, ACommandFieldAnnouncesItsCommandStateOnLockChanges) {
  struct Case {
    const char* name;
    std::int32_t type;
    std::vector<bool> locks;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"Command", 5, {true, true, false}, {"7 True", "7 False"}},
      {"ValueField", 1, {true, false}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ctlParameter field("ctlParameter", 7);
    field.SetControlType(c.type);
    std::vector<std::string> seen;
    field.On("StateChanged", [&](forms::Args& args) {
      seen.push_back(args[0].ToString() + " " + args[1].ToString());
    });
    for (bool lock : c.locks) field.SetLocked(lock);
    EXPECT_EQ(seen, c.expected);
  }
}

TEST(ParameterField, StatusTextIsTheTooltipOfThePictureShown) {
  ctlParameter field("ctlParameter");
  auto images = std::make_shared<ImageCollection>();
  auto picture = std::make_shared<StockPicture>("p");
  images->Add(std::nullopt, "Changed", picture);
  field.SetIconSource(images);
  EXPECT_EQ(field.StatusText(), "");
  field.SetIconToolTip("changed");
  field.SetStatusIcon(picture);
  EXPECT_EQ(field.StatusText(), "changed");
  EXPECT_EQ(field.StatusIconKey(), "Changed");
  field.SetStatusIcon(std::make_shared<StockPicture>("p"));
  EXPECT_EQ(field.StatusIconKey(), "");
}

TEST(ParameterField, DesignPropertiesRoundTripThroughABag) {
  com::MemoryPropertyBag bag;
  bag.WriteProperty("parametertag", "SC128Tr%d/Par1");
  bag.WriteProperty("labeltext", "Travel");
  bag.WriteProperty("controltype", std::int32_t{4});
  bag.WriteProperty("valueformat", "0.00");
  bag.WriteProperty("labelwidth", std::int32_t{1800});
  bag.WriteProperty("unitwidth", std::int32_t{600});
  bag.WriteProperty("statusicon", false);
  bag.WriteProperty("valueforecolor", std::int32_t{255});
  bag.WriteProperty("font", "Arial");
  ctlParameter field("ctlParameter");
  field.ReadProperties(bag);
  EXPECT_EQ(field.ParameterTag(), "SC128Tr%d/Par1");
  EXPECT_EQ(field.LabelText(), "Travel");
  EXPECT_EQ(field.ControlType(), 4);
  EXPECT_EQ(field.ValueFormat(), "0.00");
  EXPECT_EQ(field.LabelWidth(), 1800);
  EXPECT_EQ(field.UnitWidth(), 600);
  EXPECT_FALSE(field.ShowStatusIcon());
  EXPECT_EQ(field.ValueForeColor(), 255);
  EXPECT_EQ(field.FontName(), "Arial");

  com::MemoryPropertyBag out;
  field.WriteProperties(out);
  ctlParameter copy("ctlParameter");
  copy.ReadProperties(out);
  EXPECT_EQ(copy.ParameterTag(), "SC128Tr%d/Par1");
  EXPECT_EQ(copy.ControlType(), 4);
  EXPECT_FALSE(copy.ShowStatusIcon());
  EXPECT_EQ(copy.FontName(), "Arial");
}

TEST(ParameterField, ShowsNumbersAndDatesInThePagesLocale) {
  struct Case {
    const char* name;
    std::int32_t locale_id;
    com::Variant value;
    const char* shown;
  };
  const Case cases[] = {
      {"GermanSingle", 1031, com::Variant(0.7f), "0,7"},
      {"GermanDouble", 1031, com::Variant(12.5), "12,5"},
      {"GermanDate", 1031, com::Variant::Date(45000), "15.03.2023"},
      {"GermanTextAsTyped", 1031, com::Variant("0.7"), "0.7"},
      {"GermanWholeNumber", 1031, com::Variant(std::int32_t{1234}), "1234"},
      {"EnglishSingle", 1033, com::Variant(0.7f), "0.7"},
      {"EnglishDate", 1033, com::Variant::Date(45000), "3/15/2023"},
  };
  for (const Case& c : cases) {
    auto page = std::make_shared<forms::UserControl>("ctlPage");
    auto field = page->Add(std::make_shared<ctlParameter>("ctlParameter", 1));
    page->SetAmbientLocaleID(c.locale_id);
    field->SetValue(c.value);
    forms::ControlState state;
    field->Describe(state);
    EXPECT_EQ(state.value, c.shown) << c.name;
  }
}

TEST(ParameterField, DescribesWhatARendererShows) {
  auto site = std::make_shared<ctlParamSite>();
  ctlParameter field("ctlParameter", 2);
  field.SetIconSource(site->ImagesPtr());
  field.SetLabelText("Travel");
  field.SetUnitText("mm");
  field.SetParameterTag("SC128Tr%d/Par1");
  field.SetControlType(1);
  field.SetValueFormat("0.0");
  field.SetValue(com::Variant(12.5));
  field.SetIconToolTip("Saved value");
  field.SetStatusIcon(site->Images().Item("SavedValue"));
  field.SetLocked(true);

  forms::ControlState state;
  field.Describe(state);
  EXPECT_EQ(state.kind, "Parameter");
  EXPECT_EQ(state.index, std::optional<std::int16_t>(2));
  EXPECT_EQ(state.value, "12.5");
  EXPECT_TRUE(state.locked);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"label", "Travel"}, {"unit", "mm"},  {"icon", "SavedValue"}, {"icon_tip", "Saved value"},
      {"tag", "SC128Tr%d/Par1"}, {"type", "1"}, {"format", "0.0"}};
  EXPECT_EQ(state.attributes, expected);

  forms::ControlState site_state;
  site->Describe(site_state);
  EXPECT_EQ(site_state.image_keys.size(), 13u);
  EXPECT_EQ(site_state.Attribute("bound"), "0");
}

// ---- the help panel -------------------------------------------------------

TEST(ParamHelpPanel, ShowsItsTextForAWindow) {
  ctlParamHelp help;
  EXPECT_FALSE(help.Visible());
  help.SetText("Stroke of the valve");
  help.ShowFor(17);
  EXPECT_TRUE(help.Visible());
  EXPECT_EQ(help.ShownFor(), 17);
  EXPECT_EQ(help.ShowCount(), 1);
  EXPECT_EQ(help.HelpText(), "Stroke of the valve");
}

}  // namespace
}  // namespace dtm::testing
