// The data model object: the component's identity, the creation of the
// model, the language switch with the unit texts, the data-set state and
// the "DataStatus" mark of a changed data set.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/component/datamodel/hart_fixture.h"

namespace dtm::testing::hart {
namespace {

template <class Case>
  requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

// ---- Identity -------------------------------------------------------------------

using DataModelIdentity = DtmFixture;

TEST_F(DataModelIdentity, TextsOfTheComponent) {
  auto model = std::dynamic_pointer_cast<clsDataModel>(Context().DataModel());
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->IPrivateDataModel_DTMName(), "VD4625FDT");
  EXPECT_EQ(model->IPrivateDataModel_DTMVendor(), "VELDAR AG");
  EXPECT_EQ(model->IPrivateDataModel_DTMVersion(), "1.0.32");
  EXPECT_EQ(model->IPrivateDataModel_DTMDescriptor(),
            "FDT 1.2 DTM for VELDAR HART positioner Type 4625");
}

TEST_F(DataModelIdentity, DateOfTheVersion) {
  auto model = std::dynamic_pointer_cast<clsDataModel>(Context().DataModel());
  ASSERT_NE(model, nullptr);
  // 2003-06-23 is day 37795 after 1899-12-30.
  EXPECT_EQ(model->IPrivateDataModel_DTMDate(), com::DateValue{37795});
}

// ---- Creation -------------------------------------------------------------------

// An instance whose model has not been created yet.
class ModelCreation : public HartFixture {
 protected:
  void SetUp() override {}
};

TEST_F(ModelCreation, BuildsTheElementsAndSetsTheCommunication) {
  EXPECT_EQ(Model().HartUnits(), nullptr);
  EXPECT_EQ(Context().Parameters().Count(), 0u);
  Context().Parameters().SetDataSetState(2);

  Model().IPrivateDataModel_CreateModel(Context());
  EXPECT_TRUE(Context().Dictionary().Root());
  EXPECT_NE(Model().HartUnits(), nullptr);
  EXPECT_EQ(Context().Parameters().Count(), 195u);
  EXPECT_EQ(Context().Parameters().DataSetState(), 0);
  EXPECT_EQ(Context().CommMan().SettingA(), 1);
  EXPECT_EQ(Context().CommMan().SettingB(), 2);
}

TEST_F(ModelCreation, AgainReplacesTheElements) {
  Model().IPrivateDataModel_CreateModel(Context());
  Element("~/Tag").TransientValue = "changed";
  Model().IPrivateDataModel_CreateModel(Context());
  EXPECT_EQ(Context().Parameters().Count(), 195u);
  EXPECT_TRUE(Element("~/Tag").TransientValue.IsEmpty());
}

// ---- Language ------------------------------------------------------------------

class ModelLanguage : public HartFixture {
 protected:
  void Switch(std::int32_t language_id) {
    Model().IPrivateDataModel_SetLanguage(Context(), language_id);
  }
  std::string NotUsed() { return Model().HartUnits()->UnitText(250); }
};

TEST_F(ModelLanguage, TakesThePrimaryLanguageOfTheId) {
  struct Case {
    const char* name;
    std::int32_t id;
    std::int32_t language;
  };
  const Case cases[] = {
      {"German", 1031, 7},      {"SwissGerman", 2055, 7}, {"AustrianGerman", 3079, 7},
      {"PlainGerman", 7, 7},    {"English", 1033, 9},     {"BritishEnglish", 2057, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Switch(c.language == 7 ? 1033 : 1031);  // start from the other language
    Switch(c.id);
    EXPECT_EQ(Model().LanguageId(), c.language);
  }
  EXPECT_EQ(Errors(), std::vector<std::string>{});
}

TEST_F(ModelLanguage, UnitTextsFollowTheLanguage) {
  EXPECT_EQ(Model().LanguageId(), 0);
  Switch(7);
  EXPECT_EQ(NotUsed(), "Nicht verwendet");
  Switch(1033);
  EXPECT_EQ(NotUsed(), "Not used");
  EXPECT_EQ(Model().HartUnits()->UnitText(57), "%");
}

TEST_F(ModelLanguage, SamePrimaryLanguageAgainDoesNothing) {
  Switch(7);
  Element("~/Tag").Prompt = "mine";
  Model().HartUnits()->SetText(250, "mine");
  Switch(1031);
  Switch(2055);
  EXPECT_EQ(Model().LanguageId(), 7);
  EXPECT_EQ(Element("~/Tag").Prompt, "mine");
  EXPECT_EQ(NotUsed(), "mine");
  Switch(1033);
  EXPECT_EQ(Model().LanguageId(), 9);
  EXPECT_EQ(Element("~/Tag").Prompt, "Instance tag");
  EXPECT_EQ(NotUsed(), "Not used");
}

TEST_F(ModelLanguage, UnitWithoutTextFailsTheSwitch) {
  Switch(7);
  ASSERT_TRUE(Context().Dictionary().LoadXml(
      R"(<dictionary name="DTMDictionary" language="9"><section name="parameters"/>)"
      R"(<section name="units"><entry key="U057"/></section></dictionary>)"));
  Switch(1033);
  EXPECT_EQ(Errors(), std::vector<std::string>{"Error setting LanguageId 9"});
  EXPECT_EQ(Model().LanguageId(), 7);
  // Not recorded: the next call tries again.
  Switch(1033);
  EXPECT_EQ(Errors(),
            (std::vector<std::string>{"Error setting LanguageId 9", "Error setting LanguageId 9"}));
}

// Before the model exists there are no unit texts to load: the switch fails
// and is not recorded, so the same language later loads them.
TEST_F(ModelCreation, LanguageBeforeTheModelIsTriedAgainAfterIt) {
  Model().IPrivateDataModel_SetLanguage(Context(), 1033);
  EXPECT_EQ(Errors(), std::vector<std::string>{"Error setting LanguageId 9"});
  EXPECT_EQ(Model().LanguageId(), 0);

  SetUpInstance();
  Model().IPrivateDataModel_SetLanguage(Context(), 1033);
  EXPECT_EQ(Model().LanguageId(), 9);
  EXPECT_EQ(Model().HartUnits()->UnitText(250), "Not used");
  EXPECT_EQ(Errors().size(), 1u);
}

// ---- Data-set state ----------------------------------------------------------

struct StateCase {
  const char* name;
  std::int32_t flags;  // of one element among clean ones
  std::int32_t state;
};

const StateCase kStateCases[] = {
    {"Clean", 0x0, 1},
    {"InputError", 0x2000, 2},
    {"OutOfRange", 0x4000, 2},
    {"EveryInputErrorBit", 0xF000, 2},
    {"LowestInputErrorBit", 0x1000, 2},
    {"Needed", 0x8, 2},
    {"DynamicValueIsIgnored", 0x2000 | 0x2, 1},
    {"InformationValueIsIgnored", 0x8 | 0x1, 1},
    {"DynamicInformationIsIgnored", 0xF008 | 0x3, 1},
    {"LineFailureIsNoInputError", 0xF0000, 1},
    {"ResponseClassIsNoInputError", 0x400000, 1},
    {"ChangedAndOnlineEditAreNot", 0x4 | 0x20, 1},
};

class DataSetState : public HartFixture, public ::testing::WithParamInterface<StateCase> {};

TEST_P(DataSetState, FromTheElementsFlags) {
  runtime::Parameters collection(Context());
  for (const std::int32_t flags : {0x0, GetParam().flags, 0x90}) {
    auto element = std::make_shared<clsDataElement>();
    element->Name = "E" + std::to_string(collection.Count());
    element->SetStatusFlags(flags);
    collection.Add(element);
  }
  collection.SetDataSetState(0);
  Model().EvaluateDataSetState(collection);
  EXPECT_EQ(collection.DataSetState(), GetParam().state);
}

INSTANTIATE_TEST_SUITE_P(Table, DataSetState, ::testing::ValuesIn(kStateCases),
                         [](const auto& i) { return std::string(i.param.name); });

using EmptyDataSet = HartFixture;

TEST_F(EmptyDataSet, IsConsistent) {
  runtime::Parameters collection(Context());
  Model().EvaluateDataSetState(collection);
  EXPECT_EQ(collection.DataSetState(), 1);
}

// ---- Change notices and "DataStatus" ------------------------------------------

class DataStatusMark : public HartFixture {
 protected:
  void SetUp() override {
    HartFixture::SetUp();
    Status().TransientValue = std::int16_t{1};
    Context().Parameters().ResetChanged();
    notices_->notices.clear();
    clsDataElement& value = Add("T/Value", kVtUInt8);
    value.SetStatusFlags(0x90);
  }
  clsDataElement& Status() { return Element("DataStatus"); }
  std::size_t StatusNotices() const {
    return static_cast<std::size_t>(
        std::count(notices_->notices.begin(), notices_->notices.end(), "DataStatus"));
  }
};

TEST_F(DataStatusMark, ACountedChangeMarksTheDataSet) {
  Context().Parameters().NotifyChanged(Ptr("T/Value"), "");
  EXPECT_EQ(Status().TransientValue, com::Variant(std::int16_t{2}));
  EXPECT_EQ(StatusNotices(), 1u);
  // Marked already: no second notice.
  Context().Parameters().NotifyChanged(Ptr("T/Value"), "");
  EXPECT_EQ(StatusNotices(), 1u);
}

TEST_F(DataStatusMark, NoMarkWithoutACountedChange) {
  Model().IPrivateDataModel_DataChanged(Ptr("T/Value"), Context());
  EXPECT_EQ(Status().TransientValue, com::Variant(std::int16_t{1}));
  EXPECT_EQ(StatusNotices(), 0u);
}

TEST_F(DataStatusMark, ItsOwnChangeNeverMarksIt) {
  for (const com::Variant& value : {com::Variant(std::int16_t{0}), com::Variant(std::int16_t{1}),
                                    com::Variant()}) {
    Status().TransientValue = value;
    Context().Parameters().NotifyChanged(Ptr("DataStatus"), "");
    EXPECT_EQ(Status().TransientValue, value);
  }
}

TEST_F(DataStatusMark, SetChangedMarksWithoutTheNameTest) {
  Context().Parameters().NotifyChanged(Ptr("DataStatus"), "");
  ASSERT_EQ(Status().TransientValue, com::Variant(std::int16_t{1}));
  notices_->notices.clear();
  Model().IPrivateDataModel_DataSetChanged(Context());
  EXPECT_EQ(Status().TransientValue, com::Variant(std::int16_t{2}));
  EXPECT_EQ(StatusNotices(), 1u);
}

TEST_F(DataStatusMark, AChangeEvaluatesTheDataSet) {
  clsDataElement& value = Element("T/Value");
  value.SetStatusFlag(flags::kOutOfRange);
  Model().IPrivateDataModel_DataChanged(Ptr("T/Value"), Context());
  EXPECT_EQ(Context().Parameters().DataSetState(), 2);
  value.ClearStatusFlag(flags::kOutOfRange);
  Model().IPrivateDataModel_DataChanged(Ptr("T/Value"), Context());
  EXPECT_EQ(Context().Parameters().DataSetState(), 1);
  value.SetStatusFlag(flags::kNeeded);
  Model().IPrivateDataModel_DataSetChanged(Context());
  EXPECT_EQ(Context().Parameters().DataSetState(), 2);
}

}  // namespace
}  // namespace dtm::testing::hart
