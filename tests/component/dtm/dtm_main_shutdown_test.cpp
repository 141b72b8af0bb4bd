// Taking an instance down: communication first, then the instance, with
// the frame's notices in order.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>

#include "tests/component/dtm/dtm_fixture.h"
#include "tests/platform/runtime/fakes.h"

namespace dtm::testing {
namespace {

using runtime::fakes::CallLog;
using runtime::fakes::FakePage;

std::vector<std::string> Kinds(const frame::ChannelStandIn& channel) {
  std::vector<std::string> kinds;
  for (const auto& request : channel.Requests()) kinds.push_back(request.kind);
  return kinds;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

class DtmShutdown : public DtmFixture {
 protected:
  com::Variant DataStatus() {
    return Context().Parameters().Item("DataStatus")->IPrivateDataElement_TransientValue();
  }
};

using DtmReleaseCommunication = DtmShutdown;

TEST_F(DtmReleaseCommunication, WithoutConnectionReleasesAtOnceAndTellsTheFrameFirst) {
  SetUpInstance();
  ASSERT_TRUE(dtm_->IDtm_SetCommunication(channel_));
  EXPECT_TRUE(dtm_->IDtm_PrepareToReleaseCommunication());
  // Told before the call answered: nothing was left for the loop.
  EXPECT_EQ(container_->LogLines(), std::vector<std::string>{"CommunicationReleased(TAG1)"});
  EXPECT_EQ(Context().CommMan().Communication(), nullptr);
}

TEST_F(DtmReleaseCommunication, WithoutContainerNoNotice) {
  ASSERT_TRUE(dtm_->IDtm_InitNew(SupportedDeviceTypeXml()));
  EXPECT_TRUE(dtm_->IDtm_PrepareToReleaseCommunication());
  EXPECT_TRUE(container_->Log().empty());
}

TEST_F(DtmReleaseCommunication, OpenConnectionEndsAsynchronouslyUnderANewInvokeId) {
  SetUpInstance();
  OpenConnection();
  EXPECT_TRUE(dtm_->IDtm_PrepareToReleaseCommunication());
  ASSERT_EQ(Kinds(*channel_).back(), "DisconnectRequest");
  const std::string id = channel_->Requests().back().invoke_id;
  ASSERT_EQ(id.size(), 36u);
  EXPECT_EQ(id.find_first_of("{}"), std::string::npos);
  EXPECT_EQ(id[8], '-');
  EXPECT_TRUE(container_->Log().empty());  // not yet: the frame answers later

  loop_.RunUntilIdle();
  EXPECT_FALSE(Context().CommMan().ConnectionOpen());
  EXPECT_EQ(Context().CommMan().Communication(), nullptr);
  EXPECT_EQ(container_->LogLines(), std::vector<std::string>{"CommunicationReleased(TAG1)"});
  EXPECT_TRUE(Errors().empty());
}

TEST_F(DtmReleaseCommunication, RefusedDisconnectIsReportedAndForgotten) {
  SetUpInstance();
  OpenConnection();
  channel_->SetRefuseDisconnect(true);
  EXPECT_FALSE(dtm_->IDtm_PrepareToReleaseCommunication());
  EXPECT_EQ(Errors(), std::vector<std::string>{"Cannot shut down communication."});
  const std::string id = channel_->Requests().back().invoke_id;
  // A process end with that id no longer counts as the shut-down's end,
  // nor as the end of anything else.
  dtm_->IPrivateProcess_OnProcessFinished(id, com::Variant(true));
  EXPECT_TRUE(container_->Log().empty());
  EXPECT_EQ(DataStatus(), com::Variant(std::int16_t{0}));
  EXPECT_NE(Context().CommMan().Communication(), nullptr);
}

TEST_F(DtmReleaseCommunication, EndInOtherLetterCaseStillEndsTheShutdown) {
  SetUpInstance();
  OpenConnection();
  channel_->SetSilent(true);  // the frame never answers the disconnect
  ASSERT_TRUE(dtm_->IDtm_PrepareToReleaseCommunication());
  const std::string id = channel_->Requests().back().invoke_id;
  ASSERT_TRUE(Context().CommMan().ConnectionOpen());

  dtm_->IPrivateProcess_OnProcessFinished(Upper(id), std::nullopt);
  // Still open at the end: reported, then ended directly.
  EXPECT_EQ(Errors(), std::vector<std::string>{"Error shutting down communication"});
  EXPECT_FALSE(Context().CommMan().ConnectionOpen());
  EXPECT_EQ(Context().CommMan().Communication(), nullptr);
  // The direct disconnect brings no second end to the frame.
  loop_.RunUntilIdle();
  EXPECT_EQ(container_->LogLines(), std::vector<std::string>{"CommunicationReleased(TAG1)"});
  EXPECT_EQ(DataStatus(), com::Variant(std::int16_t{0}));
}

TEST_F(DtmReleaseCommunication, ReleaseRefusedWhileConnected) {
  SetUpInstance();
  OpenConnection();
  EXPECT_FALSE(dtm_->IDtm_ReleaseCommunication());
  EXPECT_TRUE(Context().CommMan().Attached());
}

class DtmRelease : public DtmShutdown {
 protected:
  CallLog pages_;
};

TEST_F(DtmRelease, PagesThatWillNotCloseStopTheRelease) {
  SetUpInstance();
  OpenConnection();
  auto page = std::make_shared<FakePage>("page", pages_);
  page->close_answer = false;
  Context().GUIMan().RegisterGUI("p1", page, true);
  const std::size_t requests = channel_->Requests().size();

  EXPECT_FALSE(dtm_->IDtm_PrepareToRelease());
  EXPECT_EQ(Errors(), std::vector<std::string>{"Error closing user interaces."});
  EXPECT_EQ(channel_->Requests().size(), requests);  // no disconnect was asked
  EXPECT_TRUE(Context().CommMan().ConnectionOpen());
  EXPECT_NE(Context().Parameters().DataSetState(), 4);
  EXPECT_TRUE(container_->Log().empty());
}

TEST_F(DtmRelease, RefusedDisconnectStopsTheRelease) {
  SetUpInstance();
  OpenConnection();
  channel_->SetRefuseDisconnect(true);
  EXPECT_FALSE(dtm_->IDtm_PrepareToRelease());
  EXPECT_EQ(Errors(), std::vector<std::string>{"Error terminating communication."});
  EXPECT_TRUE(container_->Log().empty());
}

TEST_F(DtmRelease, UnsavedChangesAskTheFrameToSaveBeforeTheLastNotice) {
  SetUpInstance();
  OpenConnection();
  Context().Parameters().SetDataChangedState(1);
  container_->SetSaveAnswer(false);  // the answer does not matter
  EXPECT_TRUE(dtm_->IDtm_PrepareToRelease());
  EXPECT_FALSE(Context().CommMan().ConnectionOpen());
  EXPECT_EQ(Context().CommMan().Communication(), nullptr);
  EXPECT_EQ(Context().Parameters().DataSetState(), 4);
  EXPECT_EQ(container_->LogLines(),
            (std::vector<std::string>{"SaveRequest(TAG1)", "PreparedToRelease(TAG1)"}));
}

TEST_F(DtmRelease, ClosesPagesAndSavesNothingWhenUnchanged) {
  SetUpInstance();
  auto page = std::make_shared<FakePage>("page", pages_);
  Context().GUIMan().RegisterGUI("p1", page, true);
  EXPECT_TRUE(dtm_->IDtm_PrepareToRelease());
  EXPECT_EQ(pages_, std::vector<std::string>{"page.CloseGUI"});
  EXPECT_EQ(container_->LogLines(), std::vector<std::string>{"PreparedToRelease(TAG1)"});
}

TEST_F(DtmRelease, WhileTheShutdownDisconnectIsPendingCompletesItOnce) {
  SetUpInstance();
  OpenConnection();
  ASSERT_TRUE(dtm_->IDtm_PrepareToReleaseCommunication());
  // The frame releases before the disconnect's end has arrived.
  EXPECT_TRUE(dtm_->IDtm_PrepareToRelease());
  const std::vector<std::string> notices{"CommunicationReleased(TAG1)", "PreparedToRelease(TAG1)"};
  EXPECT_EQ(container_->LogLines(), notices);
  loop_.RunFor(std::chrono::seconds(60));
  // Nothing reaches the frame after PreparedToRelease.
  EXPECT_EQ(container_->LogLines(), notices);
  EXPECT_EQ(DataStatus(), com::Variant(std::int16_t{0}));
  EXPECT_TRUE(Errors().empty());
}

TEST_F(DtmRelease, EndsAWholeTransferThatRunsBeforeThePreparedNotice) {
  SetUpInstance();
  ASSERT_TRUE(dtm_->IDtm_SetCommunication(channel_));
  channel_->SetSilent(true);  // the transfer waits for its connect
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  loop_.RunUntilIdle();
  EXPECT_TRUE(dtm_->IDtm_PrepareToRelease());
  const std::vector<std::string> notices{"UploadFinished(u1, false)", "PreparedToRelease(TAG1)"};
  EXPECT_EQ(container_->LogLines(), notices);
  EXPECT_FALSE(dtm_->UpDownloadAll());
  loop_.RunFor(std::chrono::seconds(60));
  EXPECT_EQ(container_->LogLines(), notices);
}

TEST_F(DtmRelease, WithoutContainerNoNotice) {
  ASSERT_TRUE(dtm_->IDtm_InitNew(SupportedDeviceTypeXml()));
  EXPECT_TRUE(dtm_->IDtm_PrepareToRelease());
  EXPECT_EQ(Context().Parameters().DataSetState(), 4);
}

using DtmDelete = DtmShutdown;

TEST_F(DtmDelete, RefusedWhileConnectedOrWithPagesAndKeepsTheState) {
  SetUpInstance();
  CallLog log;
  auto page = std::make_shared<FakePage>("page", log);
  Context().GUIMan().RegisterGUI("p1", page, true);
  const std::int32_t state = Context().Parameters().DataSetState();
  EXPECT_FALSE(dtm_->IDtm_PrepareToDelete());
  Context().GUIMan().UnregisterGUI("p1");
  OpenConnection();
  EXPECT_FALSE(dtm_->IDtm_PrepareToDelete());
  EXPECT_EQ(Context().Parameters().DataSetState(), state);
}

TEST_F(DtmDelete, MarksTheInstanceReleased) {
  SetUpInstance();
  EXPECT_TRUE(dtm_->IDtm_PrepareToDelete());
  EXPECT_EQ(Context().Parameters().DataSetState(), 4);
}

TEST_F(DtmDelete, FullFrameOrderReleasesEverything) {
  SetUpInstance();
  OpenConnection();
  ASSERT_TRUE(dtm_->IDtm_PrepareToReleaseCommunication());
  loop_.RunUntilIdle();
  EXPECT_TRUE(dtm_->IDtm_ReleaseCommunication());
  EXPECT_TRUE(dtm_->IDtm_PrepareToRelease());
  EXPECT_TRUE(dtm_->IDtm_PrepareToDelete());
  EXPECT_EQ(container_->LogLines(), (std::vector<std::string>{"CommunicationReleased(TAG1)",
                                                               "PreparedToRelease(TAG1)"}));
  EXPECT_TRUE(Errors().empty());
}

}  // namespace
}  // namespace dtm::testing
