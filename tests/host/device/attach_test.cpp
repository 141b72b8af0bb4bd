// The simulated device behind the frame's channel: transaction documents
// in, transaction documents out, on the loop's time.

#include "host/device/attach.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/loop/event_loop.h"
#include "platform/runtime/hart_frame.h"
#include "tests/host/device/device_fixture.h"

namespace dtm::device {
namespace {

using std::chrono::milliseconds;
using test::Bytes;
using Lines = std::vector<std::string>;

// The DTM's side: keeps the transaction answers and notes the aborts.
class DtmSide final : public com::Object, public IFdtCommunicationEvents {
 public:
  void IFdtCommunicationEvents_OnAbort(const std::string& invoke_id) override {
    log.push_back("OnAbort(" + invoke_id + ")");
  }
  void IFdtCommunicationEvents_OnConnectResponse(const std::string&, const std::string&) override {}
  void IFdtCommunicationEvents_OnDisconnectResponse(const std::string&,
                                                    const std::string&) override {}
  void IFdtCommunicationEvents_OnTransactionResponse(const std::string& invoke_id,
                                                     const std::string& response) override {
    log.push_back("OnTransactionResponse(" + invoke_id + ")");
    answers.push_back(response);
  }
  Lines log;
  std::vector<std::string> answers;
};

class DeviceBehindChannel : public ::testing::Test {
 protected:
  DeviceBehindChannel() {
    AttachDevice(*channel_, device_);
    EXPECT_TRUE(channel_->ConnectRequest(dtm_, "c1", "<FDT/>"));
    loop_.RunUntilIdle();
    EXPECT_TRUE(channel_->Connected());
  }

  // The answer document `index`, decoded.
  runtime::HartResponse Answer(std::size_t index) {
    runtime::HartResponse response;
    EXPECT_LT(index, dtm_->answers.size());
    if (index < dtm_->answers.size()) {
      EXPECT_TRUE(runtime::ParseTransactionResponseXml(dtm_->answers[index], response))
          << dtm_->answers[index];
    }
    return response;
  }

  loop::VirtualClock clock_;
  loop::EventLoop loop_{clock_};
  SimDevice device_{clock_, test::DefaultProfile()};
  std::shared_ptr<frame::ChannelStandIn> channel_ = std::make_shared<frame::ChannelStandIn>(loop_);
  std::shared_ptr<DtmSide> dtm_ = std::make_shared<DtmSide>();
};

TEST_F(DeviceBehindChannel, AnswersARequestDocument) {
  ASSERT_TRUE(channel_->TransactionRequest(
      "t1", R"(<FDT><TransactionRequest command="128" data="3D3E3F3F"/></FDT>)"));
  EXPECT_TRUE(device_.Received().empty());  // the device works when the loop gets to it
  loop_.RunUntilIdle();
  EXPECT_EQ(device_.Received(), (std::vector<runtime::HartRequest>{{128, {61, 62, 63, 63}}}));
  EXPECT_EQ(dtm_->log, (Lines{"OnTransactionResponse(t1)"}));
  const runtime::HartResponse answer = Answer(0);
  EXPECT_EQ(answer.command, 128);
  EXPECT_EQ(answer.response_code, 0);
  EXPECT_EQ(answer.device_status, 0);
  EXPECT_EQ(answer.data, (Bytes{0x3D, 0x42, 0xB4, 0x00, 0x00, 0x3E, 0x00, 0x00, 0x00, 0x00,
                                0x3F, 0x42, 0x70, 0x00, 0x00, 0x3F, 0x42, 0x70, 0x00, 0x00}));
}

// A frame polling for days: the channel and the device keep their latest
// requests only, not one record per transaction ever sent.
TEST_F(DeviceBehindChannel, RecordsOfRequestsStayBoundedOverALongRun) {
  for (int i = 1; i <= 2500; ++i) {
    ASSERT_TRUE(channel_->TransactionRequest("t" + std::to_string(i),
                                             R"(<FDT><TransactionRequest command="0"/></FDT>)"));
    loop_.RunUntilIdle();
  }
  EXPECT_EQ(dtm_->log.size(), 2500u);
  EXPECT_EQ(device_.HandledCount(), 2500u);
  // Full at 2000, the older 1000 went; 500 came since.
  EXPECT_EQ(device_.Received().size(), 1500u);
  // The connect request and 2500 transactions: the first 1000 went.
  ASSERT_EQ(channel_->Requests().size(), 1501u);
  EXPECT_EQ(channel_->Requests().front().invoke_id, "t1000");
  EXPECT_EQ(channel_->Requests().back().invoke_id, "t2500");
  EXPECT_EQ(channel_->Requests().back().kind, "TransactionRequest");
}

TEST_F(DeviceBehindChannel, RequestWithoutDataReachesTheDevice) {
  ASSERT_TRUE(
      channel_->TransactionRequest("t1", R"(<FDT><TransactionRequest command="0"/></FDT>)"));
  loop_.RunUntilIdle();
  EXPECT_EQ(Answer(0).data,
            (Bytes{0xFE, 0xA5, 0x46, 0x05, 0x05, 0x01, 0x03, 0x01, 0x00, 0x01, 0xE2, 0x40}));
}

TEST_F(DeviceBehindChannel, ErrorCodeAndStatusTravelInTheAnswer) {
  ASSERT_TRUE(channel_->TransactionRequest(
      "t1", R"(<FDT><TransactionRequest command="129" data="0A41480000"/></FDT>)"));
  ASSERT_TRUE(channel_->TransactionRequest(
      "t2", R"(<FDT><TransactionRequest command="129" data="0A43800000"/></FDT>)"));
  loop_.RunUntilIdle();
  const runtime::HartResponse accepted = Answer(0);
  EXPECT_EQ(accepted.response_code, 0);
  EXPECT_EQ(accepted.device_status, 0x40);
  EXPECT_EQ(accepted.data, (Bytes{0x0A, 0x41, 0x48, 0x00, 0x00}));
  const runtime::HartResponse refused = Answer(1);
  EXPECT_EQ(refused.response_code, 3);
  EXPECT_TRUE(refused.data.empty());
}

TEST_F(DeviceBehindChannel, SilentDeviceAnswersWithoutResponseCode) {
  device_.InjectNoResponse(1);
  ASSERT_TRUE(
      channel_->TransactionRequest("t1", R"(<FDT><TransactionRequest command="0"/></FDT>)"));
  loop_.RunUntilIdle();
  ASSERT_EQ(dtm_->log, (Lines{"OnTransactionResponse(t1)"}));
  const runtime::HartResponse answer = Answer(0);
  EXPECT_EQ(answer.command, 0);
  EXPECT_EQ(answer.response_code, std::nullopt);
}

TEST_F(DeviceBehindChannel, DocumentThatIsNoRequestGetsNoAnswer) {
  ASSERT_TRUE(
      channel_->TransactionRequest("t1", "<FDT><TransactionResponse command=\"0\"/></FDT>"));
  ASSERT_TRUE(channel_->TransactionRequest("t2", "not xml"));
  loop_.RunUntilIdle();
  EXPECT_TRUE(dtm_->log.empty());
  EXPECT_TRUE(device_.Received().empty());
}

TEST_F(DeviceBehindChannel, LineBreakDropsTheConnection) {
  device_.InjectLineBreak(136);
  ASSERT_TRUE(
      channel_->TransactionRequest("t1", R"(<FDT><TransactionRequest command="0"/></FDT>)"));
  ASSERT_TRUE(
      channel_->TransactionRequest("t2", R"(<FDT><TransactionRequest command="136"/></FDT>)"));
  ASSERT_TRUE(
      channel_->TransactionRequest("t3", R"(<FDT><TransactionRequest command="0"/></FDT>)"));
  loop_.RunUntilIdle();
  EXPECT_EQ(dtm_->log, (Lines{"OnTransactionResponse(t1)", "OnAbort(c1)"}));
  EXPECT_FALSE(channel_->Connected());
  EXPECT_EQ(device_.Received().size(), 2u);  // t3 never reached the device
  EXPECT_FALSE(
      channel_->TransactionRequest("t4", R"(<FDT><TransactionRequest command="0"/></FDT>)"));
}

TEST_F(DeviceBehindChannel, DroppedConnectionWithdrawsTheAnswerOnTheLine) {
  channel_->SetTransactionLatency(milliseconds(500));
  ASSERT_TRUE(
      channel_->TransactionRequest("t1", R"(<FDT><TransactionRequest command="0"/></FDT>)"));
  clock_.Advance(milliseconds(100));
  ASSERT_TRUE(channel_->DropConnection());
  loop_.RunFor(std::chrono::seconds(2));
  EXPECT_EQ(dtm_->log, (Lines{"OnAbort(c1)"}));
  EXPECT_TRUE(device_.Received().empty());
}

TEST_F(DeviceBehindChannel, DeviceSeesTheTimeItsAnswerIsDue) {
  // Busy for 400 ms; each transaction takes 250 ms on the line.
  device_.InjectBusyFor(milliseconds(400));
  channel_->SetTransactionLatency(milliseconds(250));
  ASSERT_TRUE(
      channel_->TransactionRequest("t1", R"(<FDT><TransactionRequest command="0"/></FDT>)"));
  ASSERT_TRUE(
      channel_->TransactionRequest("t2", R"(<FDT><TransactionRequest command="0"/></FDT>)"));
  loop_.RunFor(milliseconds(249));
  EXPECT_TRUE(dtm_->log.empty());
  loop_.RunFor(milliseconds(1));
  ASSERT_EQ(dtm_->log, (Lines{"OnTransactionResponse(t1)"}));
  EXPECT_EQ(Answer(0).response_code, 32);  // at 250 ms
  loop_.RunFor(milliseconds(250));
  ASSERT_EQ(dtm_->log.size(), 2u);
  EXPECT_EQ(Answer(1).response_code, 0);  // at 500 ms
}

}  // namespace
}  // namespace dtm::device
