#include "platform/runtime/context.h"

#include <gtest/gtest.h>

#include "platform/com/error.h"
#include "tests/platform/runtime/fakes.h"

namespace dtm::runtime {
namespace {

using fakes::CallLog;

// Three elements sharing the model's log, in collection order A, B, C.
class DTMContextDataSet : public fakes::RuntimeFixture {
 protected:
  DTMContextDataSet() {
    for (const auto& element : {a_, b_, c_}) context_->Parameters().Add(element);
  }
  std::shared_ptr<fakes::FakeElement> a_ = fakes::MakeElement("A", &log_);
  std::shared_ptr<fakes::FakeElement> b_ = fakes::MakeElement("B", &log_);
  std::shared_ptr<fakes::FakeElement> c_ = fakes::MakeElement("C", &log_);
};

TEST_F(DTMContextDataSet, InitNewInitialisesEveryElementThenTellsTheModel) {
  a_->initial = com::Variant(std::int16_t{5});
  const auto device_type = std::make_shared<DeviceType>();
  context_->InitNew(device_type);
  EXPECT_EQ(log_, (CallLog{"A.InitNew", "B.InitNew", "C.InitNew", "Model.DataSetChanged"}));
  EXPECT_EQ(context_->DeviceType(), device_type);
  EXPECT_EQ(a_->persistent, com::Variant(std::int16_t{5}));
}

TEST_F(DTMContextDataSet, ChangesMadeByTheModelsRulesDoNotCountAsUnsaved) {
  // The model's rules change values while it digests a new data set; the
  // set is still as loaded afterwards.
  model_->on_data_set_changed = [&](DTMContext& context) {
    context.Parameters().NotifyChanged(b_, "");
  };
  context_->InitNew(std::make_shared<DeviceType>());
  EXPECT_EQ(context_->Parameters().Changed(), 0);
  EXPECT_EQ(context_->Parameters().DataChangedState(), 0);

  com::MemoryPropertyBag bag;
  context_->ReadProperties(bag);
  EXPECT_EQ(context_->Parameters().Changed(), 0);
  EXPECT_EQ(context_->Parameters().DataChangedState(), 0);
}

TEST_F(DTMContextDataSet, InitNewWithoutDeviceTypeChangesNothing) {
  const auto before = context_->DeviceType();
  EXPECT_THROW(context_->InitNew(nullptr), com::ComError);
  EXPECT_EQ(context_->DeviceType(), before);
  EXPECT_NE(before, nullptr);
  EXPECT_TRUE(log_.empty());
}

TEST_F(DTMContextDataSet, ReadPropertiesReadsEachElementInOrderThenTellsTheModel) {
  com::MemoryPropertyBag bag;
  bag.WriteProperty("C", com::Variant("gamma"));
  bag.WriteProperty("A", com::Variant(std::int32_t{7}));
  context_->Parameters().NotifyChanged(a_, "");  // unsaved work before the read
  log_.clear();
  context_->ReadProperties(bag);
  EXPECT_EQ(log_, (CallLog{"A.Read", "B.Read", "C.Read", "Model.DataSetChanged"}));
  EXPECT_EQ(a_->persistent, com::Variant(std::int32_t{7}));
  EXPECT_TRUE(b_->persistent.IsEmpty());
  EXPECT_EQ(c_->persistent, com::Variant("gamma"));
  EXPECT_EQ(context_->Parameters().Changed(), 0);
  EXPECT_EQ(context_->Parameters().DataChangedState(), 0);
}

TEST_F(DTMContextDataSet, ReadErrorOfAnElementStopsTheRead) {
  b_->fail_read = true;
  context_->Parameters().NotifyChanged(a_, "");
  log_.clear();
  com::MemoryPropertyBag bag;
  EXPECT_THROW(context_->ReadProperties(bag), com::ComError);
  EXPECT_EQ(log_, (CallLog{"A.Read", "B.Read"}));
  // Nothing was loaded, so the unsaved state stays.
  EXPECT_EQ(context_->Parameters().DataChangedState(), 1);
}

TEST_F(DTMContextDataSet, WritePropertiesWritesEachElementAndMarksTheSetSaved) {
  a_->persistent = com::Variant(std::int32_t{1});
  c_->persistent = com::Variant("three");
  context_->Parameters().NotifyChanged(a_, "");
  log_.clear();
  com::MemoryPropertyBag bag;
  context_->WriteProperties(bag);
  EXPECT_EQ(log_, (CallLog{"A.Write", "B.Write", "C.Write"}));
  ASSERT_EQ(bag.Entries().size(), 3u);
  EXPECT_EQ(bag.Entries()[0].first, "A");
  EXPECT_EQ(bag.ReadProperty("C"), com::Variant("three"));
  EXPECT_EQ(context_->Parameters().DataChangedState(), 0);
}

class DTMContextBinding : public fakes::RuntimeFixture {};

TEST_F(DTMContextBinding, HoldsTheDTMWeakly) {
  EXPECT_EQ(context_->DTM(), dtm_);
  dtm_.reset();
  EXPECT_EQ(context_->DTM(), nullptr);
}

class ContainerOnly final : public com::Object, public FrameContainer {
 public:
  bool CommunicationReleased(const std::string&) override { return true; }
  bool PreparedToRelease(const std::string&) override { return true; }
  bool UploadFinished(const std::string&, bool) override { return true; }
  bool DownloadFinished(const std::string&, bool) override { return true; }
  bool OpenFunctionRequest(const std::string&, const std::string&) override { return true; }
};

class ContainerWithStorage final : public com::Object, public FrameContainer, public FrameStorage {
 public:
  bool CommunicationReleased(const std::string&) override { return true; }
  bool PreparedToRelease(const std::string&) override { return true; }
  bool UploadFinished(const std::string&, bool) override { return true; }
  bool DownloadFinished(const std::string&, bool) override { return true; }
  bool OpenFunctionRequest(const std::string&, const std::string&) override { return true; }
  bool SaveRequest(const std::string&) override { return true; }
};

TEST_F(DTMContextBinding, FrameStorageIsTheContainersStorageFace) {
  EXPECT_EQ(context_->FrameStorage(), nullptr);
  context_->SetContainer(std::make_shared<ContainerOnly>());
  EXPECT_EQ(context_->FrameStorage(), nullptr);
  const auto container = std::make_shared<ContainerWithStorage>();
  context_->SetContainer(container);
  EXPECT_EQ(context_->FrameStorage().get(), static_cast<FrameStorage*>(container.get()));
}

TEST_F(DTMContextBinding, PropertiesByName) {
  const auto state = std::make_shared<com::Object>();
  context_->SetSystemTag("TV-101");
  context_->SetPrivateDialogEnabled(true);
  context_->SetDTMState(state);
  EXPECT_EQ(context_->GetProperty("SystemTag"), com::Variant("TV-101"));
  EXPECT_EQ(context_->GetProperty("privatedialogenabled"), com::Variant(true));
  EXPECT_EQ(context_->GetProperty("DTM").ToObject(), dtm_);
  EXPECT_EQ(context_->GetProperty("DTMState").ToObject(), state);
  try {
    context_->GetProperty("Language");
    FAIL() << "no error";
  } catch (const com::ComError& error) {
    EXPECT_EQ(error.Number(), 438);
  }
}

TEST_F(DTMContextBinding, CompanyAddressIsShownOnlyWithPrivateDialogs) {
  EXPECT_FALSE(context_->ShowCompanyURL());
  EXPECT_EQ(context_->GetProperty("ShowCompanyURL"), com::Variant(false));
  context_->SetPrivateDialogEnabled(true);
  EXPECT_TRUE(context_->ShowCompanyURL());
  EXPECT_EQ(context_->GetProperty("showcompanyurl"), com::Variant(true));
  context_->SetPrivateDialogEnabled(false);
  EXPECT_FALSE(context_->ShowCompanyURL());
}

TEST_F(DTMContextBinding, KeyTextComesFromTheKeysSection) {
  EXPECT_EQ(context_->GetKeyText("K_Save"), "K_Save");  // nothing loaded yet
  ASSERT_TRUE(context_->Dictionary().LoadXml(
      R"(<dictionary name="DTMDictionary" language="9" default="9">)"
      R"(<section name="keys"><entry key="K_Save" text=" Save now? "/></section>)"
      R"(<section name="units"><entry key="K_Other" text="not a key text"/></section>)"
      R"(</dictionary>)"));
  EXPECT_EQ(context_->GetKeyText("K_Save"), " Save now? ");
  EXPECT_EQ(context_->GetKeyText("K_Other"), "K_Other");
}

TEST_F(DTMContextBinding, MessagesGoToTheSink) {
  messages_.answers = {7};
  EXPECT_EQ(context_->MessageBox("Save?", 4, "DTM"), 7);
  EXPECT_EQ(context_->MessageBox("Sure?", 4 + 256), 7);  // script used up: default button
  context_->ShowError("broken");
  context_->Report("done");
  ASSERT_EQ(messages_.entries.size(), 4u);
  EXPECT_EQ(messages_.entries[0].kind, RecordingMessageSink::Entry::kBox);
  EXPECT_EQ(messages_.entries[0].title, "DTM");
  EXPECT_EQ(messages_.entries[1].style, 260);
  EXPECT_EQ(messages_.entries[2].kind, RecordingMessageSink::Entry::kError);
  EXPECT_EQ(messages_.entries[2].text, "broken");
  EXPECT_EQ(messages_.entries[3].kind, RecordingMessageSink::Entry::kReport);
}

// The default button of a box: the style's button set and the position it names.
struct ButtonCase {
  const char* name;
  std::int32_t style;
  std::int32_t button;
};
const ButtonCase kButtonCases[] = {
    {"Ok", 0, 1},
    {"OkIgnoresSecondPosition", 0x100, 1},
    {"OkCancelFirst", 1, 1},
    {"OkCancelSecond", 1 + 0x100, 2},
    {"AbortRetryIgnoreFirst", 2, 3},
    {"AbortRetryIgnoreSecond", 2 + 0x100, 4},
    {"AbortRetryIgnoreThird", 2 + 0x200, 5},
    {"YesNoCancelFirst", 3, 6},
    {"YesNoCancelSecond", 3 + 0x100, 7},
    {"YesNoCancelThird", 3 + 0x200, 2},
    {"YesNoFirst", 4, 6},
    {"YesNoSecond", 4 + 0x100, 7},
    {"YesNoThirdIsMissing", 4 + 0x200, 6},
    {"RetryCancelFirst", 5, 4},
    {"RetryCancelSecond", 5 + 0x100, 2},
    {"IconBitsDoNotMatter", 4 + 0x20 + 0x100, 7},
    // Styles the pages ask with.
    {"QuestionYesNoDefaultNo292", 292, 7},
    {"QuestionOkCancelDefaultCancel289", 289, 2},
    {"InformationOkWithMissingSecond320", 320, 1},
    {"CriticalOk16", 16, 1},
};

class DefaultButtonTable : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(DefaultButtonTable, NamesTheButtonCode) {
  EXPECT_EQ(DefaultButton(GetParam().style), GetParam().button);
}

INSTANTIATE_TEST_SUITE_P(Table, DefaultButtonTable, ::testing::ValuesIn(kButtonCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm::runtime
