// The parameter link on a real DTM instance: the field type it chooses,
// its texts, the status pictures, the value helpers, the field's events,
// taking edits and running a device command.

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/ui/framework/param_link.h"
#include "platform/com/error.h"
#include "platform/controls/param_site.h"
#include "platform/forms/state.h"
#include "platform/forms/user_control.h"
#include "tests/component/dtm/dtm_fixture.h"
#include "tests/testing/raised.h"
#include "tests/testing/show.h"

namespace dtm::testing {
namespace {

using controls::ctlParameter;
using controls::ctlParamHelp;
using controls::ctlParamSite;
using ElementPtr = std::shared_ptr<clsDataElement>;

com::Variant Long(std::int32_t v) { return com::Variant(v); }
com::Variant Int16(int v) { return com::Variant(static_cast<std::int16_t>(v)); }
com::Variant Byte(int v) { return com::Variant(static_cast<std::uint8_t>(v)); }

// A page that offers its help panel to its fields.
class HelpPage : public forms::UserControl, public controls::IParamHelpHost {
 public:
  HelpPage() : forms::UserControl("ctlTestPage") {}
  std::shared_ptr<ctlParamHelp> GetParamHelpCtl() override { return help; }
  std::shared_ptr<ctlParamHelp> help;
};

// A page registered with the runtime that hears every change notice.
class ListeningPage : public IPrivateGUI {
 public:
  bool IPrivateGUI_CloseGUI() override { return true; }
  void IPrivateGUI_LockStateChanged(bool) override {}
  void IPrivateGUI_ParameterChanged(const DataElementPtr& element) override {
    // The data model's own bookkeeping elements are noticed as well.
    if (element->IPrivateDataElement_Name().rfind("TST/", 0) != 0) return;
    ++notices;
    if (on_change) on_change();
  }
  void IPrivateGUI_ParameterSetChanged() override {}
  void IPrivateGUI_ValidateParameters() override {}
  void IPrivateGUI_SetLanguage(std::int32_t) override {}
  int notices = 0;
  std::function<void()> on_change;
};

// A message box as shown: its text and style.
struct Box {
  std::string text;
  std::int32_t style;
  bool operator==(const Box&) const = default;
};

class LinkFixture : public DtmFixture {
 protected:
  LinkFixture() {
    SetUpInstance();
    page_->help = page_->Add(std::make_shared<ctlParamHelp>());
    field_ = page_->Add(std::make_shared<ctlParameter>("ctlParameter", 0));
    site_ = page_->Add(std::make_shared<ctlParamSite>());
  }

  ElementPtr AddElement(const std::string& path, std::int32_t value_type) {
    auto element = std::make_shared<clsDataElement>();
    element->Name = path;
    element->ValueType = value_type;
    element->SetValidity(true);
    Context().Parameters().Add(element);
    return element;
  }

  // Binds the page's field to `path` through the site, in English, and
  // refreshes it once.
  clsParamLink& Bind(const std::string& path) {
    field_->SetParameterTag(path);
    std::string id = "inv-1";
    site_->Init(Context(), id, prototype_);
    site_->SetLanguage(1033);
    site_->ParameterSetChanged();
    link_ = std::dynamic_pointer_cast<clsParamLink>(site_->GetParamLink(*field_));
    EXPECT_NE(link_, nullptr);
    return *link_;
  }

  // A field of its own, bound without a page.
  std::shared_ptr<ctlParameter> LooseField(clsParamLink& link, const std::string& path,
                                           std::int32_t preset = 0) {
    auto field = std::make_shared<ctlParameter>("ctlLoose");
    field->SetParameterTag(path);
    field->SetControlType(preset);
    field->SetIconSource(images_.ImagesPtr());
    link.IPrivateParamLink_InitLink(Context(), field, images_.ImagesPtr(), "");
    return field;
  }

  std::vector<Box> Boxes() const {
    std::vector<Box> out;
    for (const auto& entry : messages_.entries)
      if (entry.kind == runtime::RecordingMessageSink::Entry::kBox)
        out.push_back({entry.text, entry.style});
    return out;
  }

  std::shared_ptr<HelpPage> page_ = std::make_shared<HelpPage>();
  std::shared_ptr<ctlParameter> field_;
  std::shared_ptr<ctlParamSite> site_;
  std::shared_ptr<clsParamLink> prototype_ = std::make_shared<clsParamLink>();
  std::shared_ptr<clsParamLink> link_;
  ctlParamSite images_;  // the status pictures for loose fields
};

void PrintTo(const Box& box, std::ostream* os) {
  *os << "[" << box.style << "] " << box.text;
}

// ---- binding ----------------------------------------------------------------

TEST_F(LinkFixture, ChoosesTheFieldTypeOnlyForAnAutomaticField) {
  struct Case {
    const char* name;
    std::int32_t value_type;
    std::int32_t mode;
    std::int32_t preset;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"None", 0, 0, 0, 0},         {"Bytes", 1, 0, 0, 0},      {"UInt8", 2, 0, 0, 3},
      {"UInt16", 3, 0, 0, 0},       {"UInt24", 4, 0, 0, 0},     {"Int16", 5, 0, 0, 1},
      {"Int24", 6, 0, 0, 1},        {"Int32", 7, 0, 0, 1},      {"Single", 8, 0, 0, 1},
      {"Double", 9, 0, 0, 1},       {"Boolean", 10, 0, 0, 2},   {"Date", 11, 0, 0, 1},
      {"Date12", 12, 0, 0, 1},      {"Date13", 13, 0, 0, 1},    {"Text", 14, 0, 0, 1},
      {"Decimal", 15, 0, 0, 1},     {"Enum", 16, 0, 0, 1},
      {"CommandBeforeType", 10, 4, 0, 5},
      {"CommandOfUInt16", 3, 4, 0, 5},
      {"CommandAmongOtherModes", 0, 7, 0, 5},
      {"TransferModesAreNoCommand", 7, 3, 0, 1},
      {"PresetBitsKept", 7, 0, 4, 4},
      {"PresetValueKeptForCommand", 7, 4, 1, 1},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = "TST/Type" + std::to_string(n++);
    AddElement(path, c.value_type)->ElementMode = c.mode;
    auto owned = std::make_shared<clsParamLink>();
    clsParamLink& link = *owned;
    auto field = LooseField(link, path, c.preset);
    EXPECT_EQ(field->ControlType(), c.expected);
  }
}

TEST_F(LinkFixture, BindingCarriesTheElementsTextLimitsAndFormat) {
  struct Case {
    const char* name;
    std::int32_t value_type;
    std::int32_t length;
    bool packed;
    std::string format;
    std::int32_t max_length;
    bool upper_case;
    std::string expected_format;
  };
  const Case cases[] = {
      {"PackedText", 14, 8, true, "", 8, true, "design"},
      {"PlainText", 14, 32, false, "", 32, false, "design"},
      {"TextWithoutLength", 14, 0, true, "", 0, true, "design"},
      {"NumberKeepsNoLimit", 7, 8, true, "0.00", 0, false, "0.00"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = "TST/Text" + std::to_string(n++);
    auto element = AddElement(path, c.value_type);
    element->ValueTypeLength = c.length;
    element->bPackedCoding = c.packed;
    element->ValueFormat = c.format;
    auto owned = std::make_shared<clsParamLink>();
    clsParamLink& link = *owned;
    auto field = std::make_shared<ctlParameter>("ctlLoose");
    field->SetParameterTag(path);
    field->SetValueFormat("design");
    link.IPrivateParamLink_InitLink(Context(), field, images_.ImagesPtr(), "");
    EXPECT_EQ(field->ValueMaxLength(), c.max_length);
    EXPECT_EQ(field->ValueUpperCase(), c.upper_case);
    EXPECT_EQ(field->ValueFormat(), c.expected_format);
    // The help item comes first, its text with the language.
    ASSERT_EQ(field->MenuItemCount(), 1);
    EXPECT_EQ(field->MenuItemText(1), "");
  }
}

TEST_F(LinkFixture, TheIndexStandsForPercentDInTheTag) {
  AddElement("TST/Par3", 7);
  prototype_->Index = 3;
  clsParamLink& link = Bind("TST/Par%d");
  EXPECT_EQ(link.Element()->Name, "TST/Par3");
  EXPECT_EQ(link.Index, 3);
}

TEST_F(LinkFixture, ANewLinkCopiesIndexAndOnlineModeButNotTheLock) {
  clsParamLink first;
  first.Index = 4;
  first.bOnlineMode = true;
  first.Locked = true;
  auto made = std::dynamic_pointer_cast<clsParamLink>(first.IPrivateParamLink_GetNewParamLink());
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Index, 4);
  EXPECT_TRUE(made->bOnlineMode);
  EXPECT_FALSE(made->Locked);
}

TEST_F(LinkFixture, AnUnknownPathRaisesAndLeavesTheLinkUnbound) {
  auto owned = std::make_shared<clsParamLink>();
  clsParamLink& link = *owned;
  auto field = std::make_shared<ctlParameter>("ctlLoose");
  field->SetParameterTag("TST/Missing");
  EXPECT_EQ(ErrorOf([&] {
              link.IPrivateParamLink_InitLink(Context(), field, images_.ImagesPtr(), "");
            }),
            9);
  EXPECT_EQ(link.IPrivateParamLink_DataElement(), nullptr);
  EXPECT_EQ(link.IPrivateParamLink_ParameterCtl(), nullptr);
  EXPECT_EQ(field->MenuItemCount(), 0);
  // Nothing that follows reaches a missing element.
  link.IPrivateParamLink_UpdateParameter();
  link.IPrivateParamLink_InitLanguageDependent();
  link.HandleParameterChange();
  link.IPrivateParamLink_TerminateLink();
}

// ---- texts ------------------------------------------------------------------

TEST_F(LinkFixture, TheDescriptionIsCutAfterSeventyCharacters) {
  const std::string seventy = std::string(60, 'a') + "0123456789";
  struct Case {
    const char* name;
    std::string description;
    std::string expected;
  };
  const Case cases[] = {
      {"Seventy", seventy, seventy + " (-> Shift+F1)"},
      {"SeventyOne", seventy + "X", std::string(60, 'a') + "012345 ... (-> Shift+F1)"},
      // Characters count, not bytes: seventy with umlauts stay whole.
      {"SeventyWithUmlauts", std::string(60, 'a') + "\xC3\xA4\xC3\xB6\xC3\xBC" + "0123456",
       std::string(60, 'a') + "\xC3\xA4\xC3\xB6\xC3\xBC" + "0123456 (-> Shift+F1)"},
      {"SeventyOneCutAfterAnUmlaut", std::string(65, 'a') + "\xC3\xA4" + "bcdef",
       std::string(65, 'a') + "\xC3\xA4" + " ... (-> Shift+F1)"},
      {"Empty", "", " (-> Shift+F1)"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = "TST/Desc" + std::to_string(n++);
    AddElement(path, 7)->Description = c.description;
    auto owned = std::make_shared<clsParamLink>();
    clsParamLink& link = *owned;
    auto field = LooseField(link, path);
    link.IPrivateParamLink_InitLanguageDependent();
    EXPECT_EQ(field->DescriptionText(), c.expected);
  }
}

TEST_F(LinkFixture, LanguageTextsComeFromTheElementAndTheDictionary) {
  auto element = AddElement("TST/Travel", 9);
  element->Prompt = "Rated travel";
  element->ValueList = "a|b";
  element->nUnit = 49;
  element->nInitUnit = 49;
  Bind("TST/Travel");
  EXPECT_EQ(field_->LabelText(), "Rated travel");
  EXPECT_EQ(field_->ValueListText(), "a|b");
  EXPECT_EQ(field_->UnitText(), "mm");
  EXPECT_EQ(field_->MenuItemText(1), "Help on this parameter\tShift+F1");

  // A language change renews the picture's tooltip as well.
  Context().Dictionary().SelectLanguage(7);
  site_->SetLanguage(1031);
  EXPECT_EQ(field_->MenuItemText(1), "Hilfe zu diesem Parameter\tUmschalt+F1");
  EXPECT_EQ(field_->DescriptionText(), " (-> Umschalt+F1)");
  EXPECT_EQ(field_->IconToolTip(),
            "Voreinstellung: der Wert wurde weder gespeichert noch aus dem Gerät gelesen.");
}

TEST_F(LinkFixture, ThePageStateShowsTheBoundFieldAsTheLinkLeftIt) {
  auto element = AddElement("TST/Shown", kVtDouble);
  element->Prompt = "Rated travel";
  element->nUnit = 49;
  element->nInitUnit = 49;
  element->DeviceValue = com::Variant(2.5);
  element->TransientValue = com::Variant(2.5);
  element->RequiredUserLevel = 3;
  Bind("TST/Shown");
  const forms::ControlState page = forms::DescribeTree(*page_);
  const forms::ControlState* shown = nullptr;
  for (const forms::ControlState& child : page.children)
    if (child.kind == "Parameter") shown = &child;
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->Attribute("label"), "Rated travel");
  EXPECT_EQ(shown->Attribute("unit"), "mm");
  EXPECT_EQ(shown->Attribute("icon"), "Locked");
  EXPECT_EQ(shown->value, "2.5");
  EXPECT_TRUE(shown->locked);
}

// ---- status pictures ----------------------------------------------------------

TEST_F(LinkFixture, TheFirstStatusRowThatAppliesChoosesThePicture) {
  struct Case {
    const char* name;
    std::function<void(clsDataElement&)> setup;
    std::string key;
    std::string tip;
  };
  auto flags = [](std::int32_t f) {
    return [f](clsDataElement& e) {
      e.PersistentValue = Long(1);
      e.TransientValue = Long(1);
      e.SetStatusFlags(f);
    };
  };
  const Case cases[] = {
      {"CommErrBeforeAll", flags(0x10000 | 0x100000 | 8 | 2), "CommErr",
       "Communication error: the value could not be exchanged with the device."},
      {"AnyErrWithCommandText",
       [&](clsDataElement& e) {
         flags(0x200000)(e);
         e.CmdErr = "Device busy";
       },
       "AnyErr", "Device busy"},
      {"AnyErrWithoutCommandText", flags(0x200000), "AnyErr",
       "The device answered the request with an error."},
      {"RangeErrWithoutRanges",
       [](clsDataElement& e) {
         e.ValueType = kVtUInt8;
         e.TransientValue = Long(300);
       },
       "RangeErr", "The value is outside the permitted range"},
      {"RangeErrWithOneRange",
       [](clsDataElement& e) {
         e.SetRange(0, Long(0), Long(10));
         e.TransientValue = Long(50);
       },
       "RangeErr", "The value is outside the permitted range, 0..10"},
      {"RangeErrWithTwoRanges",
       [](clsDataElement& e) {
         e.SetRange(0, Long(0), Long(10));
         e.SetRange(1, Long(20), Long(30));
         e.TransientValue = Long(50);
       },
       "RangeErr", "The value is outside the permitted range, 0..10, 20..30"},
      {"InputErr", [](clsDataElement& e) { e.TransientValue = com::Variant("abc"); }, "InputErr",
       "Invalid input"},
      {"NeededBeforeChanged",
       [](clsDataElement& e) {
         e.PersistentValue = Long(1);
         e.TransientValue = Long(2);
         e.SetStatusFlags(8);
       },
       "Needed", "This value still has to be entered."},
      {"Changed",
       [](clsDataElement& e) {
         e.PersistentValue = Long(1);
         e.TransientValue = Long(2);
       },
       "Changed", "The value was changed and is not saved yet."},
      {"Dynamic", flags(2), "Dynamic1", "Dynamic value, read from the device continuously."},
      {"UserLevelTooLow",
       [](clsDataElement& e) {
         e.PersistentValue = Long(1);
         e.TransientValue = Long(1);
         e.RequiredUserLevel = 3;
       },
       "Locked", "Your user level is not sufficient for this value."},
      {"CommandBlank",
       [](clsDataElement& e) {
         e.ElementMode = mode::kDeviceCommand;
         e.ValueType = kVtNone;
       },
       "Blank", ""},
      {"Initial",
       [](clsDataElement& e) {
         e.InitialValue = Long(0);
         e.TransientValue = Long(0);
       },
       "Initial",
       "Default: the value was neither saved nor read from the device."},
      {"SavedBeforeOnline",
       [](clsDataElement& e) {
         e.PersistentValue = Long(1);
         e.DeviceValue = Long(1);
         e.TransientValue = Long(1);
       },
       "SavedValue", "Saved value"},
      {"OnlineValue",
       [](clsDataElement& e) {
         e.DeviceValue = Long(1);
         e.TransientValue = Long(1);
       },
       "OnlineValue", "Value read from the device"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = "TST/Icon" + std::to_string(n++);
    auto element = AddElement(path, kVtInt32);
    c.setup(*element);
    auto owned = std::make_shared<clsParamLink>();
    clsParamLink& link = *owned;
    auto field = LooseField(link, path);
    link.IPrivateParamLink_UpdateParameter();
    EXPECT_EQ(field->StatusIconKey(), c.key);
    EXPECT_EQ(field->IconToolTip(), c.tip);
    // The tooltip is in place when the picture comes.
    EXPECT_EQ(field->StatusText(), c.tip);
  }
}

TEST_F(LinkFixture, ADynamicValueAlternatesItsPictures) {
  auto element = AddElement("TST/Dyn", kVtInt32);
  element->DeviceValue = Long(1);
  element->TransientValue = Long(1);
  element->SetStatusFlags(2);
  auto owned = std::make_shared<clsParamLink>();
  clsParamLink& link = *owned;
  auto field = LooseField(link, "TST/Dyn");
  std::vector<std::string> keys;
  for (int i = 0; i < 4; ++i) {
    link.IPrivateParamLink_UpdateParameter();
    keys.push_back(field->StatusIconKey());
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"Dynamic1", "Dynamic2", "Dynamic1", "Dynamic2"}));
}

TEST_F(LinkFixture, AnUpdateShowsTheValueLockAndVisibility) {
  struct Case {
    const char* name;
    std::int32_t value_type;
    std::int32_t preset;
    std::function<void(clsDataElement&, clsParamLink&)> setup;
    com::Variant value;
    bool locked;
    bool visible;
    std::int32_t type_after;
  };
  const auto none = [](clsDataElement&, clsParamLink&) {};
  const Case cases[] = {
      {"Plain", kVtInt32, 0, none, Long(5), false, true, 1},
      {"Invalid", kVtInt32, 0, [](clsDataElement& e, clsParamLink&) { e.SetValidity(false); },
       Long(5), false, false, 1},
      {"Information", kVtInt32, 0,
       [](clsDataElement& e, clsParamLink&) { e.SetStatusFlags(1); }, Long(5), true, true, 1},
      {"UserLevel", kVtInt32, 0,
       [](clsDataElement& e, clsParamLink&) { e.RequiredUserLevel = 3; }, Long(5), true, true, 1},
      {"LinkLocked", kVtInt32, 0, [](clsDataElement&, clsParamLink& l) { l.Locked = true; },
       Long(5), true, true, 1},
      {"Bits", kVtUInt8, 4, none, com::Variant("1|0|1|0|0|0|0|0"), false, true, 4},
      {"ListLockedShowsValue", kVtUInt8, 0,
       [](clsDataElement& e, clsParamLink&) { e.RequiredUserLevel = 3; }, Long(5), true, true, 1},
      {"ListUnlocked", kVtUInt8, 0, none, Long(5), false, true, 3},
      {"IgnoreUpdateKeepsTheField", kVtInt32, 0,
       [](clsDataElement& e, clsParamLink&) { e.IgnoreUpdate = true; }, com::Variant("old"), false,
       true, 1},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = "TST/Upd" + std::to_string(n++);
    auto element = AddElement(path, c.value_type);
    element->TransientValue = c.value_type == kVtUInt8 && c.preset == 4 ? Byte(5) : Long(5);
    auto owned = std::make_shared<clsParamLink>();
    clsParamLink& link = *owned;
    auto field = LooseField(link, path, c.preset);
    c.setup(*element, link);
    field->SetValue(com::Variant("old"));
    link.IPrivateParamLink_UpdateParameter();
    EXPECT_EQ(field->Value(), c.value) << Show(field->Value());
    EXPECT_EQ(field->Locked(), c.locked);
    EXPECT_EQ(field->Visible(), c.visible);
    EXPECT_EQ(field->ControlType(), c.type_after);
  }
}

// ---- value helpers ------------------------------------------------------------

TEST(ParamLinkValues, IsSameValue) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* name;
    com::Variant a;
    com::Variant b;
    bool expected;
  };
  const Case cases[] = {
      {"NullNull", com::Variant::Null(), com::Variant::Null(), true},
      {"NullEmpty", com::Variant::Null(), com::Variant(), false},
      {"NullZero", com::Variant::Null(), Long(0), false},
      {"EmptyEmpty", com::Variant(), com::Variant(), true},
      {"EmptyZero", com::Variant(), Long(0), false},
      {"EmptyText", com::Variant(), com::Variant(""), false},
      {"NaNNaN", com::Variant(nan), com::Variant(nan), true},
      {"NaNSingleNaN", com::Variant(nan), com::Variant(std::numeric_limits<float>::quiet_NaN()),
       true},
      {"NaNNumber", com::Variant(nan), com::Variant(1.0), false},
      {"LongDouble", Long(5), com::Variant(5.0), true},
      {"ByteInteger", Byte(5), Int16(5), true},
      {"LongDiffers", Long(5), Long(6), false},
      {"Texts", com::Variant("ab"), com::Variant("ab"), true},
      {"TextCase", com::Variant("ab"), com::Variant("AB"), false},
      {"TextAndNumber", com::Variant("5"), Long(5), false},
      {"ArraysEqual", com::Variant(com::ByteArray{1, 2}), com::Variant(com::ByteArray{1, 2}), true},
      {"ArraysDiffer", com::Variant(com::ByteArray{1, 2}), com::Variant(com::ByteArray{1, 3}),
       false},
      {"ArraysBounds", com::Variant(com::ByteArray{1, 2}), com::Variant(com::ByteArray{1, 2, 0}),
       false},
      {"EmptyArrays", com::Variant(com::ByteArray{}), com::Variant(com::ByteArray{}), true},
      {"ArrayAndScalar", com::Variant(com::ByteArray{5}), Byte(5), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(clsParamLink::IsSameValue(c.a, c.b), c.expected);
    EXPECT_EQ(clsParamLink::IsSameValue(c.b, c.a), c.expected);
  }
}

std::string Bits(const std::string& pattern) {
  std::string out;
  for (char c : pattern) {
    if (!out.empty()) out += '|';
    out += c;
  }
  return out;
}

TEST(ParamLinkValues, ValueToBitString) {
  struct Case {
    const char* name;
    com::Variant value;
    std::string expected;  // least significant bit first
  };
  const Case cases[] = {
      {"ByteArrayLastByteFirst", com::Variant(com::ByteArray{1, 2}), Bits("0100000010000000")},
      {"LongMinusOne", Long(-1), Bits(std::string(32, '1'))},
      {"Byte5", Byte(5), Bits("10100000")},
      {"IntegerMinus2", Int16(-2), Bits("0111111111111111")},
      {"DoubleAboveLong", com::Variant(4294967295.0), Bits(std::string(32, '1'))},
      {"Double2Pow31", com::Variant(2147483648.0), Bits(std::string(31, '0') + "1")},
      {"DoubleNegative", com::Variant(-2147483648.0), Bits(std::string(31, '0') + "1")},
      {"Double2Pow32", com::Variant(4294967296.0), ""},
      {"DoubleBelowLong", com::Variant(-2147483649.0), ""},
      {"DoubleFraction", com::Variant(2.5), ""},
      {"Text", com::Variant("5"), ""},
      {"Empty", com::Variant(), ""},
      {"Single", com::Variant(5.0f), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(clsParamLink::ValueToBitString(c.value), c.expected);
  }
}

TEST(ParamLinkValues, BitStringToValue) {
  struct Case {
    const char* name;
    std::string text;
    std::int32_t value_type;
    std::int32_t length;
    com::Variant expected;
  };
  const Case cases[] = {
      {"ByteFromThreeParts", "1|0|1", 2, 1, Byte(5)},
      {"BytesOneBitTwoLong", "1", 1, 2, com::Variant(com::ByteArray{0, 1})},
      {"BytesNinthBitInFirstByte", "0|0|0|0|0|0|0|0|1", 1, 0, com::Variant(com::ByteArray{1, 0})},
      {"BytesNoParts", "", 1, 2, com::Variant()},
      {"NumericPartsCount", "2|x|-1|0", 3, 0, Long(5)},
      {"Integer", Bits("1000000000000001"), 5, 0, com::Variant::Null()},
      {"IntegerFits", Bits("111111111111111"), 5, 0, Int16(32767)},
      {"ByteOverflow", "0|0|0|0|0|0|0|0|1", 2, 1, com::Variant::Null()},
      {"LongAllOnes", Bits(std::string(32, '1')), 7, 0, Long(-1)},
      {"EnumAllOnes", Bits(std::string(32, '1')), 16, 0, com::Variant(4294967295.0)},
      {"EnumTopBit", Bits(std::string(31, '0') + "1"), 16, 0, com::Variant(2147483648.0)},
      // Past the 32nd part every part weighs as the top bit.
      {"ThirtyThirdPartIsTopBit", Bits(std::string(32, '0') + "1"), 7, 0,
       Long(std::numeric_limits<std::int32_t>::min())},
      {"FortyPartsLowOnly", Bits("1" + std::string(39, '0')), 7, 0, Long(1)},
      {"NoBitFormForText", "1", 14, 0, com::Variant::Null()},
      {"NoBitFormForBoolean", "1", 10, 0, com::Variant::Null()},
      {"EmptyTextIsZero", "", 7, 0, Long(0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const com::Variant got = clsParamLink::BitStringToValue(c.text, c.value_type, c.length);
    EXPECT_EQ(got, c.expected) << Show(got);
  }
}

TEST(ParamLinkValues, BitTextsRoundTrip) {
  struct Case {
    const char* name;
    com::Variant value;
    std::int32_t value_type;
    std::int32_t length;
  };
  const Case cases[] = {
      {"Byte", Byte(0xA5), 2, 1},
      {"Long", Long(-123456), 7, 4},
      {"Integer", Int16(1234), 5, 2},
      {"Bytes", com::Variant(com::ByteArray{0x12, 0x34, 0x56}), 1, 3},
      {"Enum", com::Variant(4000000000.0), 16, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text = clsParamLink::ValueToBitString(c.value);
    EXPECT_EQ(clsParamLink::BitStringToValue(text, c.value_type, c.length), c.value);
  }
}

// ---- events -----------------------------------------------------------------

TEST_F(LinkFixture, ShiftF1AndTheHelpItemShowTheHelpText) {
  struct Case {
    const char* name;
    std::function<std::int32_t()> act;
    std::int32_t key_after;  // what the key handlers leave; -1 when no key
    int shown;
  };
  const Case cases[] = {
      {"ShiftF1", [&] { return field_->UserKeyDown(112, 1); }, 0, 1},
      {"F1Alone", [&] { return field_->UserKeyDown(112, 0); }, 112, 0},
      {"CtrlF1", [&] { return field_->UserKeyDown(112, 2); }, 112, 0},
      {"ShiftF2", [&] { return field_->UserKeyDown(113, 1); }, 113, 0},
      {"HelpItem", [&] { field_->UserMenuClick(1); return -1; }, -1, 1},
      {"OtherItem", [&] { field_->UserMenuClick(2); return -1; }, -1, 0},
  };
  auto element = AddElement("TST/Help", kVtInt32);
  element->Description = "Short";
  element->HelpText = "The long help";
  Bind("TST/Help");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int before = page_->help->ShowCount();
    EXPECT_EQ(c.act(), c.key_after);
    EXPECT_EQ(page_->help->ShowCount() - before, c.shown);
  }
  EXPECT_EQ(page_->help->Text(), "The long help");
  EXPECT_EQ(page_->help->ShownFor(), field_->hWnd());

  // Without a help text the description is shown; without a panel nothing.
  element->HelpText = "";
  field_->UserMenuClick(1);
  EXPECT_EQ(page_->help->Text(), "Short");
  page_->help = nullptr;
  EXPECT_EQ(field_->UserKeyDown(112, 1), 0);
}

TEST_F(LinkFixture, EditingStartsOnlyOnAnUnlockedField) {
  struct Case {
    const char* name;
    std::int32_t level;
    bool editing;
  };
  const Case cases[] = {{"Unlocked", 0, true}, {"Locked", 3, false}};
  auto element = AddElement("TST/Edit", kVtInt32);
  Bind("TST/Edit");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    element->RequiredUserLevel = c.level;
    site_->ParameterChanged(element);
    field_->UserStartEdit();
    EXPECT_EQ(link_->Editing(), c.editing);
    field_->UserEndEdit(false);
    EXPECT_FALSE(link_->Editing());
  }
}

TEST_F(LinkFixture, TypingMarksTheInputAndEndEditTakesIt) {
  auto element = AddElement("TST/Typed", kVtInt32);
  element->SetRange(0, Long(0), Long(10));
  element->PersistentValue = Long(1);
  element->TransientValue = Long(1);
  element->SetStatusFlags(8 | 0x10000);
  Bind("TST/Typed");
  const std::int32_t changes = Context().Parameters().Changed();

  struct Step {
    const char* name;
    std::function<void()> act;
    std::string key;
    com::Variant transient;
    std::int32_t new_changes;
  };
  const Step steps[] = {
      {"StartEditClearsNeeded", [&] { field_->UserStartEdit(); }, "CommErr", Long(1), 0},
      {"ChangeClearsCommErr", [&] { field_->UserType("1"); }, "SavedValue", Long(1), 0},
      {"OutOfRange", [&] { field_->UserType("50"); }, "RangeErr", Long(1), 0},
      {"RangeErrorNotTaken", [&] { field_->UserEndEdit(true); }, "RangeErr", Long(1), 0},
      {"Typed", [&] { field_->UserStartEdit(); field_->UserType("7"); }, "Changed", Long(1), 0},
      {"Cancelled", [&] { field_->UserEndEdit(false); }, "Changed", Long(1), 0},
      {"Confirmed", [&] { field_->UserStartEdit(); field_->UserEndEdit(true); }, "Changed", Long(7),
       1},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    s.act();
    EXPECT_EQ(field_->StatusIconKey(), s.key);
    EXPECT_EQ(element->TransientValue, s.transient) << Show(element->TransientValue);
    EXPECT_EQ(Context().Parameters().Changed() - changes, s.new_changes);
  }
}

TEST_F(LinkFixture, AnOnlineUpdateDuringAnEditWaitsForItsEnd) {
  struct Case {
    const char* name;
    bool online;
    std::int32_t state_flag;
    bool pending;
  };
  const Case cases[] = {
      {"OnlineWaits", true, 1, true},
      {"OnlineWithoutStateFlag", true, 0, false},
      {"Offline", false, 1, false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = "TST/Online" + std::to_string(n++);
    auto element = AddElement(path, kVtInt32);
    element->TransientValue = Long(1);
    auto owned = std::make_shared<clsParamLink>();
    clsParamLink& link = *owned;
    link.bOnlineMode = c.online;
    auto field = LooseField(link, path);
    link.IPrivateParamLink_UpdateParameter();
    Context().Parameters().SetStateFlag(c.state_flag);
    field->UserStartEdit();
    element->TransientValue = Long(2);
    link.IPrivateParamLink_UpdateParameter();
    EXPECT_EQ(link.UpdatePending(), c.pending);
    EXPECT_EQ(field->Value(), c.pending ? Long(1) : Long(2));
    field->UserEndEdit(false);
    EXPECT_FALSE(link.UpdatePending());
    EXPECT_EQ(field->Value(), Long(2));
  }
}

TEST_F(LinkFixture, AnOnlineEditCarriesTheOnlineEditFlagUntilTheLinkEnds) {
  auto element = AddElement("TST/OnlineEdit", kVtInt32);
  element->SetStatusFlags(0x20);
  auto owned = std::make_shared<clsParamLink>();
  clsParamLink& link = *owned;
  link.bOnlineMode = true;
  auto field = LooseField(link, "TST/OnlineEdit");
  EXPECT_EQ(element->StatusFlags() & 0x20, 0);
  field->UserStartEdit();
  field->UserType("4");
  field->UserEndEdit(true);
  EXPECT_EQ(element->StatusFlags() & 0x20, 0x20);
  link.IPrivateParamLink_TerminateLink();
  EXPECT_EQ(element->StatusFlags() & 0x20, 0);
}

// ---- taking edits -------------------------------------------------------------

TEST_F(LinkFixture, HandleParameterChangeTakesOnlyAGoodNewValue) {
  struct Case {
    const char* name;
    std::function<void(ctlParameter&)> edit;
    bool taken;
    com::Variant transient;
  };
  const Case cases[] = {
      {"NotANumber", [](ctlParameter& f) { f.UserType("abc"); }, false, Long(5)},
      {"OutOfRange", [](ctlParameter& f) { f.UserType("50"); }, false, Long(5)},
      {"SameValue", [](ctlParameter& f) { f.SetValue(Long(5)); }, false, Long(5)},
      {"SameValueChanged",
       [](ctlParameter& f) {
         f.SetValue(Long(5));
         f.SetIsChanged(true);
       },
       true, Long(5)},
      {"SameNumberTyped", [](ctlParameter& f) { f.UserType("5"); }, true, Long(5)},
      {"NewValue",
       [](ctlParameter& f) {
         f.SetValue(com::Variant("6"));
       },
       true, Long(6)},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = "TST/Handle" + std::to_string(n++);
    auto element = AddElement(path, kVtInt32);
    element->SetRange(0, Long(0), Long(10));
    element->TransientValue = Long(5);
    auto owned = std::make_shared<clsParamLink>();
    clsParamLink& link = *owned;
    auto field = LooseField(link, path);
    const std::int32_t before = Context().Parameters().Changed();
    c.edit(*field);
    link.HandleParameterChange();
    EXPECT_EQ(Context().Parameters().Changed() - before, c.taken ? 1 : 0);
    EXPECT_EQ(element->TransientValue, c.transient) << Show(element->TransientValue);
  }
}

TEST_F(LinkFixture, ALockedFieldTakesNothing) {
  auto element = AddElement("TST/LockedEdit", kVtInt32);
  element->TransientValue = Long(5);
  auto owned = std::make_shared<clsParamLink>();
  clsParamLink& link = *owned;
  link.Locked = true;
  auto field = LooseField(link, "TST/LockedEdit");
  link.IPrivateParamLink_UpdateParameter();
  field->SetValue(Long(6));
  link.HandleParameterChange();
  EXPECT_EQ(element->TransientValue, Long(5));
}

TEST_F(LinkFixture, AFailingChangeNoticeIsShownAndTheValueKept) {
  auto element = AddElement("TST/Notice", kVtInt32);
  element->TransientValue = Long(5);
  auto listener = std::make_shared<ListeningPage>();
  listener->on_change = [] { throw com::ComError(9, "Subscript out of range", "Parameters"); };
  Context().GUIMan().RegisterGUI("listener", listener, true);
  Bind("TST/Notice");
  field_->SetValue(Long(6));
  link_->HandleParameterChange();
  EXPECT_EQ(Errors(), (std::vector<std::string>{
                          " Internal Error at PostEditParameter\r\n #9 :Subscript out of range"}));
  EXPECT_EQ(element->TransientValue, Long(6));
}

TEST_F(LinkFixture, TheLinksOwnNoticeDoesNotTakeTheEditAgain) {
  auto element = AddElement("TST/Reentry", kVtInt32);
  element->TransientValue = Long(5);
  auto listener = std::make_shared<ListeningPage>();
  listener->on_change = [&] { site_->ValidateParameters(); };
  Context().GUIMan().RegisterGUI("listener", listener, true);
  Bind("TST/Reentry");
  field_->UserStartEdit();
  field_->UserType("6");
  field_->SetIsChanged(true);
  EXPECT_EQ(listener->notices, 0);
  site_->ValidateParameters();
  EXPECT_EQ(listener->notices, 1);
  EXPECT_EQ(element->TransientValue, Long(6));
}

// ---- device commands ------------------------------------------------------------

class CommandFixture : public LinkFixture {
 protected:
  CommandFixture() {
    command_ = AddElement("TST/Reset", kVtNone);
    command_->ElementMode = mode::kDeviceCommand;
    command_->Prompt = "Reset";
  }
  ElementPtr command_;
};

TEST_F(CommandFixture, TheQuestionDecidesWhetherTheCommandRuns) {
  Bind("TST/Reset");
  ASSERT_EQ(field_->ControlType(), 5);
  struct Case {
    const char* name;
    std::int32_t answer;
    std::vector<Box> boxes;
  };
  const Case cases[] = {
      {"No", 7, {{"Execute the command \"Reset\" now?", 292}}},
      {"Yes",
       6,
       {{"Execute the command \"Reset\" now?", 292},
        {"The command cannot be executed: there is no connection to the device.", 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.entries.clear();
    messages_.answers = {c.answer};
    field_->UserClick();
    EXPECT_EQ(Boxes(), c.boxes);
    EXPECT_EQ(link_->CommandProcessId(), "");
    EXPECT_FALSE(field_->Locked());
  }
}

TEST_F(CommandFixture, ARunningCommandLocksTheFieldUntilItsOwnEnd) {
  OpenConnection();
  Bind("TST/Reset");
  std::vector<std::string> states;
  field_->On("StateChanged", [&](forms::Args& args) { states.push_back(args[1].ToString()); });
  messages_.answers = {6};
  field_->UserClick();
  const std::string id = link_->CommandProcessId();
  ASSERT_NE(id, "");
  EXPECT_TRUE(field_->Locked());
  EXPECT_EQ(states, (std::vector<std::string>{"True"}));

  // Unlocked behind the link's back, a second click is refused.
  field_->SetLocked(false);
  messages_.entries.clear();
  messages_.answers = {6};
  field_->UserClick();
  EXPECT_EQ(Boxes(), (std::vector<Box>{{"Execute the command \"Reset\" now?", 292},
                                       {"This command is already running.", 0}}));
  field_->SetLocked(true);

  std::string upper = id;
  for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  struct Case {
    const char* name;
    std::string reported;
    std::string id_after;
    bool locked_after;
  };
  const Case cases[] = {
      {"Empty", "", id, true},
      {"OtherProcess", "{00000000-0000-0000-0000-000000000000}", id, true},
      {"OwnIdInOtherCase", upper, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    link_->IPrivateProcess_OnProcessFinished(c.reported, com::Variant(true));
    EXPECT_EQ(link_->CommandProcessId(), c.id_after);
    EXPECT_EQ(field_->Locked(), c.locked_after);
  }
}

TEST_F(CommandFixture, EndingTheLinkDuringACommandReleasesIt) {
  OpenConnection();
  Bind("TST/Reset");
  messages_.answers = {6};
  field_->UserClick();
  ASSERT_NE(link_->CommandProcessId(), "");
  site_->Release();
  EXPECT_EQ(link_->CommandProcessId(), "");
  EXPECT_EQ(link_->IPrivateParamLink_DataElement(), nullptr);
  EXPECT_EQ(field_->MenuItemCount(), 0);
  // The released command reports nothing later.
  loop_.RunUntilIdle();
  EXPECT_EQ(link_->CommandProcessId(), "");
  EXPECT_EQ(Context().ProcessMan().State(), 0);
}

TEST_F(LinkFixture, EndingTheLinkTakesThePendingEditAndResetsIgnoreUpdate) {
  auto element = AddElement("TST/End", kVtInt32);
  element->TransientValue = Long(5);
  Bind("TST/End");
  field_->UserStartEdit();
  field_->UserType("8");
  element->IgnoreUpdate = true;
  const std::int32_t before = Context().Parameters().Changed();
  site_->Release();
  EXPECT_EQ(element->TransientValue, Long(8));
  EXPECT_FALSE(element->IgnoreUpdate);
  // The edit's notice and the one for IgnoreUpdate.
  EXPECT_EQ(Context().Parameters().Changed() - before, 2);
  // The field no longer reaches the link.
  field_->UserType("9");
  field_->UserEndEdit(true);
  EXPECT_EQ(element->TransientValue, Long(8));
}

}  // namespace
}  // namespace dtm::testing
