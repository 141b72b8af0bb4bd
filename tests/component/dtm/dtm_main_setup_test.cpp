// A new instance: device type, environment, language, communication,
// the check of the connected device and the information document.

#include <gtest/gtest.h>

#include "platform/xml/dom.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

using DtmInitNew = DtmFixture;

TEST_F(DtmInitNew, UnparsableDocumentBuildsNoModel) {
  EXPECT_FALSE(dtm_->IDtm_InitNew("<not a device type"));
  EXPECT_FALSE(dtm_->IDtm_InitNew("<FDT><Other/></FDT>"));
  EXPECT_FALSE(Context().Dictionary().Root());
  EXPECT_TRUE(Context().DeviceType()->IdValue(1).empty());
  EXPECT_TRUE(messages_.entries.empty());
}

TEST_F(DtmInitNew, SupportedTypeBuildsTheModelAndTakesItsDescription) {
  ASSERT_TRUE(dtm_->IDtm_InitNew(SupportedDeviceTypeXml()));
  EXPECT_TRUE(Context().Dictionary().Root());
  EXPECT_EQ(Context().DeviceType()->IdValue(1), std::to_string(kSupportedManufacturerCode));
  EXPECT_EQ(Context().DeviceType()->Manufacturer, "VELDAR AG");
  EXPECT_EQ(Context().DeviceType()->Model, "4625");
  EXPECT_TRUE(Errors().empty());
}

TEST_F(DtmInitNew, UnsupportedTypeIsReportedAndStillAccepted) {
  ASSERT_TRUE(dtm_->IDtm_InitNew(DeviceTypeXml("165", "71", "2")));
  EXPECT_TRUE(Context().Dictionary().Root());
  ASSERT_EQ(Errors().size(), 1u);
  // The English default text with the three identification values.
  EXPECT_NE(Errors()[0].find("165"), std::string::npos);
  EXPECT_NE(Errors()[0].find("71"), std::string::npos);
  EXPECT_NE(Errors()[0].find("2"), std::string::npos);
  EXPECT_EQ(Errors()[0].find("%"), std::string::npos);
  EXPECT_TRUE(Context().DeviceType()->Manufacturer.empty());
}

class DtmEnvironmentRefused : public DtmFixture {};

TEST_F(DtmEnvironmentRefused, EmptyTagNoContainerOrForeignObjectChangeNothing) {
  ASSERT_TRUE(dtm_->IDtm_InitNew(SupportedDeviceTypeXml()));
  struct Case {
    const char* name;
    std::string tag;
    com::ObjectPtr container;
  };
  const Case cases[] = {
      {"EmptyTag", "", container_},
      {"NoContainer", "TAG1", nullptr},
      {"NotAFrameContainer", "TAG1", channel_},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(dtm_->IDtm_Environment(c.tag, c.container));
    EXPECT_EQ(Context().SystemTag(), "");
    EXPECT_EQ(Context().Container(), nullptr);
  }
}

using DtmEnvironment = DtmFixture;

TEST_F(DtmEnvironment, StoresTagAndContainer) {
  SetUpInstance();
  EXPECT_EQ(Context().SystemTag(), "TAG1");
  EXPECT_EQ(std::dynamic_pointer_cast<frame::FrameContainerStandIn>(Context().Container()),
            container_);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(DtmEnvironment, ChecksOnlyWhenBothFirstIdsAreSet) {
  struct Case {
    const char* name;
    std::string manufacturer, type;
    std::size_t errors_after_environment;
  };
  const Case cases[] = {
      {"NoManufacturer", "", "71", 0},
      {"NoDeviceType", "165", "", 0},
      {"BothSetUnsupported", "165", "71", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.entries.clear();
    auto fresh = std::make_shared<frame::FrameContainerStandIn>();
    std::shared_ptr<com::ClassFactory> factory;
    library_.DllGetClassObject(Library::Classes()[0].clsid, factory);
    auto dtm = std::dynamic_pointer_cast<DTMMain>(factory->CreateInstance());
    ASSERT_TRUE(dtm->IDtm_InitNew(DeviceTypeXml(c.manufacturer, c.type, "1")));
    const std::size_t after_init = Errors().size();
    EXPECT_TRUE(dtm->IDtm_Environment("TAG1", fresh));
    EXPECT_EQ(Errors().size() - after_init, c.errors_after_environment);
    EXPECT_EQ(dtm->Context().SystemTag(), "TAG1");
  }
}

class DtmConnectedDevice : public DtmFixture {
 protected:
  // Raises the event for a device with these codes; answers the verdict.
  bool Validate(std::int32_t manufacturer, std::int32_t type, bool start) {
    auto comm = Context().CommObject();
    comm->SetIdentity(manufacturer, type);
    bool accept = start;
    comm->ConnectionIsValidated(accept);
    return accept;
  }
};

TEST_F(DtmConnectedDevice, SupportedCodesAskNothingAndLeaveTheVerdict) {
  SetUpInstance();
  for (bool start : {false, true}) {
    EXPECT_EQ(Validate(kSupportedManufacturerCode, kSupportedDeviceTypeCode, start), start);
  }
  EXPECT_TRUE(messages_.entries.empty());
}

TEST_F(DtmConnectedDevice, OtherCodesAskAndEveryAnswerButNoAccepts) {
  SetUpInstance();
  struct Case {
    std::int32_t answer;
    bool accepted;
  };
  const Case cases[] = {{6, true}, {7, false}, {1, true}, {0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    messages_.entries.clear();
    messages_.answers = {c.answer};
    EXPECT_EQ(Validate(99, kSupportedDeviceTypeCode, false), c.accepted);
    ASSERT_EQ(messages_.entries.size(), 1u);
    EXPECT_EQ(messages_.entries[0].kind, runtime::RecordingMessageSink::Entry::kBox);
    EXPECT_EQ(messages_.entries[0].style, 20);
    EXPECT_NE(messages_.entries[0].text.find("99"), std::string::npos);
    EXPECT_NE(messages_.entries[0].text.find(std::to_string(kSupportedDeviceTypeCode)),
              std::string::npos);
  }
}

TEST_F(DtmConnectedDevice, OtherDeviceTypeAsksToo) {
  SetUpInstance();
  messages_.answers = {7};
  EXPECT_FALSE(Validate(kSupportedManufacturerCode, 12, false));
  EXPECT_EQ(messages_.entries.size(), 1u);
}

using DtmLanguage = DtmFixture;

TEST_F(DtmLanguage, AnswersWhetherTheRuntimeKeptTheLanguage) {
  SetUpInstance();
  EXPECT_TRUE(dtm_->IDtm_SetLanguage(7));
  EXPECT_EQ(Context().GUIMan().Language(), 7);
  EXPECT_TRUE(dtm_->IDtm_SetLanguage(0x0409));
  // An id beyond the runtime's 16-bit language is kept as another id.
  EXPECT_FALSE(dtm_->IDtm_SetLanguage(0x10407));
}

using DtmCommunication = DtmFixture;

TEST_F(DtmCommunication, NothingIsRefused) {
  SetUpInstance();
  EXPECT_FALSE(dtm_->IDtm_SetCommunication(nullptr));
  EXPECT_EQ(Context().CommMan().Communication(), nullptr);
}

TEST_F(DtmCommunication, RefusedWhileAConnectionIsOpen) {
  SetUpInstance();
  OpenConnection();
  auto other = std::make_shared<frame::ChannelStandIn>(loop_);
  EXPECT_FALSE(dtm_->IDtm_SetCommunication(other));
  EXPECT_EQ(Context().CommMan().Communication(), com::ObjectPtr(channel_));
}

TEST_F(DtmCommunication, ALaterCallReplacesTheFirst) {
  SetUpInstance();
  auto second = std::make_shared<frame::ChannelStandIn>(loop_);
  EXPECT_TRUE(dtm_->IDtm_SetCommunication(channel_));
  EXPECT_TRUE(dtm_->IDtm_SetCommunication(second));
  EXPECT_EQ(Context().CommMan().Communication(), com::ObjectPtr(second));
  EXPECT_TRUE(Context().CommMan().Attached());
}

TEST_F(DtmCommunication, AnObjectThatIsNoChannelIsTakenButNotAttached) {
  SetUpInstance();
  EXPECT_TRUE(dtm_->IDtm_SetCommunication(container_));
  EXPECT_FALSE(Context().CommMan().Attached());
  EXPECT_TRUE(dtm_->IDtm_ReleaseCommunication());
  EXPECT_EQ(Context().CommMan().Communication(), nullptr);
}

TEST_F(DtmCommunication, ReleaseDetachesWhatWasAttached) {
  SetUpInstance();
  ASSERT_TRUE(dtm_->IDtm_SetCommunication(channel_));
  ASSERT_TRUE(Context().CommMan().Attached());
  EXPECT_TRUE(dtm_->IDtm_ReleaseCommunication());
  EXPECT_FALSE(Context().CommMan().Attached());
  EXPECT_EQ(Context().CommMan().Communication(), nullptr);
}

using DtmSmallSettings = DtmFixture;

TEST_F(DtmSmallSettings, PrivateDialogFlagGoesToTheContext) {
  EXPECT_TRUE(dtm_->IDtm_PrivateDialogEnabled(true));
  EXPECT_TRUE(Context().PrivateDialogEnabled());
  EXPECT_TRUE(dtm_->IDtm_PrivateDialogEnabled(false));
  EXPECT_FALSE(Context().PrivateDialogEnabled());
}

TEST_F(DtmSmallSettings, UserInformationGoesToTheRuntimeUser) {
  EXPECT_TRUE(dtm_->IDtm_Config("<FDT><UserInfo userLevel=\"PlanningEngineer\"/></FDT>"));
  EXPECT_EQ(Context().User().UserLevel(), 3);
  EXPECT_FALSE(dtm_->IDtm_Config("garbage"));
  EXPECT_EQ(Context().User().UserLevel(), 3);
}

using DtmInformation = DtmFixture;

TEST_F(DtmInformation, LoadsTheDictionaryWhenNeededAndNamesTheComponent) {
  ASSERT_FALSE(Context().Dictionary().Document());
  const std::string info = dtm_->IDtmInformation_GetInformation();
  EXPECT_TRUE(Context().Dictionary().Document());
  xml::Document doc;
  ASSERT_TRUE(doc.LoadXml(info)) << doc.ParseError();
  EXPECT_NE(info.find("VD4625FDT"), std::string::npos);
  EXPECT_NE(info.find("VELDAR AG"), std::string::npos);
  EXPECT_NE(info.find("1.0.32"), std::string::npos);
  EXPECT_NE(info.find("2003-06-23"), std::string::npos);
}

TEST_F(DtmInformation, ForeignLanguageStillSelectsADictionaryLanguage) {
  dtm_->IDtm_SetLanguage(0x040C);  // French: no texts of its own
  dtm_->IDtmInformation_GetInformation();
  EXPECT_NE(Context().Dictionary().Language(), 0);
}

}  // namespace
}  // namespace dtm::testing
