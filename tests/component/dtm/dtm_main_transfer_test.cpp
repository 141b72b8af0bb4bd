// Whole-data-set transfers against the simulated device, the frame's
// events, and the protocol the DTM writes for them.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>

#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model.h"
#include "platform/com/property_bag.h"
#include "component/ui/framework/ctl_monitor.h"
#include "host/device/attach.h"
#include "host/device/profile.h"
#include "host/device/sim_device.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

class DtmTransfer : public DtmFixture {
 protected:
  void SetUp() override {
    device::AttachDevice(*channel_, device_);
    SetUpInstance();
    ASSERT_TRUE(dtm_->IDtm_SetLanguage(9));
    ASSERT_TRUE(dtm_->IDtm_SetCommunication(channel_));
  }

  std::shared_ptr<clsDataElement> Element(const std::string& path) {
    return std::dynamic_pointer_cast<clsDataElement>(Context().Parameters().Item(path));
  }

  std::shared_ptr<ctlMonitor> OpenMonitor() {
    auto monitor = std::make_shared<ctlMonitor>();
    Context().GUIMan().RegisterGUI("mon", monitor, true);
    dtm_->SetMonitorInvokeID("mon");
    monitor->FillPhraseTable(Context());
    return monitor;
  }

  std::size_t Transactions() const {
    std::size_t count = 0;
    for (const auto& request : channel_->Requests()) count += request.kind == "TransactionRequest";
    return count;
  }

  std::size_t UploadElements() {
    std::size_t count = 0;
    for (const auto& element : Context().Parameters().Elements()) {
      count += element->IPrivateDataElement_IsUploadParam(com::Variant()) ? 1 : 0;
    }
    return count;
  }

  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const auto& entry : messages_.entries) {
      if (entry.kind == runtime::RecordingMessageSink::Entry::kBox) out.push_back(entry.text);
    }
    return out;
  }

  device::SimDevice device_{clock_, device::LoadProfile(SourceDir() / "data" / "profiles" /
                                                        "default.xml")};
};

TEST_F(DtmTransfer, UploadSendsOneTransactionPerUploadElementAndFillsTheDataSet) {
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  EXPECT_TRUE(dtm_->UpDownloadAll());
  loop_.RunUntilIdle();
  EXPECT_FALSE(dtm_->UpDownloadAll());
  EXPECT_EQ(Transactions(), UploadElements());
  EXPECT_EQ(container_->LogLines(), std::vector<std::string>{"UploadFinished(u1, true)"});
  EXPECT_EQ(Element("DataStatus")->TransientValue, com::Variant(std::int16_t{1}));
  EXPECT_EQ(Element("UC000/ManuId")->TransientValue, com::Variant(std::uint8_t{165}));
  EXPECT_EQ(Element("UC013/Tag")->TransientValue, com::Variant("4625_1"));
  EXPECT_TRUE(Boxes().empty());
}

// The data-set state is counted as the elements' status flags change: after
// every step of a series it must be what a look at every element finds.
TEST_F(DtmTransfer, CountedDataSetStateIsWhatAWalkOverTheElementsFinds) {
  runtime::Parameters& parameters = Context().Parameters();
  auto expect_state = [&](std::int32_t state, const char* step) {
    SCOPED_TRACE(step);
    EXPECT_EQ(parameters.DataSetState(), state);
    EXPECT_EQ(clsDataModel::DataSetStateByWalk(parameters), state);
  };
  // As a page reports an edit, with the input error it found or cleared.
  auto edit = [&](const std::string& path, const com::Variant& value, std::int32_t set,
                  std::int32_t cleared) {
    const auto element = Element(path);
    element->TransientValue = value;
    element->ClearStatusFlag(cleared);
    element->SetStatusFlag(set);
    parameters.NotifyChanged(element, "");
  };
  expect_state(1, "new");

  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  loop_.RunUntilIdle();
  ASSERT_EQ(container_->LogLines().back(), "UploadFinished(u1, true)");
  expect_state(1, "uploaded");

  edit("UC013/Descr", com::Variant("EDITED"), 0, 0);
  expect_state(1, "value edited");
  edit("SC128Tr2/Par2", com::Variant(300.0f), flags::kOutOfRange, 0);
  expect_state(2, "one input error");
  edit("UC013/Descr", com::Variant("BAD\x01"), flags::kInvalidCharacter, 0);
  expect_state(2, "two input errors");
  edit("SC128Tr2/Par2", com::Variant(25.0f), 0, flags::kInputErrorMask);
  expect_state(2, "one of them cleared");
  edit("UC013/Descr", com::Variant("GOOD"), 0, flags::kInputErrorMask);
  expect_state(1, "both cleared");
  // A mark on an information value does not count.
  ASSERT_NE(Element("UC000/ManuId")->StatusFlags() & flags::kInformation, 0);
  edit("UC000/ManuId", com::Variant(std::uint8_t{165}), flags::kNeeded, 0);
  expect_state(1, "information value marked");

  // "needed" is kept with the data set, and so is an input error the value
  // still deserves.
  edit("SC128Tr2/Par2", com::Variant(300.0f), flags::kNeeded | flags::kOutOfRange, 0);
  expect_state(2, "marked before the save");
  com::MemoryPropertyBag bag;
  dtm_->Class_WriteProperties(bag);
  edit("SC128Tr2/Par2", com::Variant(25.0f), 0, flags::kNeeded | flags::kInputErrorMask);
  expect_state(1, "mark cleared after the save");
  dtm_->Class_ReadProperties(bag);
  expect_state(2, "loaded with the mark");
  edit("SC128Tr2/Par2", com::Variant(300.0f), 0, flags::kNeeded);
  expect_state(2, "needed cleared after the load, the input error stands");
  edit("SC128Tr2/Par2", com::Variant(25.0f), 0, flags::kInputErrorMask);
  expect_state(1, "mark cleared after the load");
}

TEST_F(DtmTransfer, ProtocolHeadingIsExact) {
  auto monitor = OpenMonitor();
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  ASSERT_GE(monitor->Lines().size(), 2u);
  EXPECT_EQ(monitor->Lines()[monitor->Lines().size() - 1],
            "---- IFDT: Upload all parameters (TAG1) " + std::string(21, '-'));
}

TEST_F(DtmTransfer, DownloadWritesTheChangedSetAndAnUploadReadsItBack) {
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  loop_.RunUntilIdle();
  Element("UC013/Descr")->TransientValue = com::Variant("NEW DESCRIPTOR");
  Element("SC128Tr2/Par2")->TransientValue = com::Variant(25.0f);
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_DownloadRequest("d1", ""));
  loop_.RunUntilIdle();
  ASSERT_EQ(container_->LogLines().back(), "DownloadFinished(d1, true)");

  Element("UC013/Descr")->TransientValue = com::Variant("LOCAL");
  Element("SC128Tr2/Par2")->TransientValue = com::Variant(1.0f);
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u2", ""));
  loop_.RunUntilIdle();
  EXPECT_EQ(Element("UC013/Descr")->TransientValue, com::Variant("NEW DESCRIPTOR"));
  EXPECT_EQ(Element("SC128Tr2/Par2")->TransientValue.ToDouble(), 25.0);
}

TEST_F(DtmTransfer, BusyRepliesDuringAnUploadEndInOneMessageWithTheCount) {
  registry_.SetValue(win::kHkeyLocalMachine, "Software\\VELDAR AG\\DTM4625_FDT12",
                     win::StringValue("BusyWait", "-1"));
  // The window is read when the model is made: make a new instance.
  std::shared_ptr<com::ClassFactory> factory;
  library_.DllGetClassObject(Library::Classes()[0].clsid, factory);
  dtm_ = std::dynamic_pointer_cast<DTMMain>(factory->CreateInstance());
  SetUpInstance();
  ASSERT_TRUE(dtm_->IDtm_SetCommunication(channel_));
  device_.InjectBusy(3);
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  loop_.RunUntilIdle();
  const std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find('3'), std::string::npos);
  EXPECT_EQ(dtm_->ParamBusyCounter(), 0);
  EXPECT_FALSE(dtm_->UpDownloadAll());
  // The three elements whose device stayed busy hold no device values.
  EXPECT_EQ(container_->LogLines().back(), "UploadFinished(u1, false)");
}

TEST_F(DtmTransfer, RefusedDownloadLeavesNoTransferFlagBehind) {
  for (std::int32_t state : {2, 4}) {
    SCOPED_TRACE(state);
    messages_.entries.clear();
    Context().Parameters().SetDataSetState(state);
    EXPECT_FALSE(dtm_->IDtmOnlineParameter_DownloadRequest("d1", ""));
    EXPECT_FALSE(dtm_->UpDownloadAll());
    ASSERT_EQ(messages_.entries.size(), 1u);
    EXPECT_EQ(messages_.entries[0].style, 0);
    EXPECT_FALSE(loop_.HasPending());
  }
}

TEST_F(DtmTransfer, DownloadRefusedOnlyInStatesTwoAndFour) {
  for (std::int32_t state : {0, 1, 3}) {
    SCOPED_TRACE(state);
    Context().Parameters().SetDataSetState(state);
    EXPECT_TRUE(dtm_->IDtmOnlineParameter_DownloadRequest("d" + std::to_string(state), ""));
    loop_.RunUntilIdle();
  }
}

TEST_F(DtmTransfer, ProcessThatCannotStartIsReportedAndClearsTheFlag) {
  ASSERT_TRUE(dtm_->IDtm_ReleaseCommunication());
  EXPECT_FALSE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  EXPECT_FALSE(dtm_->UpDownloadAll());
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(DtmTransfer, LostConnectionEndsTheUploadAsFailedAndKeepsTheData) {
  Element("UC013/Descr")->TransientValue = com::Variant("KEPT");
  device_.InjectLineBreak(13);
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  loop_.RunUntilIdle();
  EXPECT_EQ(container_->LogLines().back(), "UploadFinished(u1, false)");
  EXPECT_EQ(Element("UC013/Descr")->TransientValue, com::Variant("KEPT"));
  EXPECT_NE(Element("DataStatus")->TransientValue, com::Variant(std::int16_t{1}));
  EXPECT_FALSE(dtm_->UpDownloadAll());
  EXPECT_EQ(Errors(), std::vector<std::string>{"The connection to the device was lost."});
}

TEST_F(DtmTransfer, WriteProtectedDeviceEndsTheDownloadAsFailed) {
  // Edited values wait for the download.
  Element("DataStatus")->TransientValue = com::Variant(std::int16_t{2});
  device_.SetWriteProtected(true);
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_DownloadRequest("d1", ""));
  loop_.RunUntilIdle();
  EXPECT_FALSE(Boxes().empty());
  EXPECT_EQ(Element("UC013/Descr")->StatusFlags() & flags::kResponseClassMask, 0x300000);
  EXPECT_EQ(container_->LogLines(), std::vector<std::string>{"DownloadFinished(d1, false)"});
  EXPECT_EQ(Element("DataStatus")->TransientValue, com::Variant(std::int16_t{2}));
  EXPECT_FALSE(dtm_->UpDownloadAll());
}

// A device that sends counts no Long holds (a signalling not-a-number, 2^32,
// 2^31): each such element ends its transaction with the class of a
// response it cannot read and keeps its value, every other transaction is
// still done, and the frame hears that the upload failed.
TEST_F(DtmTransfer, CountsNoLongHoldsEndOnlyTheirTransactions) {
  auto monitor = OpenMonitor();
  const char* const kCounts[] = {"SC136/TotTravel", "SC128Tr10/Par4", "SC128Tr13/Par2"};
  for (const char* path : kCounts) Element(path)->TransientValue = com::Variant(std::int32_t{77});
  device::Profile memory = device_.Memory();
  memory.dynamic.total_travel = std::bit_cast<float>(std::uint32_t{0x7FA00000});
  memory.floats[Element("SC128Tr10/Par4")->nParamIndex] = 4294967296.0f;
  memory.floats[Element("SC128Tr13/Par2")->nParamIndex] = 2147483648.0f;
  device_.Load(memory);

  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  EXPECT_NO_THROW(loop_.RunUntilIdle());
  EXPECT_FALSE(loop_.HasPending());
  EXPECT_EQ(Transactions(), UploadElements());
  EXPECT_EQ(container_->LogLines(), std::vector<std::string>{"UploadFinished(u1, false)"});
  EXPECT_FALSE(dtm_->UpDownloadAll());
  EXPECT_NE(Element("DataStatus")->TransientValue, com::Variant(std::int16_t{1}));
  for (const char* path : kCounts) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Element(path)->StatusFlags() & flags::kResponseClassMask, 0x500000);
    EXPECT_EQ(Element(path)->TransientValue, com::Variant(std::int32_t{77}));
    EXPECT_EQ(Element(path)->CmdErr, std::string(path) + ": Overflow");
  }
  std::vector<std::string> refused;
  for (const auto& result : Context().CommMan().GetResults("u1")) {
    if (result.Outcome != runtime::ResultOutcome::kAccepted) {
      refused.push_back(result.Element->IPrivateDataElement_Name());
    }
  }
  EXPECT_EQ(refused, (std::vector<std::string>{"SC128Tr10/", "SC128Tr13/", "SC136/"}));
  // The rest of the data set came.
  EXPECT_EQ(Element("UC013/Tag")->TransientValue, com::Variant("4625_1"));
  EXPECT_EQ(Element("SC128Tr13/Par3")->StatusFlags() & flags::kResponseClassMask, 0);
  EXPECT_EQ(Element("SC136/x")->StatusFlags() & flags::kResponseClassMask, 0);
  const std::string value_line = "Value " + Element("SC136/TotTravel")->Prompt + " = NaN";
  EXPECT_NE(std::find(monitor->Lines().begin(), monitor->Lines().end(), value_line),
            monitor->Lines().end());
}

// Values set into elements that their coding cannot take: their
// transactions are not sent, each element carries the input error, and the
// download goes on to its end and reports the failure.
TEST_F(DtmTransfer, ValuesThatCannotBeCodedRefuseOnlyTheirTransactions) {
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  loop_.RunUntilIdle();
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_DownloadRequest("d0", ""));
  std::size_t before = Transactions();
  loop_.RunUntilIdle();
  ASSERT_EQ(container_->LogLines().back(), "DownloadFinished(d0, true)");
  const std::size_t clean = Transactions() - before;

  Element("SC130Tr1/Par2")->TransientValue = com::Variant("hello");
  Element("UC013/Date")->TransientValue = com::Variant(std::int32_t{5000000});
  messages_.entries.clear();
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_DownloadRequest("d1", ""));
  before = Transactions();
  EXPECT_NO_THROW(loop_.RunUntilIdle());
  EXPECT_EQ(Transactions() - before, clean - 2);
  EXPECT_EQ(container_->LogLines().back(), "DownloadFinished(d1, false)");
  EXPECT_FALSE(dtm_->UpDownloadAll());
  EXPECT_EQ(Element("SC130Tr1/Par2")->StatusFlags() & flags::kInputErrorMask, 0x2000);
  EXPECT_EQ(Element("SC130Tr1/Par2")->CmdErr, "SC130Tr1/Par2: Type mismatch");
  EXPECT_EQ(Element("UC013/Date")->StatusFlags() & flags::kInputErrorMask, 0x4000);
  EXPECT_EQ(Element("UC013/Date")->CmdErr, "UC013/Date: Overflow");
  std::vector<std::string> reports;
  for (const auto& entry : messages_.entries) {
    if (entry.kind == runtime::RecordingMessageSink::Entry::kReport) reports.push_back(entry.text);
  }
  EXPECT_EQ(reports, (std::vector<std::string>{"SC130Tr1/Par2: Type mismatch", "UC013/: Overflow"}));
}

// What the device made of each transaction of an upload, as the results
// of the process tell it, and the frame's notice.
struct UploadOutcomeCase {
  const char* name;
  std::function<void(device::SimDevice&)> fault;
  std::vector<std::string> not_accepted;  // "<element>:<outcome>"
  const char* end;
};
void PrintTo(const UploadOutcomeCase& c, std::ostream* os) { *os << c.name; }

const UploadOutcomeCase kUploadOutcomes[] = {
    {"Clean", [](device::SimDevice&) {}, {}, "UploadFinished(u1, true)"},
    {"GroupReadRefused",
     [](device::SimDevice& device) { device.ForceResponseCode(128, device::rc::kInvalidSelection); },
     {"SC128Tr2/:refused"}, "UploadFinished(u1, false)"},
    {"GroupAnswerTooShort", [](device::SimDevice& device) { device.InjectShortResponse(128, 4); },
     {"SC128Tr2/:refused"}, "UploadFinished(u1, false)"},
    {"CodeWhoseValueIsStillDecoded",
     [](device::SimDevice& device) { device.ForceResponseCode(128, 1, 1, true); }, {},
     "UploadFinished(u1, true)"},
    {"NoAnswer", [](device::SimDevice& device) { device.InjectNoResponse(1, 128); },
     {"SC128Tr2/:not answered"}, "UploadFinished(u1, false)"},
};

class DtmUploadOutcome : public DtmTransfer,
                         public ::testing::WithParamInterface<UploadOutcomeCase> {
 protected:
  static const char* OutcomeName(runtime::ResultOutcome outcome) {
    switch (outcome) {
      case runtime::ResultOutcome::kAccepted:
        return "accepted";
      case runtime::ResultOutcome::kRefused:
        return "refused";
      case runtime::ResultOutcome::kBusy:
        return "busy";
      case runtime::ResultOutcome::kNotAnswered:
        return "not answered";
    }
    return "?";
  }
  std::vector<std::string> NotAccepted(const std::string& process_id) {
    std::vector<std::string> lines;
    for (const auto& result : Context().CommMan().GetResults(process_id)) {
      if (result.Outcome == runtime::ResultOutcome::kAccepted) continue;
      lines.push_back(result.Element->IPrivateDataElement_Name() + ":" +
                      OutcomeName(result.Outcome));
    }
    return lines;
  }
};

TEST_P(DtmUploadOutcome, FollowsTheDevicesAnswers) {
  GetParam().fault(device_);
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  loop_.RunFor(std::chrono::seconds(60));
  EXPECT_EQ(NotAccepted("u1"), GetParam().not_accepted);
  EXPECT_EQ(container_->LogLines(), std::vector<std::string>{GetParam().end});
}

INSTANTIATE_TEST_SUITE_P(Table, DtmUploadOutcome, ::testing::ValuesIn(kUploadOutcomes),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(DtmTransfer, ADtmDroppedWhileItsUploadRunsIsFreed) {
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  const std::weak_ptr<DTMMain> weak = dtm_;
  dtm_.reset();
  // The runtime holds the DTM only weakly as the process's sink.
  EXPECT_TRUE(weak.expired());
  loop_.RunUntilIdle();
}

using DtmCancel = DtmTransfer;

TEST_F(DtmCancel, WithdrawsOnlyTheBusyClass) {
  auto busy = Element("UC013/Descr");
  auto protected_element = Element("UC013/Date");
  busy->SetStatusFlags(0x200000 | flags::kChanged);
  protected_element->SetStatusFlags(0x300000);
  EXPECT_FALSE(dtm_->IDtmOnlineParameter_CancelAction("none"));
  EXPECT_EQ(busy->StatusFlags(), flags::kChanged);
  EXPECT_EQ(protected_element->StatusFlags(), 0x300000);
}

struct CancelCase {
  const char* name;
  bool download;
  const char* notice;
};
void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

const CancelCase kCancels[] = {{"Upload", false, "UploadFinished(t1, false)"},
                               {"Download", true, "DownloadFinished(t1, false)"}};

class DtmCancelWholeTransfer : public DtmTransfer,
                               public ::testing::WithParamInterface<CancelCase> {};

TEST_P(DtmCancelWholeTransfer, EndsItWithOneFailedNotice) {
  // The values that arrive mark the set changed; the cancelled end says nothing of the device.
  Element("DataStatus")->TransientValue = com::Variant(std::int16_t{2});
  ASSERT_TRUE(GetParam().download ? dtm_->IDtmOnlineParameter_DownloadRequest("t1", "")
                                  : dtm_->IDtmOnlineParameter_UploadRequest("t1", ""));
  // Some transactions went, the first in flight with the frame.
  ASSERT_TRUE(loop_.RunUntil([&] { return Transactions() >= 3; }));
  EXPECT_TRUE(dtm_->IDtmOnlineParameter_CancelAction("t1"));
  EXPECT_EQ(container_->LogLines(), std::vector<std::string>{GetParam().notice});
  EXPECT_FALSE(dtm_->UpDownloadAll());
  EXPECT_EQ(dtm_->ParamBusyCounter(), 0);
  loop_.RunFor(std::chrono::seconds(60));
  EXPECT_EQ(container_->LogLines(), std::vector<std::string>{GetParam().notice});
  EXPECT_EQ(Element("DataStatus")->TransientValue, com::Variant(std::int16_t{2}));
  EXPECT_FALSE(dtm_->IDtmOnlineParameter_CancelAction("t1"));
  EXPECT_EQ(container_->LogLines().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Table, DtmCancelWholeTransfer, ::testing::ValuesIn(kCancels),
                         [](const auto& i) { return std::string(i.param.name); });

// A second request that is refused while a transfer runs.
struct SecondRequestCase {
  const char* name;
  std::function<bool(DTMMain&, runtime::DTMContext&)> request;
};
void PrintTo(const SecondRequestCase& c, std::ostream* os) { *os << c.name; }

const SecondRequestCase kSecondRequests[] = {
    {"UploadUnderTheRunningId",
     [](DTMMain& dtm, runtime::DTMContext&) {
       return dtm.IDtmOnlineParameter_UploadRequest("u1", "");
     }},
    {"DownloadOfAnInconsistentSet",
     [](DTMMain& dtm, runtime::DTMContext& context) {
       context.Parameters().SetDataSetState(2);
       return dtm.IDtmOnlineParameter_DownloadRequest("d1", "");
     }},
};

class DtmSecondRequest : public DtmTransfer,
                         public ::testing::WithParamInterface<SecondRequestCase> {};

TEST_P(DtmSecondRequest, RefusedLeavesTheRunningTransferAlone) {
  ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest("u1", ""));
  ASSERT_TRUE(loop_.RunUntil([&] { return Transactions() >= 3; }));
  dtm_->SetParamBusyCounter(2);  // busy replies counted so far
  EXPECT_FALSE(GetParam().request(*dtm_, Context()));
  EXPECT_TRUE(dtm_->UpDownloadAll());
  EXPECT_EQ(dtm_->ParamBusyCounter(), 2);
  loop_.RunUntilIdle();
  EXPECT_EQ(container_->LogLines(), std::vector<std::string>{"UploadFinished(u1, true)"});
  EXPECT_FALSE(dtm_->UpDownloadAll());
  EXPECT_EQ(dtm_->ParamBusyCounter(), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, DtmSecondRequest, ::testing::ValuesIn(kSecondRequests),
                         [](const auto& i) { return std::string(i.param.name); });

class DtmFinished : public DtmTransfer {};

TEST_F(DtmFinished, DataStatusOnlyForASuccess) {
  struct Case {
    const char* name;
    std::optional<com::Variant> success;
    bool sets;
  };
  const Case cases[] = {{"Absent", std::nullopt, false},
                        {"False", com::Variant(false), false},
                        {"True", com::Variant(true), true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    container_->ClearLog();
    Element("DataStatus")->TransientValue = com::Variant(std::int16_t{0});
    ASSERT_TRUE(dtm_->IDtmOnlineParameter_UploadRequest(c.name, ""));
    // The end as the runtime would bring it, while the process is still its own.
    dtm_->IPrivateProcess_OnProcessFinished(c.name, c.success);
    Context().ProcessMan().CancelProcess(c.name);
    EXPECT_FALSE(dtm_->UpDownloadAll());
    EXPECT_EQ(container_->LogLines(),
              std::vector<std::string>{std::string("UploadFinished(") + c.name + ", " +
                                       (c.sets ? "true" : "false") + ")"});
    EXPECT_EQ(Element("DataStatus")->TransientValue,
              com::Variant(static_cast<std::int16_t>(c.sets ? 1 : 0)));
  }
}

TEST_F(DtmFinished, EndOfNoTransferOfThisInstanceIsDropped) {
  Element("DataStatus")->TransientValue = com::Variant(std::int16_t{0});
  dtm_->IPrivateProcess_OnProcessFinished("p", com::Variant(true));
  EXPECT_TRUE(container_->Log().empty());
  EXPECT_EQ(Element("DataStatus")->TransientValue, com::Variant(std::int16_t{0}));
}

TEST_F(DtmFinished, ConnectLinesGoToTheProtocol) {
  auto monitor = OpenMonitor();
  ASSERT_TRUE(Context().CommMan().Connect("c1"));
  loop_.RunUntilIdle();
  ASSERT_GE(monitor->Lines().size(), 2u);
  EXPECT_EQ(monitor->Lines()[monitor->Lines().size() - 1], "*** Connect *** (TAG1)");
  channel_->SetConnectFails(true);
  ASSERT_TRUE(dtm_->IDtm_PrepareToReleaseCommunication());
  loop_.RunUntilIdle();
  ASSERT_TRUE(dtm_->IDtm_SetCommunication(channel_));
  ASSERT_TRUE(Context().CommMan().Connect("c2"));
  loop_.RunUntilIdle();
  EXPECT_EQ(monitor->Lines().back(), "*** Connect failed - repeat connect ***");
}

}  // namespace
}  // namespace dtm::testing
