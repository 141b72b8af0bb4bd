#include "platform/runtime/comm.h"

#include <gtest/gtest.h>

#include <ostream>

#include "platform/runtime/process_man.h"
#include "tests/platform/runtime/fakes.h"

namespace dtm::runtime {
namespace {

using fakes::CallLog;

std::string ConnectResponse(const char* result, int manufacturer, int device_type) {
  return std::string("<FDT><ConnectResponse result=\"") + result + "\" manufacturerCode=\"" +
         std::to_string(manufacturer) + "\" deviceTypeCode=\"" + std::to_string(device_type) +
         "\"/></FDT>";
}

const std::string kOk = ConnectResponse("ok", 165, 70);

// A manager attached to a fake channel; the DTM supports device 165/70.
// The tests play the frame's answers through the DTM, as a frame would.
class CommManConnection : public fakes::RuntimeFixture {
 protected:
  CommManConnection() {
    comm().SetSupportedIdentity(165, 70);
    comm().SetCommunication(channel_);
    comm().Attach();
  }
  CommMan& comm() { return context_->CommMan(); }
  void Open() {
    ASSERT_TRUE(comm().Connect("c1"));
    dtm_->IFdtCommunicationEvents_OnConnectResponse("c1", kOk);
    ASSERT_TRUE(comm().IsConnected());
    log_.clear();
  }

  std::shared_ptr<fakes::FakeChannel> channel_ = std::make_shared<fakes::FakeChannel>(log_);
  std::shared_ptr<fakes::FakeProcessSink> sink_ =
      std::make_shared<fakes::FakeProcessSink>("sink", log_);
};

TEST_F(CommManConnection, AttachNeedsACommunicationChannel) {
  comm().SetCommunication(nullptr);
  EXPECT_FALSE(comm().Attach());
  comm().SetCommunication(std::make_shared<com::Object>());  // no IFdtCommunication
  EXPECT_FALSE(comm().Attach());
  EXPECT_FALSE(comm().Connect("c1"));
  comm().SetCommunication(channel_);
  EXPECT_TRUE(comm().Attach());
  EXPECT_TRUE(log_.empty());
}

TEST_F(CommManConnection, ConnectAsksTheFrameWithTheDTMAsCallback) {
  EXPECT_TRUE(comm().Connect("c1"));
  EXPECT_EQ(log_, (CallLog{"Channel.ConnectRequest(c1)"}));
  EXPECT_EQ(channel_->callback, dtm_);
  EXPECT_TRUE(comm().ConnectionOpen());
  EXPECT_FALSE(comm().IsConnected());
  EXPECT_EQ(comm().Online(), nullptr);
  EXPECT_FALSE(comm().Connect("c2"));  // one connection at a time
}

TEST_F(CommManConnection, RefusedConnectLeavesTheConnectionClosed) {
  channel_->connect_answer = false;
  EXPECT_FALSE(comm().Connect("c1"));
  EXPECT_FALSE(comm().ConnectionOpen());
  channel_->connect_answer = true;
  EXPECT_TRUE(comm().Connect("c2"));  // and a new attempt may follow
}

TEST_F(CommManConnection, OkResponseOpensAndIdentifiesTheDevice) {
  ASSERT_TRUE(comm().Connect("c1"));
  dtm_->IFdtCommunicationEvents_OnConnectResponse("c1", kOk);
  EXPECT_TRUE(comm().IsConnected());
  EXPECT_TRUE(comm().ConnectOk());
  EXPECT_EQ(comm_object_->ManufacturerCode(), 165);
  EXPECT_EQ(comm_object_->DeviceTypeCode(), 70);
  EXPECT_EQ(comm().Online(), channel_);
}

TEST_F(CommManConnection, ResponseToAnotherRequestIsIgnored) {
  ASSERT_TRUE(comm().Connect("c1"));
  dtm_->IFdtCommunicationEvents_OnConnectResponse("other", kOk);
  EXPECT_TRUE(comm().ConnectionOpen());
  EXPECT_FALSE(comm().IsConnected());
}

// Connect answers that end with no connection.
struct FailedConnectCase {
  const char* name;
  std::string response;
};
const FailedConnectCase kFailedConnects[] = {
    {"Error", ConnectResponse("error", 165, 70)},
    {"Unreadable", "<FDT><ConnectResponse result=\"ok\""},
    {"NoConnectResponse", "<FDT><DisconnectResponse result=\"ok\"/></FDT>"},
    {"Empty", ""},
};

class CommManFailedConnect : public CommManConnection,
                             public ::testing::WithParamInterface<FailedConnectCase> {};

TEST_P(CommManFailedConnect, EndsClosed) {
  ASSERT_TRUE(comm().Connect("c1"));
  dtm_->IFdtCommunicationEvents_OnConnectResponse("c1", GetParam().response);
  EXPECT_FALSE(comm().ConnectionOpen());
  EXPECT_FALSE(comm().ConnectOk());
  EXPECT_EQ(log_, (CallLog{"Channel.ConnectRequest(c1)"}));  // nothing to disconnect
}

INSTANTIATE_TEST_SUITE_P(Table, CommManFailedConnect, ::testing::ValuesIn(kFailedConnects),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(CommManConnection, AnotherDeviceIsDroppedUnlessTheDTMAcceptsIt) {
  bool raised = false;
  comm_object_->ConnectionIsValidated = [&](bool& accept) {
    raised = true;
    EXPECT_FALSE(accept);  // the handler gets a refusal to overturn
  };
  ASSERT_TRUE(comm().Connect("c1"));
  dtm_->IFdtCommunicationEvents_OnConnectResponse("c1", ConnectResponse("ok", 165, 71));
  EXPECT_TRUE(raised);
  EXPECT_FALSE(comm().ConnectionOpen());
  EXPECT_FALSE(comm().ConnectOk());
  EXPECT_EQ(log_, (CallLog{"Channel.ConnectRequest(c1)", "Channel.DisconnectRequest"}));
  EXPECT_EQ(comm_object_->DeviceTypeCode(), 71);  // the DTM may tell the user what it found

  comm_object_->ConnectionIsValidated = [](bool& accept) { accept = true; };
  ASSERT_TRUE(comm().Connect("c2"));
  dtm_->IFdtCommunicationEvents_OnConnectResponse("c2", ConnectResponse("ok", 17, 70));
  EXPECT_TRUE(comm().IsConnected());
  EXPECT_TRUE(comm().ConnectOk());
}

// The connection state through its life: ConnectOk answers what IsConnected
// does at every step, also after a connection that stood has ended.
enum class Step { kNone, kConnecting, kOpen, kDisconnecting, kDisconnected, kAborted };

struct ConnectStateCase {
  const char* name;
  Step step;
  bool open;       // ConnectionOpen
  bool connected;  // IsConnected and ConnectOk
};
void PrintTo(const ConnectStateCase& c, std::ostream* os) { *os << c.name; }

const ConnectStateCase kConnectStates[] = {
    {"NeverConnected", Step::kNone, false, false},
    {"Connecting", Step::kConnecting, true, false},
    {"Open", Step::kOpen, true, true},
    {"Disconnecting", Step::kDisconnecting, true, false},
    {"Disconnected", Step::kDisconnected, false, false},
    {"LostByAbort", Step::kAborted, false, false},
};

class CommManConnectState : public CommManConnection,
                            public ::testing::WithParamInterface<ConnectStateCase> {};

TEST_P(CommManConnectState, ConnectOkIsIsConnected) {
  switch (GetParam().step) {
    case Step::kNone:
      break;
    case Step::kConnecting:
      ASSERT_TRUE(comm().Connect("c1"));
      break;
    case Step::kOpen:
      Open();
      break;
    case Step::kDisconnecting:
      Open();
      ASSERT_TRUE(comm().StartDisconnect("d1", sink_));
      break;
    case Step::kDisconnected:
      Open();
      ASSERT_TRUE(comm().Disconnect());
      break;
    case Step::kAborted:
      Open();
      dtm_->IFdtCommunicationEvents_OnAbort("c1");
      break;
  }
  EXPECT_EQ(comm().ConnectionOpen(), GetParam().open);
  EXPECT_EQ(comm().IsConnected(), GetParam().connected);
  EXPECT_EQ(comm().ConnectOk(), GetParam().connected);
}

INSTANTIATE_TEST_SUITE_P(Table, CommManConnectState, ::testing::ValuesIn(kConnectStates),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(CommManConnection, DisconnectClosesAtOnceUnderANewId) {
  Open();
  EXPECT_TRUE(comm().Disconnect());
  EXPECT_FALSE(comm().ConnectionOpen());
  ASSERT_EQ(channel_->disconnect_ids.size(), 1u);
  EXPECT_NE(channel_->disconnect_ids[0], "c1");
  EXPECT_FALSE(channel_->disconnect_ids[0].empty());
  // The frame's late answer changes nothing.
  dtm_->IFdtCommunicationEvents_OnDisconnectResponse(channel_->disconnect_ids[0], "");
  EXPECT_FALSE(comm().ConnectionOpen());
  EXPECT_EQ(loop_.RunUntilIdle(), 0u);
}

TEST_F(CommManConnection, RefusedDisconnectKeepsTheConnection) {
  Open();
  channel_->disconnect_answer = false;
  EXPECT_FALSE(comm().Disconnect());
  EXPECT_TRUE(comm().IsConnected());
}

TEST_F(CommManConnection, StartDisconnectNeedsAStandingConnection) {
  EXPECT_FALSE(comm().StartDisconnect("d1", sink_));
  ASSERT_TRUE(comm().Connect("c1"));
  EXPECT_FALSE(comm().StartDisconnect("d1", sink_));  // still connecting
  EXPECT_EQ(log_, (CallLog{"Channel.ConnectRequest(c1)"}));
}

TEST_F(CommManConnection, RefusedStartDisconnectStaysOpenAndNeverReports) {
  Open();
  channel_->disconnect_answer = false;
  EXPECT_FALSE(comm().StartDisconnect("d1", sink_));
  EXPECT_TRUE(comm().IsConnected());
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (CallLog{"Channel.DisconnectRequest"}));
}

TEST_F(CommManConnection, StartDisconnectEndIsPostedAfterTheFramesAnswer) {
  Open();
  ASSERT_TRUE(comm().StartDisconnect("d1", sink_));
  EXPECT_EQ(channel_->disconnect_ids, (std::vector<std::string>{"d1"}));
  EXPECT_TRUE(comm().ConnectionOpen());
  EXPECT_FALSE(comm().IsConnected());
  EXPECT_EQ(comm().Online(), nullptr);

  dtm_->IFdtCommunicationEvents_OnDisconnectResponse("other", "");
  EXPECT_TRUE(comm().ConnectionOpen());

  // The sink checks the connection is closed when it hears the end.
  sink_->on_finished = [&] { EXPECT_FALSE(comm().ConnectionOpen()); };
  dtm_->IFdtCommunicationEvents_OnDisconnectResponse("d1", "");
  EXPECT_FALSE(comm().ConnectionOpen());
  EXPECT_EQ(log_, (CallLog{"Channel.DisconnectRequest"}));  // not inside the answer
  EXPECT_EQ(loop_.RunUntilIdle(), 1u);
  EXPECT_EQ(log_, (CallLog{"Channel.DisconnectRequest", "sink.Finished(d1,True)"}));
}

TEST_F(CommManConnection, AbortEndsTheConnection) {
  Open();
  dtm_->IFdtCommunicationEvents_OnAbort("c1");
  EXPECT_FALSE(comm().ConnectionOpen());
  EXPECT_EQ(comm().Online(), nullptr);
  EXPECT_TRUE(comm().Connect("c2"));  // a new connection may be opened
}

TEST_F(CommManConnection, AbortDuringStartDisconnectStillEndsItOnce) {
  Open();
  ASSERT_TRUE(comm().StartDisconnect("d1", sink_));
  dtm_->IFdtCommunicationEvents_OnAbort("c1");
  EXPECT_FALSE(comm().ConnectionOpen());
  dtm_->IFdtCommunicationEvents_OnDisconnectResponse("d1", "");  // arrives after all
  EXPECT_EQ(log_, (CallLog{"Channel.DisconnectRequest"}));
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (CallLog{"Channel.DisconnectRequest", "sink.Finished(d1,True)"}));
}

TEST_F(CommManConnection, AbortWhileConnectingFailsTheAttempt) {
  ASSERT_TRUE(comm().Connect("c1"));
  dtm_->IFdtCommunicationEvents_OnAbort("c1");
  dtm_->IFdtCommunicationEvents_OnConnectResponse("c1", kOk);  // too late
  EXPECT_FALSE(comm().ConnectionOpen());
  EXPECT_FALSE(comm().ConnectOk());
}

TEST_F(CommManConnection, ReplacingTheCommunicationDetachesAndDropsTheConnection) {
  Open();
  auto other = std::make_shared<fakes::FakeChannel>(log_);
  comm().SetCommunication(other);
  EXPECT_FALSE(comm().Attached());
  EXPECT_FALSE(comm().ConnectionOpen());
  EXPECT_EQ(comm().Communication(), other);
}

// Runs of the process manager over an empty parameter collection: no
// element takes part, so every process ends as soon as the loop runs.
class ProcessManRuns : public fakes::RuntimeFixture {
 protected:
  ProcessManRuns() { context_->CommMan().SetCommunication(channel_); }
  ProcessMan& processes() { return context_->ProcessMan(); }
  bool Start(const std::string& id, bool download) {
    return processes().StartProcess(id, "", download, 0, true, true, sink_);
  }

  std::shared_ptr<fakes::FakeChannel> channel_ = std::make_shared<fakes::FakeChannel>(log_);
  std::shared_ptr<fakes::FakeProcessSink> sink_ =
      std::make_shared<fakes::FakeProcessSink>("sink", log_);
};

TEST_F(ProcessManRuns, NeedsACommunication) {
  context_->CommMan().SetCommunication(nullptr);
  EXPECT_FALSE(Start("u1", false));
  EXPECT_EQ(processes().State(), 0);
  EXPECT_EQ(loop_.RunUntilIdle(), 0u);
}

TEST_F(ProcessManRuns, EndIsPostedAndStateHoldsDuringIt) {
  std::vector<std::int32_t> state_at_end;
  sink_->on_finished = [&] { state_at_end.push_back(processes().State()); };
  ASSERT_TRUE(Start("u1", false));
  ASSERT_TRUE(Start("d1", true));
  EXPECT_FALSE(Start("u1", false));  // that id runs
  EXPECT_EQ(processes().State(), 3);
  EXPECT_TRUE(log_.empty());
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (CallLog{"sink.Finished(u1,True)", "sink.Finished(d1,True)"}));
  EXPECT_EQ(state_at_end, (std::vector<std::int32_t>{3, 2}));
  EXPECT_EQ(processes().State(), 0);
}

TEST_F(ProcessManRuns, CancelledProcessReportsNoEnd) {
  ASSERT_TRUE(Start("d1", true));
  EXPECT_TRUE(processes().CancelProcess("d1"));
  EXPECT_FALSE(processes().CancelProcess("d1"));
  EXPECT_FALSE(processes().CancelProcess("unknown"));
  EXPECT_EQ(processes().State(), 0);
  loop_.RunUntilIdle();
  EXPECT_TRUE(log_.empty());
}

}  // namespace
}  // namespace dtm::runtime
