#include "host/frame/channel.h"

#include <gtest/gtest.h>

#include "tests/platform/runtime/fakes.h"

namespace dtm::frame {
namespace {

using Lines = std::vector<std::string>;

const std::string kOk165_70 =
    R"(<FDT><ConnectResponse result="ok" manufacturerCode="165" deviceTypeCode="70"/></FDT>)";
const std::string kConnectError = R"(<FDT><ConnectResponse result="error"/></FDT>)";
const std::string kDisconnected = R"(<FDT><DisconnectResponse result="ok"/></FDT>)";

// The DTM's side: records each answer as "<Event>(<id>, <document>)".
class RecordingEvents final : public com::Object, public IFdtCommunicationEvents {
 public:
  void IFdtCommunicationEvents_OnAbort(const std::string& invoke_id) override {
    log.push_back("OnAbort(" + invoke_id + ")");
  }
  void IFdtCommunicationEvents_OnConnectResponse(const std::string& invoke_id,
                                                 const std::string& response) override {
    log.push_back("OnConnectResponse(" + invoke_id + ", " + response + ")");
  }
  void IFdtCommunicationEvents_OnDisconnectResponse(const std::string& invoke_id,
                                                    const std::string& response) override {
    log.push_back("OnDisconnectResponse(" + invoke_id + ", " + response + ")");
  }
  void IFdtCommunicationEvents_OnTransactionResponse(const std::string& invoke_id,
                                                     const std::string& response) override {
    log.push_back("OnTransactionResponse(" + invoke_id + ", " + response + ")");
  }
  Lines log;
};

class ChannelAnswers : public ::testing::Test {
 protected:
  void Connect() {
    ASSERT_TRUE(channel_->ConnectRequest(events_, "c1", "<FDT/>"));
    loop_.RunUntilIdle();
    ASSERT_TRUE(channel_->Connected());
    events_->log.clear();
  }

  loop::VirtualClock clock_;
  loop::EventLoop loop_{clock_};
  std::shared_ptr<ChannelStandIn> channel_ = std::make_shared<ChannelStandIn>(loop_);
  std::shared_ptr<RecordingEvents> events_ = std::make_shared<RecordingEvents>();
};

TEST_F(ChannelAnswers, ConnectIsAnsweredFromTheLoopWithTheDevicesCodes) {
  EXPECT_TRUE(channel_->ConnectRequest(events_, "c1", "<FDT><ConnectRequest/></FDT>"));
  EXPECT_TRUE(events_->log.empty());
  EXPECT_FALSE(channel_->Connected());
  EXPECT_EQ(loop_.RunUntilIdle(), 1u);
  EXPECT_EQ(events_->log, (Lines{"OnConnectResponse(c1, " + kOk165_70 + ")"}));
  EXPECT_TRUE(channel_->Connected());
  ASSERT_EQ(channel_->Requests().size(), 1u);
  EXPECT_EQ(channel_->Requests()[0].kind, "ConnectRequest");
  EXPECT_EQ(channel_->Requests()[0].document, "<FDT><ConnectRequest/></FDT>");
}

TEST_F(ChannelAnswers, ReportsTheIdentitySet) {
  channel_->SetDeviceIdentity(17, 4);
  ASSERT_TRUE(channel_->ConnectRequest(events_, "c1", ""));
  loop_.RunUntilIdle();
  EXPECT_EQ(events_->log, (Lines{R"(OnConnectResponse(c1, <FDT><ConnectResponse result="ok" )"
                                 R"(manufacturerCode="17" deviceTypeCode="4"/></FDT>))"}));
}

TEST_F(ChannelAnswers, DeviceThatDoesNotAnswerFailsTheConnect) {
  channel_->SetConnectFails(true);
  ASSERT_TRUE(channel_->ConnectRequest(events_, "c1", ""));
  loop_.RunUntilIdle();
  EXPECT_EQ(events_->log, (Lines{"OnConnectResponse(c1, " + kConnectError + ")"}));
  EXPECT_FALSE(channel_->Connected());
  EXPECT_TRUE(channel_->ConnectRequest(events_, "c2", ""));  // the line is free
}

TEST_F(ChannelAnswers, RefusedRequestsAnswerFalseAndPostNothing) {
  channel_->SetRefuseConnect(true);
  EXPECT_FALSE(channel_->ConnectRequest(events_, "c1", ""));
  EXPECT_FALSE(loop_.HasPending());
  channel_->SetRefuseConnect(false);
  EXPECT_FALSE(channel_->ConnectRequest(nullptr, "c1", ""));  // nobody to answer
  Connect();
  EXPECT_FALSE(channel_->ConnectRequest(events_, "c2", ""));  // one connection at a time
  channel_->SetRefuseDisconnect(true);
  EXPECT_FALSE(channel_->DisconnectRequest("d1", ""));
  EXPECT_TRUE(channel_->Connected());
  EXPECT_FALSE(loop_.HasPending());
  EXPECT_TRUE(events_->log.empty());
}

TEST_F(ChannelAnswers, DisconnectWithoutConnectionIsRefused) {
  EXPECT_FALSE(channel_->DisconnectRequest("d1", ""));
  EXPECT_FALSE(loop_.HasPending());
}

TEST_F(ChannelAnswers, DisconnectFreesTheLineAtOnceAndAnswersLater) {
  Connect();
  EXPECT_TRUE(channel_->DisconnectRequest("d1", ""));
  EXPECT_FALSE(channel_->Connected());
  EXPECT_TRUE(events_->log.empty());
  loop_.RunUntilIdle();
  EXPECT_EQ(events_->log, (Lines{"OnDisconnectResponse(d1, " + kDisconnected + ")"}));
}

TEST_F(ChannelAnswers, DisconnectWhileConnectingWithdrawsTheConnectAnswer) {
  ASSERT_TRUE(channel_->ConnectRequest(events_, "c1", ""));
  EXPECT_TRUE(channel_->DisconnectRequest("d1", ""));
  loop_.RunUntilIdle();
  EXPECT_EQ(events_->log, (Lines{"OnDisconnectResponse(d1, " + kDisconnected + ")"}));
  EXPECT_FALSE(channel_->Connected());
}

TEST_F(ChannelAnswers, SilentChannelAcceptsAndNeverAnswers) {
  channel_->SetSilent(true);
  EXPECT_TRUE(channel_->ConnectRequest(events_, "c1", ""));
  EXPECT_TRUE(channel_->DisconnectRequest("d1", ""));
  loop_.RunFor(std::chrono::hours(1));
  EXPECT_TRUE(events_->log.empty());
}

TEST_F(ChannelAnswers, DroppedConnectionIsReportedAsAbortOfTheConnection) {
  EXPECT_FALSE(channel_->DropConnection());
  Connect();
  EXPECT_TRUE(channel_->DropConnection());
  EXPECT_FALSE(channel_->Connected());
  EXPECT_TRUE(events_->log.empty());
  loop_.RunUntilIdle();
  EXPECT_EQ(events_->log, (Lines{"OnAbort(c1)"}));
}

TEST_F(ChannelAnswers, DropWhileConnectingReplacesTheConnectAnswer) {
  ASSERT_TRUE(channel_->ConnectRequest(events_, "c1", ""));
  EXPECT_TRUE(channel_->DropConnection());
  loop_.RunUntilIdle();
  EXPECT_EQ(events_->log, (Lines{"OnAbort(c1)"}));
}

TEST_F(ChannelAnswers, AbortWithdrawsTheAnswerStillDue) {
  Connect();
  ASSERT_TRUE(channel_->DisconnectRequest("d1", ""));
  EXPECT_TRUE(channel_->Abort("d1"));
  loop_.RunUntilIdle();
  EXPECT_TRUE(events_->log.empty());
}

TEST_F(ChannelAnswers, TransactionsNeedADeviceBehindTheChannel) {
  Connect();
  EXPECT_FALSE(channel_->TransactionRequest("t1", "<FDT/>"));
  EXPECT_FALSE(loop_.HasPending());
}

TEST_F(ChannelAnswers, DeviceBehindTheChannelAnswersTransactionsFromTheLoop) {
  Lines device_log;
  channel_->SetTransactionHandler([&](const std::string& request) -> std::optional<std::string> {
    device_log.push_back(request);
    if (request == "mute") return std::nullopt;
    return "answer to " + request;
  });
  EXPECT_FALSE(channel_->TransactionRequest("t0", "cmd0"));  // not connected
  Connect();
  EXPECT_TRUE(channel_->TransactionRequest("t1", "cmd1"));
  EXPECT_TRUE(channel_->TransactionRequest("t2", "mute"));
  EXPECT_TRUE(device_log.empty());  // the device works later
  loop_.RunUntilIdle();
  EXPECT_EQ(device_log, (Lines{"cmd1", "mute"}));
  EXPECT_EQ(events_->log, (Lines{"OnTransactionResponse(t1, answer to cmd1)"}));
}

// The device's answers with a latency on the line; each records the clock
// time at which the device worked on its request.
class ChannelLatency : public ChannelAnswers {
 protected:
  void SetUp() override {
    channel_->SetTransactionHandler([this](
                                        const std::string& request) -> std::optional<std::string> {
      const auto at =
          std::chrono::duration_cast<std::chrono::milliseconds>(clock_.Now().time_since_epoch());
      device_log_.push_back(request + "@" + std::to_string(at.count()));
      return "answer to " + request;
    });
    Connect();
  }
  Lines device_log_;
};

TEST_F(ChannelLatency, AnswerIsDueAfterTheLatency) {
  channel_->SetTransactionLatency(std::chrono::milliseconds(200));
  ASSERT_TRUE(channel_->TransactionRequest("t1", "cmd1"));
  loop_.RunFor(std::chrono::milliseconds(199));
  EXPECT_TRUE(events_->log.empty());
  loop_.RunFor(std::chrono::milliseconds(1));
  EXPECT_EQ(device_log_, (Lines{"cmd1@200"}));
  EXPECT_EQ(events_->log, (Lines{"OnTransactionResponse(t1, answer to cmd1)"}));
}

TEST_F(ChannelLatency, TransactionsTakeTheLineOneAfterAnother) {
  channel_->SetTransactionLatency(std::chrono::milliseconds(200));
  ASSERT_TRUE(channel_->TransactionRequest("t1", "cmd1"));
  ASSERT_TRUE(channel_->TransactionRequest("t2", "cmd2"));
  clock_.Advance(std::chrono::milliseconds(100));
  ASSERT_TRUE(channel_->TransactionRequest("t3", "cmd3"));
  loop_.RunFor(std::chrono::seconds(1));
  EXPECT_EQ(device_log_, (Lines{"cmd1@200", "cmd2@400", "cmd3@600"}));
  // A request on a free line waits only for itself.
  ASSERT_TRUE(channel_->TransactionRequest("t4", "cmd4"));
  loop_.RunFor(std::chrono::seconds(1));
  EXPECT_EQ(device_log_.back(), "cmd4@1300");
}

TEST_F(ChannelLatency, WithoutLatencyTheAnswerComesAtOnce) {
  ASSERT_TRUE(channel_->TransactionRequest("t1", "cmd1"));
  EXPECT_EQ(loop_.RunUntilIdle(), 1u);
  EXPECT_EQ(device_log_, (Lines{"cmd1@0"}));
}

TEST_F(ChannelLatency, ConnectionEndedBeforeTheAnswerGetsNone) {
  channel_->SetTransactionLatency(std::chrono::milliseconds(200));
  ASSERT_TRUE(channel_->TransactionRequest("t1", "cmd1"));
  ASSERT_TRUE(channel_->DisconnectRequest("d1", ""));
  loop_.RunFor(std::chrono::seconds(1));
  EXPECT_TRUE(device_log_.empty());  // the device never got the request
  EXPECT_EQ(events_->log, (Lines{"OnDisconnectResponse(d1, " + kDisconnected + ")"}));
}

TEST_F(ChannelLatency, AbortWithdrawsATransactionOnTheLine) {
  channel_->SetTransactionLatency(std::chrono::milliseconds(200));
  ASSERT_TRUE(channel_->TransactionRequest("t1", "cmd1"));
  ASSERT_TRUE(channel_->TransactionRequest("t2", "cmd2"));
  EXPECT_TRUE(channel_->Abort("t1"));
  loop_.RunFor(std::chrono::seconds(1));
  EXPECT_EQ(device_log_, (Lines{"cmd2@400"}));
  EXPECT_EQ(events_->log, (Lines{"OnTransactionResponse(t2, answer to cmd2)"}));
}

TEST_F(ChannelAnswers, AnswerForAVanishedDTMGoesNowhere) {
  ASSERT_TRUE(channel_->ConnectRequest(events_, "c1", ""));
  events_.reset();  // the channel holds its callback weakly
  EXPECT_EQ(loop_.RunUntilIdle(), 1u);
}

TEST_F(ChannelAnswers, VanishedChannelWithdrawsItsAnswers) {
  ASSERT_TRUE(channel_->ConnectRequest(events_, "c1", ""));
  channel_.reset();
  EXPECT_EQ(loop_.RunUntilIdle(), 0u);
  EXPECT_TRUE(events_->log.empty());
}

// The runtime's communication manager on the stand-in: both sides agree
// on the answers' format and on their timing.
class ChannelWithRuntime : public runtime::fakes::RuntimeFixture {
 protected:
  ChannelWithRuntime() {
    comm().SetSupportedIdentity(165, 70);
    comm().SetCommunication(channel_);
    comm().Attach();
  }
  runtime::CommMan& comm() { return context_->CommMan(); }

  std::shared_ptr<ChannelStandIn> channel_ = std::make_shared<ChannelStandIn>(loop_);
  std::shared_ptr<runtime::fakes::FakeProcessSink> sink_ =
      std::make_shared<runtime::fakes::FakeProcessSink>("sink", log_);
};

TEST_F(ChannelWithRuntime, ConnectsAndDisconnectsThroughTheLoop) {
  ASSERT_TRUE(comm().Connect("c1"));
  loop_.RunUntilIdle();
  EXPECT_TRUE(comm().IsConnected());
  EXPECT_EQ(comm_object_->ManufacturerCode(), 165);
  ASSERT_TRUE(comm().StartDisconnect("d1", sink_));
  loop_.RunUntilIdle();
  EXPECT_FALSE(comm().ConnectionOpen());
  EXPECT_EQ(log_, (Lines{"sink.Finished(d1,True)"}));
}

TEST_F(ChannelWithRuntime, OtherDeviceIsRefusedAndTheLineFreed) {
  channel_->SetDeviceIdentity(165, 71);
  ASSERT_TRUE(comm().Connect("c1"));
  loop_.RunUntilIdle();
  EXPECT_FALSE(comm().ConnectionOpen());
  EXPECT_FALSE(channel_->Connected());
}

TEST_F(ChannelWithRuntime, LostLineClosesTheConnection) {
  ASSERT_TRUE(comm().Connect("c1"));
  loop_.RunUntilIdle();
  channel_->DropConnection();
  loop_.RunUntilIdle();
  EXPECT_FALSE(comm().ConnectionOpen());
}

}  // namespace
}  // namespace dtm::frame
