// Transfers of the runtime: the process manager's processes and the pages'
// ParamProcess, run by the communication manager over the frame's channel
// stand-in, with a data model that records what it is asked to do.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "host/frame/channel.h"
#include "platform/runtime/comm.h"
#include "platform/runtime/hart_frame.h"
#include "platform/runtime/hart_transaction.h"
#include "platform/runtime/param_process.h"
#include "platform/runtime/process_man.h"
#include "tests/platform/runtime/fakes.h"

namespace dtm::runtime {
namespace {

using fakes::CallLog;
using fakes::FakeElement;
using std::chrono::milliseconds;
using std::chrono::seconds;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

// What the data model found in a transaction it was asked to read.
struct Seen {
  com::Variant command, response_code, device_status, comm_status, response_data;
  std::int32_t flags = 0;  // the element's status flags at that moment
};

// A connected runtime on the channel stand-in (device 165/70). The data
// model codes each element as the command `commands_` gives it, with the
// data of `request_data_`; it logs "Build(<name>,<write>)" and
// "Read(<name>,<write>)". The device logs "Device(<command>)" and answers
// from `device_`, by default response code 0 echoing the request data.
class TransferFixture : public fakes::RuntimeFixture {
 protected:
  TransferFixture() {
    comm().SetSupportedIdentity(165, 70);
    comm().SetCommunication(channel_);
    comm().Attach();
    channel_->SetTransactionHandler([this](const std::string& request) { return Device(request); });
    model_->on_build = [this](DTMContext&, HartTransaction& transaction, bool write,
                              const DataElementPtr& element) {
      const std::string name = element->IPrivateDataElement_Name();
      log_.push_back("Build(" + name + "," + fakes::Text(write) + ")");
      if (build_raises_.count(name) != 0) throw com::ComError(13, "Type mismatch", "Fake model");
      const auto command = commands_.find(name);
      if (command == commands_.end()) return false;
      transaction.Command = com::Variant(static_cast<std::int16_t>(command->second));
      const auto data = request_data_.find(name);
      if (data != request_data_.end()) transaction.RequestData = com::Variant(data->second);
      return true;
    };
    model_->on_read = [this](DTMContext& context, HartTransaction& transaction, bool write,
                             const DataElementPtr& element) {
      const std::string name = element->IPrivateDataElement_Name();
      log_.push_back("Read(" + name + "," + fakes::Text(write) + ")");
      seen_.push_back({transaction.Command, transaction.ResponseCode, transaction.DeviceStatus,
                       transaction.CommStatus, transaction.ResponseData,
                       element->IPrivateDataElement_StatusFlags()});
      if (repeats_[name] > 0) {
        --repeats_[name];
        context.CommMan().RepeatTransaction();
      }
      if (write_protected_.count(name) != 0) context.CommMan().OnWriteProtected();
      for (const std::int32_t result_class : classes_[name]) {
        context.CommMan().OnResultClass(result_class);
      }
      if (raises_.count(name) != 0) throw com::ComError(6, "Overflow", "Fake model");
      return true;
    };
  }

  CommMan& comm() { return context_->CommMan(); }
  ProcessMan& processes() { return context_->ProcessMan(); }

  // An element of the parameter collection; command -1: the model builds nothing.
  std::shared_ptr<FakeElement> Add(const std::string& name, int command, bool upload,
                                   bool download = false) {
    auto element = fakes::MakeElement(name);
    element->upload = upload;
    element->download = download;
    if (command >= 0) commands_[name] = command;
    context_->Parameters().Add(element);
    return element;
  }

  void Connect() {
    ASSERT_TRUE(comm().Connect("c1"));
    loop_.RunUntilIdle();
    ASSERT_TRUE(comm().IsConnected());
    log_.clear();
  }

  bool Upload(const std::string& id) {
    return processes().StartProcess(id, "", false, 0, true, true, sink_);
  }
  bool Download(const std::string& id) {
    return processes().StartProcess(id, "", true, 0, true, true, sink_);
  }

  // "<name>:<status>" of each result.
  Lines Results(const std::string& process_id) {
    Lines lines;
    for (const ProcessResult& result : comm().GetResults(process_id)) {
      lines.push_back(result.Element->IPrivateDataElement_Name() + ":" +
                      std::to_string(result.Status));
    }
    return lines;
  }

  // The channel's requests of one kind, as documents.
  Lines Sent(const std::string& kind) const {
    Lines documents;
    for (const auto& request : channel_->Requests()) {
      if (request.kind == kind) documents.push_back(request.document);
    }
    return documents;
  }
  std::string LastTransactionId() const {
    std::string id;
    for (const auto& request : channel_->Requests()) {
      if (request.kind == "TransactionRequest") id = request.invoke_id;
    }
    return id;
  }
  std::size_t Finished() const {
    std::size_t count = 0;
    for (const std::string& line : log_) count += line.find(".Finished(") != std::string::npos;
    return count;
  }

  std::optional<std::string> Device(const std::string& document) {
    HartRequest request;
    EXPECT_TRUE(ParseTransactionRequestXml(document, request)) << document;
    log_.push_back("Device(" + std::to_string(request.command) + ")");
    if (device_) return device_(request);
    HartResponse response;
    response.command = request.command;
    response.response_code = 0;
    response.data = request.data;
    return BuildTransactionResponseXml(response);
  }

  std::shared_ptr<frame::ChannelStandIn> channel_ = std::make_shared<frame::ChannelStandIn>(loop_);
  std::shared_ptr<fakes::FakeProcessSink> sink_ =
      std::make_shared<fakes::FakeProcessSink>("sink", log_);
  std::map<std::string, int> commands_;
  std::map<std::string, Bytes> request_data_;
  std::map<std::string, int> repeats_;
  std::map<std::string, bool> write_protected_;
  // The result classes the model reports while it reads an element, in order.
  std::map<std::string, std::vector<std::int32_t>> classes_;
  std::map<std::string, bool> raises_;  // the model's read raises an error
  std::map<std::string, bool> build_raises_;  // the model's build raises an error
  std::function<std::optional<std::string>(const HartRequest&)> device_;
  std::vector<Seen> seen_;
};

// ---------------------------------------------------------------------------

class UploadTransfers : public TransferFixture {};

TEST_F(UploadTransfers, ReadEveryUploadElementInCollectionOrderOneAtATime) {
  Add("A", 1, true);
  Add("B", 2, false);
  Add("C", 3, true);
  Connect();
  std::int32_t state_at_end = -1;
  sink_->on_finished = [&] { state_at_end = processes().State(); };

  ASSERT_TRUE(Upload("u1"));
  EXPECT_TRUE(log_.empty());  // nothing runs inside the start
  EXPECT_EQ(processes().State(), 1);
  loop_.RunUntilIdle();

  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(1)", "Read(A,false)", "Build(C,false)",
                         "Device(3)", "Read(C,false)", "sink.Finished(u1,True)"}));
  EXPECT_EQ(Results("u1"), (Lines{"A:0", "C:0"}));
  EXPECT_EQ(state_at_end, 1);
  EXPECT_EQ(processes().State(), 0);
}

TEST_F(UploadTransfers, GroupElementIsOneTransaction) {
  Add("G/", 130, true);
  Add("G/a", 130, false);
  Add("G/b", 130, false);
  Connect();
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  EXPECT_EQ(log_,
            (Lines{"Build(G/,false)", "Device(130)", "Read(G/,false)", "sink.Finished(u1,True)"}));
  EXPECT_EQ(Results("u1"), (Lines{"G/:0"}));
}

TEST_F(UploadTransfers, ElementTheModelDoesNotBuildIsNotSent) {
  Add("NoCommand", -1, true);
  Add("A", 2, true);
  Add("CommandAbove255", 300, true);
  Connect();
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(NoCommand,false)", "Build(A,false)", "Device(2)", "Read(A,false)",
                         "Build(CommandAbove255,false)", "sink.Finished(u1,True)"}));
  EXPECT_EQ(Results("u1"), (Lines{"A:0"}));
  EXPECT_EQ(Sent("TransactionRequest").size(), 1u);
}

TEST_F(UploadTransfers, ErrorWhileReadingIsReportedUnderTheElementsName) {
  Add("A", 1, true);
  raises_["A"] = true;
  Connect();
  ASSERT_TRUE(Upload("u1"));
  EXPECT_NO_THROW(loop_.RunUntilIdle());
  ASSERT_EQ(messages_.entries.size(), 1u);
  EXPECT_EQ(messages_.entries[0].kind, RecordingMessageSink::Entry::kReport);
  EXPECT_EQ(messages_.entries[0].text, "A: Overflow");
  EXPECT_EQ(log_.back(), "sink.Finished(u1,False)");
}

TEST_F(UploadTransfers, QueuedProcessesSendOneTransactionAtATime) {
  Add("A", 1, true);
  Add("B", 2, false, true);
  Connect();
  std::vector<std::int32_t> state_at_end;
  sink_->on_finished = [&] { state_at_end.push_back(processes().State()); };
  ASSERT_TRUE(Upload("u1"));
  ASSERT_TRUE(Download("d1"));
  EXPECT_EQ(processes().State(), 3);
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(1)", "Read(A,false)", "sink.Finished(u1,True)",
                         "Build(B,true)", "Device(2)", "Read(B,true)", "sink.Finished(d1,True)"}));
  EXPECT_EQ(state_at_end, (std::vector<std::int32_t>{3, 2}));
}

// How far each queued transfer got, as a frame's progress shows it: an
// element not built counts as worked through; an ended transfer leaves.
TEST_F(UploadTransfers, TheQueueTellsTheTransactionsDoneOfThoseQueued) {
  Add("A", 1, true);
  Add("NoCommand", -1, true);
  Add("C", 3, true);
  Add("D", 4, false, true);
  Connect();
  channel_->SetTransactionLatency(milliseconds(100));
  ASSERT_TRUE(Upload("u1"));
  ASSERT_TRUE(Download("d1"));
  using Row = std::tuple<std::string, std::size_t, std::size_t>;
  auto queue = [&] {
    std::vector<Row> rows;
    for (const CommMan::QueuedTransfer& t : comm().QueuedTransfers()) {
      rows.emplace_back(t.process_id, t.done, t.queued);
    }
    return rows;
  };
  EXPECT_EQ(queue(), (std::vector<Row>{{"u1", 0, 3}, {"d1", 0, 1}}));
  ASSERT_TRUE(loop_.RunUntil([&] { return log_.size() == 3; }));  // A read
  loop_.RunFor(milliseconds(1));
  EXPECT_EQ(queue(), (std::vector<Row>{{"u1", 2, 3}, {"d1", 0, 1}}));
  ASSERT_TRUE(loop_.RunUntil([&] { return Finished() == 1; }));
  EXPECT_EQ(queue(), (std::vector<Row>{{"d1", 0, 1}}));
  loop_.RunFor(seconds(5));
  EXPECT_EQ(queue(), (std::vector<Row>{}));
}

// A read that waits in a message box keeps the loop running, as a modal
// box does: the next element goes only once that read has returned, and
// the transfer still ends.
TEST_F(UploadTransfers, AReadThatRunsTheLoopIsOverBeforeTheNextElementGoes) {
  Add("A", 1, true);
  Add("B", 2, true);
  Add("C", 3, true);
  Connect();
  channel_->SetTransactionLatency(milliseconds(100));
  const auto read = model_->on_read;
  model_->on_read = [&, read](DTMContext& context, HartTransaction& transaction, bool write,
                              const DataElementPtr& element) {
    read(context, transaction, write, element);
    if (element->IPrivateDataElement_Name() != "C") {
      loop_.RunFor(seconds(2));  // the user takes a while to answer
      log_.push_back("Answered(" + element->IPrivateDataElement_Name() + ")");
    }
    return true;
  };
  ASSERT_TRUE(Upload("u1"));
  loop_.RunFor(seconds(30));
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(1)", "Read(A,false)", "Answered(A)",
                         "Build(B,false)", "Device(2)", "Read(B,false)", "Answered(B)",
                         "Build(C,false)", "Device(3)", "Read(C,false)", "sink.Finished(u1,True)"}));
  EXPECT_EQ(Results("u1"), (Lines{"A:0", "B:0", "C:0"}));
  EXPECT_TRUE(comm().QueuedTransfers().empty());
}

TEST_F(UploadTransfers, EachProcessTellsItsKindUntilItsEndIsOver) {
  Add("A", 1, true, true);
  auto command = Add("K", 40, false);
  Connect();
  ASSERT_TRUE(Upload("u1"));
  ASSERT_TRUE(Download("d1"));
  std::string command_id;
  ASSERT_TRUE(processes().StartCommand(command, sink_, command_id));
  EXPECT_EQ(processes().StateOf("u1"), 1);
  EXPECT_EQ(processes().StateOf("d1"), 2);
  EXPECT_EQ(processes().StateOf(command_id), 0);
  EXPECT_EQ(processes().StateOf("unknown"), 0);
  EXPECT_EQ(processes().RunningTransfers(), (Lines{"d1", "u1"}));

  std::vector<std::int32_t> kind_at_end;
  std::vector<Lines> running_at_end;
  sink_->on_finished = [&] {
    kind_at_end.push_back(processes().StateOf("d1"));
    running_at_end.push_back(processes().RunningTransfers());
  };
  ASSERT_TRUE(processes().CancelProcess("u1"));
  EXPECT_EQ(processes().StateOf("u1"), 0);
  loop_.RunUntilIdle();
  // The download's own end still sees it, but no longer as one to end.
  ASSERT_EQ(kind_at_end.size(), 2u);
  EXPECT_EQ(kind_at_end[0], 2);
  EXPECT_EQ(running_at_end[0], Lines{});
  EXPECT_EQ(processes().StateOf("d1"), 0);
  EXPECT_TRUE(processes().RunningTransfers().empty());
}

// ---------------------------------------------------------------------------

class DownloadTransfers : public TransferFixture {};

// The request of B cannot be built: B is not sent and counts as refused,
// the error is reported under its name, and A and C still go.
TEST_F(DownloadTransfers, ErrorWhileBuildingRefusesThatElementOnly) {
  Add("A", 1, false, true);
  Add("B", 2, false, true);
  Add("C", 3, false, true);
  build_raises_["B"] = true;
  Connect();
  ASSERT_TRUE(Download("d1"));
  EXPECT_NO_THROW(loop_.RunUntilIdle());
  EXPECT_EQ(log_, (Lines{"Build(A,true)", "Device(1)", "Read(A,true)", "Build(B,true)",
                         "Build(C,true)", "Device(3)", "Read(C,true)", "sink.Finished(d1,False)"}));
  std::vector<std::string> outcomes;
  for (const ProcessResult& result : comm().GetResults("d1")) {
    outcomes.push_back(result.Element->IPrivateDataElement_Name() + ":" +
                       std::to_string(result.Status) + ":" +
                       (result.Outcome == ResultOutcome::kRefused ? "refused" : "other"));
  }
  EXPECT_EQ(outcomes, (Lines{"A:0:other", "B:0:refused", "C:0:other"}));
  ASSERT_EQ(messages_.entries.size(), 1u);
  EXPECT_EQ(messages_.entries[0].kind, RecordingMessageSink::Entry::kReport);
  EXPECT_EQ(messages_.entries[0].text, "B: Type mismatch");
}

TEST_F(DownloadTransfers, WriteEveryDownloadElement) {
  Add("A", 10, false, true);
  Add("B", 2, true, false);
  Add("C", 12, false, true);
  Connect();
  std::int32_t state_at_end = -1;
  sink_->on_finished = [&] { state_at_end = processes().State(); };
  ASSERT_TRUE(Download("d1"));
  EXPECT_EQ(processes().State(), 2);
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(A,true)", "Device(10)", "Read(A,true)", "Build(C,true)",
                         "Device(12)", "Read(C,true)", "sink.Finished(d1,True)"}));
  EXPECT_EQ(Results("d1"), (Lines{"A:0", "C:0"}));
  EXPECT_EQ(state_at_end, 2);
}

TEST_F(DownloadTransfers, WriteProtectionIsRecordedAndTheRestStillGoes) {
  Add("A", 10, false, true);
  Add("B", 11, false, true);
  write_protected_["A"] = true;
  Connect();
  bool protected_at_end = false;
  sink_->on_finished = [&] { protected_at_end = comm().WriteProtected(); };
  ASSERT_TRUE(Download("d1"));
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(A,true)", "Device(10)", "Read(A,true)", "Build(B,true)",
                         "Device(11)", "Read(B,true)", "sink.Finished(d1,True)"}));
  EXPECT_TRUE(protected_at_end);

  // The next pass starts without the mark.
  write_protected_.clear();
  ASSERT_TRUE(Download("d2"));
  loop_.RunUntilIdle();
  EXPECT_FALSE(comm().WriteProtected());
}

// ---------------------------------------------------------------------------
// What crosses the channel, and what the data model gets back.

class TransactionContents : public TransferFixture {};

TEST_F(TransactionContents, RequestCarriesWhatTheModelBuilt) {
  Add("A", 128, true);
  request_data_["A"] = {0x3D, 0x3E};
  Add("B", 0, true);  // a read without data bytes
  Connect();
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  EXPECT_EQ(Sent("TransactionRequest"),
            (Lines{R"(<FDT><TransactionRequest command="128" data="3D3E"/></FDT>)",
                   R"(<FDT><TransactionRequest command="0" data=""/></FDT>)"}));
}

struct ResponseCase {
  const char* name;
  std::string document;
  com::Variant response_code, device_status, comm_status, response_data;
  const char* result;  // a reply without response code is no answer
};
void PrintTo(const ResponseCase& c, std::ostream* os) { *os << c.name; }

const ResponseCase kResponses[] = {
    {"Answer",
     R"(<FDT><TransactionResponse command="128" responseCode="7" deviceStatus="64" )"
     R"(commStatus="0" data="0102"/></FDT>)",
     com::Variant(std::uint8_t{7}), com::Variant(std::uint8_t{0x40}), com::Variant(std::uint8_t{0}),
     com::Variant(Bytes{0x01, 0x02}), "A:0"},
    {"NoData",
     R"(<FDT><TransactionResponse command="128" responseCode="0" deviceStatus="0" )"
     R"(commStatus="0" data=""/></FDT>)",
     com::Variant(std::uint8_t{0}), com::Variant(std::uint8_t{0}), com::Variant(std::uint8_t{0}),
     com::Variant(), "A:0"},
    {"NoResponseCode",
     R"(<FDT><TransactionResponse command="128" deviceStatus="0" commStatus="2" data=""/></FDT>)",
     com::Variant(), com::Variant(), com::Variant(std::uint8_t{2}), com::Variant(), "A:-5"},
    {"Unreadable", "<FDT><TransactionResponse", com::Variant(), com::Variant(),
     com::Variant(std::uint8_t{0}), com::Variant(), "A:-5"},
};

class TransactionResponses : public TransferFixture,
                             public ::testing::WithParamInterface<ResponseCase> {};

TEST_P(TransactionResponses, ReachTheModelWithTheirStatus) {
  Add("A", 128, true);
  device_ = [document = GetParam().document](const HartRequest&) {
    return std::optional<std::string>(document);
  };
  Connect();
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_EQ(seen_[0].command, com::Variant(std::int16_t{128}));  // the request's
  EXPECT_EQ(seen_[0].response_code, GetParam().response_code);
  EXPECT_EQ(seen_[0].device_status, GetParam().device_status);
  EXPECT_EQ(seen_[0].comm_status, GetParam().comm_status);
  EXPECT_EQ(seen_[0].response_data, GetParam().response_data);
  EXPECT_EQ(Results("u1"), (Lines{GetParam().result}));
}

INSTANTIATE_TEST_SUITE_P(Table, TransactionResponses, ::testing::ValuesIn(kResponses),
                         [](const auto& i) { return std::string(i.param.name); });

// The manager keeps its reader from one answer to the next: an answer it
// could not read must not spoil the next one.
TEST_F(TransactionContents, AnAnswerAfterAnUnreadableOneIsReadInFull) {
  Add("A", 1, true);
  Add("B", 2, true);
  device_ = [](const HartRequest& request) -> std::optional<std::string> {
    if (request.command == 1) {
      return std::string(R"(<FDT><TransactionResponse command="1" p:responseCode="0"/></FDT>)");
    }
    return std::string(
        "<?xml version=\"1.0\"?>\n<FDT>\n  <TransactionResponse command=\"2\" "
        "responseCode=\"3\" deviceStatus=\"16\" data=\"0A0B\"/>\n</FDT>");
  };
  Connect();
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  EXPECT_EQ(Results("u1"), (Lines{"A:-5", "B:0"}));
  ASSERT_EQ(seen_.size(), 2u);
  EXPECT_EQ(seen_[0].response_code, com::Variant());
  EXPECT_EQ(seen_[1].response_code, com::Variant(std::uint8_t{3}));
  EXPECT_EQ(seen_[1].device_status, com::Variant(std::uint8_t{0x10}));
  EXPECT_EQ(seen_[1].comm_status, com::Variant(std::uint8_t{0}));
  EXPECT_EQ(seen_[1].response_data, com::Variant(Bytes{0x0A, 0x0B}));
}

TEST_F(TransactionContents, AnswerClearsTheCommunicationErrorBitsBeforeTheModelReads) {
  auto answered = Add("A", 1, true);
  auto silent = Add("B", 2, true);
  answered->status_flags = 0x001F0001;
  silent->status_flags = 0x000F0000;
  device_ = [](const HartRequest& request) -> std::optional<std::string> {
    if (request.command == 2) return std::nullopt;
    HartResponse response;
    response.command = request.command;
    response.response_code = 0;
    return BuildTransactionResponseXml(response);
  };
  Connect();
  ASSERT_TRUE(Upload("u1"));
  loop_.RunFor(seconds(10));
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_EQ(seen_[0].flags, 0x00100001);
  EXPECT_EQ(answered->status_flags, 0x00100001);
  EXPECT_EQ(silent->status_flags, 0x000F0000);  // no answer: left to the page
}

// ---------------------------------------------------------------------------
// How the device took each transaction, and what that makes of the process.

const char* OutcomeName(ResultOutcome outcome) {
  switch (outcome) {
    case ResultOutcome::kAccepted:
      return "accepted";
    case ResultOutcome::kRefused:
      return "refused";
    case ResultOutcome::kBusy:
      return "busy";
    case ResultOutcome::kNotAnswered:
      return "not answered";
  }
  return "?";
}

enum class Reply { kAnswer, kNoResponseCode, kReadRaises };

struct OutcomeCase {
  const char* name;
  std::vector<std::int32_t> classes;  // what the model reports while it reads A
  Reply reply;
  const char* outcome;  // of A; B is always answered and accepted
  const char* end;
};
void PrintTo(const OutcomeCase& c, std::ostream* os) { *os << c.name; }

const OutcomeCase kOutcomes[] = {
    {"NothingReported", {}, Reply::kAnswer, "A:0:accepted", "sink.Finished(u1,True)"},
    {"NoClass", {0}, Reply::kAnswer, "A:0:accepted", "sink.Finished(u1,True)"},
    {"ValueStillDecoded", {0xF00000}, Reply::kAnswer, "A:0:accepted", "sink.Finished(u1,True)"},
    {"NotImplemented", {0x100000}, Reply::kAnswer, "A:0:refused", "sink.Finished(u1,False)"},
    {"WriteProtected", {0x300000}, Reply::kAnswer, "A:0:refused", "sink.Finished(u1,False)"},
    {"InvalidSelection", {0x400000}, Reply::kAnswer, "A:0:refused", "sink.Finished(u1,False)"},
    {"TooFewBytes", {0x500000}, Reply::kAnswer, "A:0:refused", "sink.Finished(u1,False)"},
    {"DeviceSpecific", {0x700000}, Reply::kAnswer, "A:0:refused", "sink.Finished(u1,False)"},
    {"BusyToTheEnd", {0x200000}, Reply::kAnswer, "A:0:busy", "sink.Finished(u1,False)"},
    {"OneGroupMemberRefused", {0, 0x500000, 0xF00000}, Reply::kAnswer, "A:0:refused",
     "sink.Finished(u1,False)"},
    {"GroupMembersBusy", {0x200000, 0x200000}, Reply::kAnswer, "A:0:busy",
     "sink.Finished(u1,False)"},
    {"NoResponseCode", {}, Reply::kNoResponseCode, "A:-5:not answered",
     "sink.Finished(u1,False)"},
    {"ReadRaises", {}, Reply::kReadRaises, "A:0:refused", "sink.Finished(u1,False)"},
};

class TransactionOutcomes : public TransferFixture,
                            public ::testing::WithParamInterface<OutcomeCase> {
 protected:
  // "<name>:<status>:<outcome>" of each result.
  Lines Outcomes(const std::string& process_id) {
    Lines lines;
    for (const ProcessResult& result : comm().GetResults(process_id)) {
      lines.push_back(result.Element->IPrivateDataElement_Name() + ":" +
                      std::to_string(result.Status) + ":" + OutcomeName(result.Outcome));
    }
    return lines;
  }
};

TEST_P(TransactionOutcomes, FollowTheClassesTheModelReports) {
  Add("A", 1, true);
  Add("B", 2, true);
  classes_["A"] = GetParam().classes;
  raises_["A"] = GetParam().reply == Reply::kReadRaises;
  if (!raises_["A"]) raises_.erase("A");
  if (GetParam().reply == Reply::kNoResponseCode) {
    device_ = [](const HartRequest& request) -> std::optional<std::string> {
      if (request.command == 1) {
        return std::string(R"(<FDT><TransactionResponse command="1" commStatus="2"/></FDT>)");
      }
      HartResponse response;
      response.command = request.command;
      response.response_code = 0;
      return BuildTransactionResponseXml(response);
    };
  }
  Connect();
  ASSERT_TRUE(Upload("u1"));
  // An error of the model's read stays inside its transaction.
  EXPECT_NO_THROW(loop_.RunUntilIdle());
  EXPECT_FALSE(loop_.HasPending());
  EXPECT_EQ(Outcomes("u1"), (Lines{GetParam().outcome, "B:0:accepted"}));
  EXPECT_EQ(Finished(), 1u);
  ASSERT_FALSE(log_.empty());
  EXPECT_EQ(log_.back(), GetParam().end);
}

INSTANTIATE_TEST_SUITE_P(Table, TransactionOutcomes, ::testing::ValuesIn(kOutcomes),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(TransactionOutcomes, OnlyTheLastReadOfARepeatedTransactionCounts) {
  Add("A", 5, true);
  model_->on_read = [this, first = true](DTMContext& context, HartTransaction&, bool,
                                         const DataElementPtr&) mutable {
    // Busy at first; the repeat is answered.
    context.CommMan().OnResultClass(first ? 0x200000 : 0);
    if (first) context.CommMan().RepeatTransaction();
    first = false;
    return true;
  };
  Connect();
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  EXPECT_EQ(Outcomes("u1"), (Lines{"A:0:accepted"}));
  EXPECT_EQ(log_.back(), "sink.Finished(u1,True)");
}

TEST_F(TransactionOutcomes, ClassReportedOutsideAReadChangesNothing) {
  Add("A", 1, true);
  Connect();
  comm().OnResultClass(0x300000);
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  comm().OnResultClass(0x300000);
  EXPECT_EQ(Outcomes("u1"), (Lines{"A:0:accepted"}));
  EXPECT_EQ(log_.back(), "sink.Finished(u1,True)");
}

// ---------------------------------------------------------------------------

class TransactionTimeout : public TransferFixture {
 protected:
  TransactionTimeout() {
    Add("A", 1, true);
    Add("B", 2, true);
    device_ = [](const HartRequest& request) -> std::optional<std::string> {
      if (request.command == 1) return std::nullopt;  // the device stays silent
      HartResponse response;
      response.command = request.command;
      response.response_code = 0;
      return BuildTransactionResponseXml(response);
    };
  }
};

TEST_F(TransactionTimeout, NoAnswerFailsTheElementAfterFiveSeconds) {
  Connect();
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  const std::string silent_id = LastTransactionId();
  loop_.RunFor(milliseconds(4999));
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(1)"}));
  EXPECT_TRUE(Results("u1").empty());

  loop_.RunFor(milliseconds(1));
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(1)", "Build(B,false)", "Device(2)",
                         "Read(B,false)", "sink.Finished(u1,False)"}));
  EXPECT_EQ(Results("u1"), (Lines{"A:-5", "B:0"}));
  ASSERT_FALSE(channel_->Requests().empty());
  bool aborted = false;
  for (const auto& request : channel_->Requests()) {
    aborted |= request.kind == "Abort" && request.invoke_id == silent_id;
  }
  EXPECT_TRUE(aborted);  // the frame is told to drop the answer

  // An answer that comes after all changes nothing.
  dtm_->IFdtCommunicationEvents_OnTransactionResponse(
      silent_id, R"(<FDT><TransactionResponse command="1" responseCode="0"/></FDT>)");
  EXPECT_EQ(log_.size(), 6u);
}

TEST_F(TransactionTimeout, IsConfigurable) {
  comm().SetTransactionTimeout(seconds(1));
  EXPECT_EQ(comm().TransactionTimeout(), seconds(1));
  Connect();
  ASSERT_TRUE(Upload("u1"));
  loop_.RunFor(milliseconds(999));
  EXPECT_TRUE(Results("u1").empty());
  loop_.RunFor(milliseconds(1));
  EXPECT_EQ(Results("u1"), (Lines{"A:-5", "B:0"}));
}

// ---------------------------------------------------------------------------

class LostConnection : public TransferFixture {};

TEST_F(LostConnection, FailsTheTransactionInFlightAndEveryRemainingElementAtOnce) {
  Add("A", 1, true);
  Add("B", 2, true);
  Add("C", 3, true);
  device_ = [this](const HartRequest& request) -> std::optional<std::string> {
    HartResponse response;
    response.command = request.command;
    response.response_code = 0;
    if (request.command != 2) return BuildTransactionResponseXml(response);
    channel_->DropConnection();
    return std::nullopt;
  };
  Connect();
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();  // no clock time passes
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(1)", "Read(A,false)", "Build(B,false)",
                         "Device(2)", "sink.Finished(u1,False)"}));
  EXPECT_EQ(Results("u1"), (Lines{"A:0", "B:-5", "C:-5"}));
  EXPECT_FALSE(comm().IsConnected());
  EXPECT_FALSE(loop_.HasPending());  // no timeout left behind
}

TEST_F(LostConnection, DisconnectByTheDTMEndsThePassAndDropsTheLateAnswer) {
  Add("A", 1, true);
  Add("B", 2, true);
  device_ = [this](const HartRequest& request) -> std::optional<std::string> {
    EXPECT_TRUE(comm().Disconnect());
    HartResponse response;
    response.command = request.command;
    response.response_code = 0;
    return BuildTransactionResponseXml(response);  // arrives after the disconnect
  };
  Connect();
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(1)", "sink.Finished(u1,False)"}));
  EXPECT_EQ(Results("u1"), (Lines{"A:-5", "B:-5"}));
}

TEST_F(LostConnection, RequestTheFrameRefusesFailsAtOnceAndTheRestStillGoes) {
  Add("A", 1, true);
  Add("B", 2, true);
  Connect();
  channel_->SetTransactionHandler(nullptr);  // the frame refuses transactions
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Build(B,false)", "sink.Finished(u1,False)"}));
  EXPECT_EQ(Results("u1"), (Lines{"A:-5", "B:-5"}));
  EXPECT_EQ(Sent("TransactionRequest").size(), 2u);
  EXPECT_TRUE(comm().IsConnected());
}

// ---------------------------------------------------------------------------

class RepeatedTransaction : public TransferFixture {};

TEST_F(RepeatedTransaction, SendsTheSameRequestAgainAfterTheRead) {
  Add("A", 5, true);
  request_data_["A"] = {0x01, 0x02};
  repeats_["A"] = 2;
  Connect();
  comm().RepeatTransaction();  // outside a read: no effect
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(5)", "Read(A,false)", "Device(5)",
                         "Read(A,false)", "Device(5)", "Read(A,false)", "sink.Finished(u1,True)"}));
  const std::string request = R"(<FDT><TransactionRequest command="5" data="0102"/></FDT>)";
  EXPECT_EQ(Sent("TransactionRequest"), (Lines{request, request, request}));
  EXPECT_EQ(Results("u1"), (Lines{"A:0"}));
}

TEST_F(RepeatedTransaction, RepeatThatGetsNoAnswerFails) {
  Add("A", 5, true);
  repeats_["A"] = 1;
  int answers = 0;
  device_ = [&](const HartRequest& request) -> std::optional<std::string> {
    if (answers++ > 0) return std::nullopt;
    HartResponse response;
    response.command = request.command;
    response.response_code = 32;  // busy
    return BuildTransactionResponseXml(response);
  };
  Connect();
  ASSERT_TRUE(Upload("u1"));
  loop_.RunFor(seconds(10));
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(5)", "Read(A,false)", "Device(5)",
                         "sink.Finished(u1,False)"}));
  EXPECT_EQ(Results("u1"), (Lines{"A:-5"}));
}

// ---------------------------------------------------------------------------
// The end of a process comes once, from the loop, whatever the outcome.

enum class Outcome { kAnswered, kSilentDevice, kLostConnection, kConnectFails, kNoElements };

struct EndCase {
  const char* name;
  Outcome outcome;
  const char* end;
};
void PrintTo(const EndCase& c, std::ostream* os) { *os << c.name; }

const EndCase kEnds[] = {
    {"Answered", Outcome::kAnswered, "sink.Finished(u1,True)"},
    {"SilentDevice", Outcome::kSilentDevice, "sink.Finished(u1,False)"},
    {"LostConnection", Outcome::kLostConnection, "sink.Finished(u1,False)"},
    {"ConnectFails", Outcome::kConnectFails, "sink.Finished(u1,False)"},
    {"NoElements", Outcome::kNoElements, "sink.Finished(u1,True)"},
};

class ProcessEnd : public TransferFixture, public ::testing::WithParamInterface<EndCase> {};

TEST_P(ProcessEnd, IsPostedOnceAndNeverInsideTheStart) {
  if (GetParam().outcome != Outcome::kNoElements) {
    Add("A", 1, true);
    Add("B", 2, true);
  }
  if (GetParam().outcome == Outcome::kConnectFails) {
    channel_->SetConnectFails(true);
  } else {
    Connect();
  }
  if (GetParam().outcome == Outcome::kSilentDevice) {
    device_ = [](const HartRequest&) { return std::optional<std::string>(); };
  }
  if (GetParam().outcome == Outcome::kLostConnection) {
    device_ = [this](const HartRequest&) {
      channel_->DropConnection();
      return std::optional<std::string>();
    };
  }
  ASSERT_TRUE(Upload("u1"));
  EXPECT_EQ(Finished(), 0u);
  loop_.RunFor(seconds(60));
  EXPECT_EQ(Finished(), 1u);
  ASSERT_FALSE(log_.empty());
  EXPECT_EQ(log_.back(), GetParam().end);
  EXPECT_EQ(processes().State(), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, ProcessEnd, ::testing::ValuesIn(kEnds),
                         [](const auto& i) { return std::string(i.param.name); });

// ---------------------------------------------------------------------------

class ProcessCancel : public TransferFixture {
 protected:
  ProcessCancel() {
    Add("A", 1, true);
    Add("B", 2, true);
  }
  // Runs the loop until the first transaction is with the frame.
  void UntilInFlight() {
    ASSERT_TRUE(loop_.RunUntil([&] { return !Sent("TransactionRequest").empty(); }));
  }
};

TEST_F(ProcessCancel, StopsAfterTheTransactionInFlightAndReportsNoEnd) {
  Connect();
  ASSERT_TRUE(Upload("u1"));
  UntilInFlight();
  EXPECT_TRUE(processes().CancelProcess("u1"));
  EXPECT_FALSE(processes().CancelProcess("u1"));
  EXPECT_EQ(processes().State(), 0);
  loop_.RunFor(seconds(60));
  // The answer in flight is still read; B is never sent.
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(1)", "Read(A,false)"}));
  EXPECT_EQ(Results("u1"), (Lines{"A:0"}));
}

TEST_F(ProcessCancel, NextProcessWaitsForTheTransactionInFlight) {
  Connect();
  ASSERT_TRUE(Upload("u1"));
  UntilInFlight();
  ASSERT_TRUE(processes().CancelProcess("u1"));
  ASSERT_TRUE(Upload("u1"));  // the id is free again
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(1)", "Read(A,false)", "Build(A,false)",
                         "Device(1)", "Read(A,false)", "Build(B,false)", "Device(2)",
                         "Read(B,false)", "sink.Finished(u1,True)"}));
  EXPECT_EQ(Results("u1"), (Lines{"A:0", "B:0"}));  // the new pass's only
}

TEST_F(ProcessCancel, OfAProcessThatWaitsRemovesIt) {
  Connect();
  ASSERT_TRUE(Upload("u1"));
  ASSERT_TRUE(Upload("u2"));
  EXPECT_TRUE(processes().CancelProcess("u2"));
  loop_.RunUntilIdle();
  EXPECT_EQ(Finished(), 1u);
  EXPECT_EQ(log_.back(), "sink.Finished(u1,True)");
  EXPECT_TRUE(Results("u2").empty());
}

// ---------------------------------------------------------------------------

class ConnectOnDemand : public TransferFixture {};

TEST_F(ConnectOnDemand, ConnectsFirstAndSendsOnceTheConnectionStands) {
  Add("A", 1, true);
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  Lines kinds;
  for (const auto& request : channel_->Requests()) kinds.push_back(request.kind);
  EXPECT_EQ(kinds, (Lines{"ConnectRequest", "TransactionRequest"}));
  EXPECT_TRUE(comm().IsConnected());
  EXPECT_EQ(Results("u1"), (Lines{"A:0"}));
  EXPECT_EQ(log_.back(), "sink.Finished(u1,True)");
}

TEST_F(ConnectOnDemand, WaitsForAConnectThatIsUnderWay) {
  Add("A", 1, true);
  ASSERT_TRUE(comm().Connect("c1"));
  ASSERT_TRUE(Upload("u1"));
  loop_.RunUntilIdle();
  EXPECT_EQ(Sent("ConnectRequest").size(), 1u);
  EXPECT_EQ(Results("u1"), (Lines{"A:0"}));
}

enum class ConnectFailure { kDeviceSilent, kRefused, kOtherDevice, kFrameHangs };

struct ConnectFailureCase {
  const char* name;
  ConnectFailure failure;
};
void PrintTo(const ConnectFailureCase& c, std::ostream* os) { *os << c.name; }

const ConnectFailureCase kConnectFailures[] = {
    {"DeviceDoesNotAnswer", ConnectFailure::kDeviceSilent},
    {"FrameRefuses", ConnectFailure::kRefused},
    {"AnotherDevice", ConnectFailure::kOtherDevice},
    {"FrameNeverAnswers", ConnectFailure::kFrameHangs},
};

class FailedConnect : public TransferFixture,
                      public ::testing::WithParamInterface<ConnectFailureCase> {};

TEST_P(FailedConnect, EndsEveryElementWithMinusFive) {
  Add("A", 1, true);
  Add("B", 2, true);
  switch (GetParam().failure) {
    case ConnectFailure::kDeviceSilent:
      channel_->SetConnectFails(true);
      break;
    case ConnectFailure::kRefused:
      channel_->SetRefuseConnect(true);
      break;
    case ConnectFailure::kOtherDevice:
      channel_->SetDeviceIdentity(17, 4);
      break;
    case ConnectFailure::kFrameHangs:
      channel_->SetSilent(true);
      break;
  }
  ASSERT_TRUE(Upload("u1"));
  loop_.RunFor(seconds(60));
  EXPECT_EQ(Results("u1"), (Lines{"A:-5", "B:-5"}));
  EXPECT_TRUE(Sent("TransactionRequest").empty());
  EXPECT_EQ(Finished(), 1u);
  EXPECT_EQ(log_.back(), "sink.Finished(u1,False)");
  EXPECT_FALSE(comm().ConnectionOpen());
}

INSTANTIATE_TEST_SUITE_P(Table, FailedConnect, ::testing::ValuesIn(kConnectFailures),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(ConnectOnDemand, HangingConnectGivesUpAfterTheTimeout) {
  Add("A", 1, true);
  channel_->SetSilent(true);
  ASSERT_TRUE(Upload("u1"));
  loop_.RunFor(milliseconds(4999));
  EXPECT_EQ(Finished(), 0u);
  loop_.RunFor(milliseconds(1));
  EXPECT_EQ(Results("u1"), (Lines{"A:-5"}));
}

// ---------------------------------------------------------------------------

class DeviceCommand : public TransferFixture {};

TEST_F(DeviceCommand, RunsOneWriteAsAProcessOfItsOwn) {
  auto command = Add("K", 40, false);
  command->device_command = true;
  Connect();
  std::int32_t state_at_end = -1;
  sink_->on_finished = [&] { state_at_end = processes().State(); };
  std::string id;
  ASSERT_TRUE(processes().StartCommand(command, sink_, id));
  EXPECT_EQ(id.size(), 36u);  // a GUID without braces
  EXPECT_EQ(id.find_first_of("{}"), std::string::npos);
  EXPECT_TRUE(log_.empty());
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(K,true)", "Device(40)", "Read(K,true)",
                         "sink.Finished(" + id + ",True)"}));
  EXPECT_EQ(state_at_end, 0);  // neither an upload nor a download
  EXPECT_EQ(Results(id), (Lines{"K:0"}));
  processes().ReleaseCommand(id);
  EXPECT_TRUE(Results(id).empty());
}

TEST_F(DeviceCommand, ReleasedWhileRunningReportsNoEnd) {
  auto command = Add("K", 40, false);
  Connect();
  std::string id;
  ASSERT_TRUE(processes().StartCommand(command, sink_, id));
  processes().ReleaseCommand(id);
  loop_.RunFor(seconds(60));
  EXPECT_TRUE(log_.empty());
}

TEST_F(DeviceCommand, NeedsAnElementAndACommunication) {
  std::string id = "unchanged";
  EXPECT_FALSE(processes().StartCommand(nullptr, sink_, id));
  comm().SetCommunication(nullptr);
  EXPECT_FALSE(processes().StartCommand(fakes::MakeElement("K"), sink_, id));
  EXPECT_EQ(id, "unchanged");
}

TEST_F(DeviceCommand, ByNameRunsUnderTheCallersId) {
  auto command = Add("K", 40, false);
  Connect();
  const std::string id = "{0A1B2C3D-0000-4000-8000-00000000000F}";
  bool ok = false;
  processes().StartCommand(id, "K", sink_, ok);
  ASSERT_TRUE(ok);
  EXPECT_TRUE(log_.empty());  // the end never comes inside the call
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(K,true)", "Device(40)", "Read(K,true)",
                         "sink.Finished({0A1B2C3D-0000-4000-8000-00000000000F},True)"}));
  EXPECT_EQ(Results(id), (Lines{"K:0"}));
  processes().ReleaseCommand(id);
  EXPECT_TRUE(Results(id).empty());
  // The id is free again.
  processes().StartCommand(id, "K", sink_, ok);
  EXPECT_TRUE(ok);
}

TEST_F(DeviceCommand, ByNameReleasedWhileRunningReportsNoEnd) {
  Add("K", 40, false);
  Connect();
  bool ok = false;
  processes().StartCommand("{C}", "K", sink_, ok);
  ASSERT_TRUE(ok);
  processes().ReleaseCommand("{C}");
  loop_.RunFor(seconds(60));
  EXPECT_TRUE(log_.empty());
  EXPECT_TRUE(Sent("TransactionRequest").empty());
}

enum class CommandRefusal { kEmptyId, kIdRunning, kUnknownPath, kNoCommunication };

struct CommandRefusalCase {
  const char* name;
  CommandRefusal refusal;
};
void PrintTo(const CommandRefusalCase& c, std::ostream* os) { *os << c.name; }

const CommandRefusalCase kCommandRefusals[] = {
    {"EmptyId", CommandRefusal::kEmptyId},
    {"IdStillRunning", CommandRefusal::kIdRunning},
    {"UnknownPath", CommandRefusal::kUnknownPath},
    {"NoCommunication", CommandRefusal::kNoCommunication},
};

class DeviceCommandByName : public TransferFixture,
                            public ::testing::WithParamInterface<CommandRefusalCase> {};

TEST_P(DeviceCommandByName, IsRefusedAndSendsNothing) {
  Add("K", 40, false);
  Connect();
  std::string id = "{C}";
  std::string path = "K";
  bool ok = true;
  switch (GetParam().refusal) {
    case CommandRefusal::kEmptyId:
      id.clear();
      break;
    case CommandRefusal::kIdRunning:
      processes().StartCommand(id, "K", sink_, ok);
      ASSERT_TRUE(ok);
      break;
    case CommandRefusal::kUnknownPath:
      path = "NoSuchElement";
      break;
    case CommandRefusal::kNoCommunication:
      comm().SetCommunication(nullptr);
      break;
  }
  ok = true;
  processes().StartCommand(id, path, sink_, ok);
  EXPECT_FALSE(ok);
  loop_.RunFor(seconds(60));
  // Only the command that did start went out and ended.
  const bool first_ran = GetParam().refusal == CommandRefusal::kIdRunning;
  EXPECT_EQ(Sent("TransactionRequest").size(), first_ran ? 1u : 0u);
  EXPECT_EQ(Finished(), first_ran ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, DeviceCommandByName, ::testing::ValuesIn(kCommandRefusals),
                         [](const auto& i) { return std::string(i.param.name); });

// ---------------------------------------------------------------------------
// A page's transfer object.

class ParamProcessPass : public TransferFixture {
 protected:
  ParamProcessPass() {
    a_ = Add("A", 1, false);
    b_ = Add("B", 2, false);
    process_->Init(*context_);
  }
  void AddBoth() {
    std::int32_t error = -1;
    process_->AddElement(a_, false, error);
    ASSERT_EQ(error, 0);
    process_->AddElement(b_, true, error);
    ASSERT_EQ(error, 0);
  }
  std::int32_t Start() {
    std::int32_t error = -1;
    process_->Start(page_, 0, false, error);
    return error;
  }

  std::shared_ptr<FakeElement> a_, b_;
  std::shared_ptr<ParamProcess> process_ = std::make_shared<ParamProcess>();
  std::shared_ptr<fakes::FakeProcessSink> page_ =
      std::make_shared<fakes::FakeProcessSink>("page", log_);
};

TEST_F(ParamProcessPass, RunsItsEntriesInOrderAndEndsOnce) {
  Connect();
  AddBoth();
  bool busy_at_end = false;
  bool running_at_end = true;
  bool own_at_end = false;
  Lines results_at_end;
  page_->on_finished = [&] {
    busy_at_end = process_->IsBusy();
    running_at_end = process_->PassRunning();
    process_->IsOwnProcess(process_->ProcessID(), own_at_end);
    results_at_end = Results(process_->ProcessID());
  };
  ASSERT_EQ(Start(), 0);
  EXPECT_TRUE(process_->IsBusy());
  EXPECT_TRUE(log_.empty());
  const std::string id = process_->ProcessID();
  EXPECT_EQ(id.size(), 36u);
  EXPECT_EQ(id.find_first_of("{}"), std::string::npos);

  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(1)", "Read(A,false)", "Build(B,true)",
                         "Device(2)", "Read(B,true)", "page.Finished(" + id + ",True)"}));
  // The pass is over, but the process stays busy until the page aborts it.
  EXPECT_TRUE(busy_at_end);
  EXPECT_FALSE(running_at_end);
  EXPECT_TRUE(own_at_end);
  EXPECT_EQ(results_at_end, (Lines{"A:0", "B:0"}));
  EXPECT_TRUE(process_->IsBusy());
  process_->Abort();
  EXPECT_FALSE(process_->IsBusy());
  EXPECT_EQ(Finished(), 1u);
}

TEST_F(ParamProcessPass, FailedTransactionEndsUnsuccessful) {
  device_ = [](const HartRequest& request) -> std::optional<std::string> {
    if (request.command == 1) return std::nullopt;
    HartResponse response;
    response.command = request.command;
    response.response_code = 0;
    return BuildTransactionResponseXml(response);
  };
  Connect();
  AddBoth();
  ASSERT_EQ(Start(), 0);
  loop_.RunFor(seconds(10));
  EXPECT_EQ(log_.back(), "page.Finished(" + process_->ProcessID() + ",False)");
  EXPECT_EQ(Results(process_->ProcessID()), (Lines{"A:-5", "B:0"}));
}

TEST_F(ParamProcessPass, RefusedTransactionEndsUnsuccessful) {
  classes_["B"] = {0x300000};  // the device is write protected
  Connect();
  AddBoth();
  ASSERT_EQ(Start(), 0);
  loop_.RunUntilIdle();
  EXPECT_EQ(log_.back(), "page.Finished(" + process_->ProcessID() + ",False)");
  EXPECT_EQ(Results(process_->ProcessID()), (Lines{"A:0", "B:0"}));
}

TEST_F(ParamProcessPass, EveryStartHasANewIdAndForgetsThePreviousResults) {
  Connect();
  AddBoth();
  ASSERT_EQ(Start(), 0);
  loop_.RunUntilIdle();
  const std::string first = process_->ProcessID();
  ASSERT_EQ(Start(), 0);
  const std::string second = process_->ProcessID();
  EXPECT_NE(first, second);
  bool own = true;
  process_->IsOwnProcess(first, own);
  EXPECT_FALSE(own);
  process_->IsOwnProcess(second, own);
  EXPECT_TRUE(own);
  EXPECT_TRUE(Results(first).empty());
  loop_.RunUntilIdle();
  EXPECT_EQ(Results(second), (Lines{"A:0", "B:0"}));
}

TEST_F(ParamProcessPass, ResetEmptiesEntriesAndResultsButNotWhileAPassRuns) {
  Connect();
  AddBoth();
  ASSERT_EQ(Start(), 0);
  std::int32_t error = -1;
  process_->Reset(error);
  EXPECT_EQ(error, ParamProcess::kBusy);
  EXPECT_EQ(process_->Entries().size(), 2u);
  process_->AddElement(a_, false, error);
  EXPECT_EQ(error, ParamProcess::kBusy);
  EXPECT_EQ(process_->Entries().size(), 2u);

  loop_.RunUntilIdle();
  const std::string id = process_->ProcessID();
  ASSERT_EQ(Results(id).size(), 2u);
  ASSERT_TRUE(process_->IsBusy());  // not aborted, but the pass is over
  process_->Reset(error);
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(process_->IsEmpty());
  EXPECT_TRUE(Results(id).empty());
}

TEST_F(ParamProcessPass, ReadAfterResetSendsNoneOfTheEarlierWrites) {
  Connect();
  std::int32_t error = -1;
  process_->AddElement(b_, true, error);
  ASSERT_EQ(Start(), 0);
  loop_.RunUntilIdle();
  const std::string write_id = process_->ProcessID();
  process_->Abort();
  process_->Reset(error);
  ASSERT_EQ(error, 0);
  process_->AddElement(a_, false, error);
  ASSERT_EQ(Start(), 0);
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(B,true)", "Device(2)", "Read(B,true)",
                         "page.Finished(" + write_id + ",True)", "Build(A,false)", "Device(1)",
                         "Read(A,false)", "page.Finished(" + process_->ProcessID() + ",True)"}));
  EXPECT_EQ(Results(process_->ProcessID()), (Lines{"A:0"}));
}

TEST_F(ParamProcessPass, BusyProcessRunsItsNextPassWithTheSameEntries) {
  Connect();
  AddBoth();
  ASSERT_EQ(Start(), 0);
  loop_.RunUntilIdle();
  const std::string first = process_->ProcessID();
  log_.clear();
  // A cyclic page starts the next pass of its busy process without Reset.
  ASSERT_TRUE(process_->IsBusy());
  ASSERT_EQ(Start(), 0);
  const std::string second = process_->ProcessID();
  EXPECT_NE(first, second);
  loop_.RunUntilIdle();
  EXPECT_EQ(log_, (Lines{"Build(A,false)", "Device(1)", "Read(A,false)", "Build(B,true)",
                         "Device(2)", "Read(B,true)", "page.Finished(" + second + ",True)"}));
  EXPECT_TRUE(process_->IsBusy());
}

TEST_F(ParamProcessPass, AbortAfterTheEndOnlyEndsTheBusyState) {
  Connect();
  AddBoth();
  ASSERT_EQ(Start(), 0);
  loop_.RunUntilIdle();
  const std::string id = process_->ProcessID();
  process_->Abort();
  EXPECT_FALSE(process_->IsBusy());
  EXPECT_EQ(Results(id), (Lines{"A:0", "B:0"}));  // the page may still read them
  EXPECT_EQ(process_->Entries().size(), 2u);
  EXPECT_EQ(Finished(), 1u);
}

TEST_F(ParamProcessPass, AbortStopsWithoutEnd) {
  Connect();
  AddBoth();
  ASSERT_EQ(Start(), 0);
  process_->Abort();
  EXPECT_FALSE(process_->IsBusy());
  loop_.RunFor(seconds(60));
  EXPECT_EQ(Finished(), 0u);
  EXPECT_TRUE(Sent("TransactionRequest").empty());  // it had not sent yet
}

TEST_F(ParamProcessPass, NextPassMayStartFromTheEnd) {
  Connect();
  AddBoth();
  int passes = 0;
  page_->on_finished = [&] {
    if (++passes == 1) {
      EXPECT_EQ(Start(), 0);
    }
  };
  ASSERT_EQ(Start(), 0);
  loop_.RunUntilIdle();
  EXPECT_EQ(passes, 2);
  EXPECT_TRUE(process_->IsBusy());  // nobody aborted it
  EXPECT_FALSE(process_->PassRunning());
}

TEST_F(ParamProcessPass, AddElementRefusesNothing) {
  std::int32_t error = 0;
  process_->AddElement(nullptr, false, error);
  EXPECT_EQ(error, ParamProcess::kNoElement);
  EXPECT_TRUE(process_->IsEmpty());
}

enum class Refusal { kNotInitialised, kReleased, kNothingToDo, kNoCommunication, kBusy };

struct RefusalCase {
  const char* name;
  Refusal refusal;
  std::int32_t error;
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

const RefusalCase kRefusals[] = {
    {"NotInitialised", Refusal::kNotInitialised, ParamProcess::kNotInitialised},
    {"Released", Refusal::kReleased, ParamProcess::kNotInitialised},
    {"NothingToDo", Refusal::kNothingToDo, ParamProcess::kNothingToDo},
    {"NoCommunication", Refusal::kNoCommunication, ParamProcess::kNoCommunication},
    {"Busy", Refusal::kBusy, ParamProcess::kBusy},
};

class ParamProcessStart : public ParamProcessPass,
                          public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ParamProcessStart, IsRefusedWithItsError) {
  AddBoth();
  switch (GetParam().refusal) {
    case Refusal::kNotInitialised:
      process_ = std::make_shared<ParamProcess>();
      AddBoth();
      break;
    case Refusal::kReleased:
      process_->Release();
      break;
    case Refusal::kNothingToDo: {
      std::int32_t error = -1;
      process_->Reset(error);
      break;
    }
    case Refusal::kNoCommunication:
      comm().SetCommunication(nullptr);
      break;
    case Refusal::kBusy:
      ASSERT_EQ(Start(), 0);
      break;
  }
  const bool busy_before = process_->IsBusy();
  EXPECT_EQ(Start(), GetParam().error);
  EXPECT_EQ(process_->IsBusy(), busy_before);
  loop_.RunFor(seconds(60));
  // Only the pass that did start ends.
  EXPECT_EQ(Finished(), GetParam().refusal == Refusal::kBusy ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, ParamProcessStart, ::testing::ValuesIn(kRefusals),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(ParamProcessPass, OutlivesItsContext) {
  AddBoth();
  ASSERT_EQ(Start(), 0);
  dtm_->context = nullptr;
  context_.reset();  // its transfers go with it
  process_->Abort();
  EXPECT_FALSE(process_->IsBusy());
  EXPECT_EQ(Start(), ParamProcess::kNotInitialised);
  loop_.RunFor(seconds(60));
  EXPECT_EQ(Finished(), 0u);
}

}  // namespace
}  // namespace dtm::runtime
