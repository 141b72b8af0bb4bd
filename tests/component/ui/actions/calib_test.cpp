// The calibration page against the simulated device under the virtual
// clock: the dynamic parameters by valve type, the range check of the
// nominal value, and the two actions followed to their end, with every
// result, cancellation, a lost connection, write protection and user level 0.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/ui/actions/ctl_calib.h"
#include "host/device/attach.h"
#include "host/device/profile.h"
#include "host/device/sim_device.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

struct Box {
  std::string text;
  std::int32_t style;
  std::string title;
  bool operator==(const Box&) const = default;
};

void PrintTo(const Box& box, std::ostream* os) {
  *os << "{\"" << box.text << "\", " << box.style << ", \"" << box.title << "\"}";
}

constexpr const char* kInit = "Initialisation";
constexpr const char* kZero = "Zero-point calibration";
const Box kAskInit{
    "The initialisation moves the valve over its whole travel. Make sure the process allows it. "
    "Start the initialisation now?",
    289, ""};
const Box kAskZero{
    "The zero-point calibration moves the valve. Make sure the process allows it. Start the "
    "zero-point calibration now?",
    289, ""};
const Box kConnectionLost{"The connection to the device was lost.", 0, ""};
const Box kNoConnect{"The connection to the device could not be established.", 0, ""};

std::vector<std::string> Split(const std::string& caption) {
  std::vector<std::string> lines;
  if (caption.empty()) return lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = caption.find('\r', start);
    lines.push_back(caption.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

class CalibPage : public DtmFixture {
 protected:
  CalibPage() {
    device::AttachDevice(*channel_, device_);
    SetUpInstance();
    EXPECT_TRUE(dtm_->IDtm_SetLanguage(1033));
    EXPECT_TRUE(dtm_->IDtm_SetCommunication(channel_));
    channel_->SetTransactionLatency(100ms);
    Context().User().SetUserLevel(2);
  }
  // A frame ends its pages before it lets the DTM go.
  ~CalibPage() override {
    try {
      Context().GUIMan().CloseAllGUIs();
    } catch (...) {
    }
  }

  // Opens the page and lets its first read of the dynamic parameters end.
  void Open() {
    page_ = std::make_shared<ctlCalib>(services_);
    ASSERT_TRUE(page_->IDtmActiveXControl_Init("8", "", dtm_));
    loop_.RunFor(10s);
    messages_.entries.clear();
  }

  std::shared_ptr<clsDataElement> Element(const std::string& path) {
    return std::dynamic_pointer_cast<clsDataElement>(Context().Parameters().Item(path));
  }

  std::vector<Box> Boxes() const {
    std::vector<Box> boxes;
    for (const auto& entry : messages_.entries) {
      if (entry.kind == runtime::RecordingMessageSink::Entry::kBox) {
        boxes.push_back({entry.text, entry.style, entry.title});
      }
    }
    return boxes;
  }

  // Runs the loop for `span` of clock time, gathering every line the
  // protocol label shows on the way (it keeps only the last four). The
  // steps are shorter than a transaction, so no line goes unseen.
  void RunGathering(loop::Clock::Duration span) {
    const auto end = clock_.Now() + span;
    do {
      Gather();
      if (clock_.Now() >= end) break;
      loop_.RunFor(std::min<loop::Clock::Duration>(20ms, end - clock_.Now()));
    } while (true);
    Gather();
  }
  void Gather() {
    const std::vector<std::string> now = Split(page_->lblProt().Caption());
    if (now == shown_) return;
    std::size_t overlap = std::min(shown_.size(), now.size());
    while (overlap > 0 &&
           !std::equal(shown_.end() - static_cast<std::ptrdiff_t>(overlap), shown_.end(), now.begin())) {
      --overlap;
    }
    protocol_.insert(protocol_.end(), now.begin() + static_cast<std::ptrdiff_t>(overlap), now.end());
    shown_ = now;
  }

  // Clicks a start button, answering the question with `answer`.
  void Start(forms::Control& button, std::int32_t answer = 1) {
    messages_.answers.push_back(answer);
    Gather();
    ASSERT_TRUE(button.UserClick());
    Gather();
  }

  // Commands the device received, in order, with their first data byte.
  std::vector<std::string> Received(std::size_t from = 0) const {
    std::vector<std::string> out;
    const auto& all = device_.Received();
    for (std::size_t i = from; i < all.size(); ++i) {
      std::string text = std::to_string(all[i].command);
      for (std::size_t b = 0; b < all[i].data.size(); ++b) {
        text += (b == 0 ? "[" : ",") + std::to_string(all[i].data[b]);
      }
      if (!all[i].data.empty()) text += "]";
      out.push_back(text);
    }
    return out;
  }

  std::size_t Count(const std::string& request, std::size_t from = 0) const {
    const auto all = Received(from);
    return static_cast<std::size_t>(std::count(all.begin(), all.end(), request));
  }

  // The page at rest: no action, buttons usable, communication idle.
  void ExpectIdle() {
    EXPECT_EQ(page_->ActionState(), NO_ACTION);
    EXPECT_TRUE(page_->cmdZeroPointCalib().Enabled());
    EXPECT_TRUE(page_->cmdInitialization().Enabled());
    EXPECT_TRUE(page_->cmdReadDynPars().Enabled());
    EXPECT_TRUE(page_->cmdWriteDynPars().Enabled());
    EXPECT_EQ(page_->lblComm().Caption(), "Communication not active.");
    EXPECT_EQ(page_->lblProt().Caption(), "");
    EXPECT_FALSE(Process().IsBusy());
    EXPECT_FALSE(Element("SC133")->Validity());
  }

  runtime::ParamProcess& Process() { return *page_->Process(); }

  device::SimDevice device_{clock_, device::LoadProfile(SourceDir() / "data" / "profiles" / "default.xml")};
  std::shared_ptr<ctlCalib> page_;
  Lines protocol_;
  Lines shown_;
};

// ---- Opening, texts, buttons ----------------------------------------------------------------------

TEST_F(CalibPage, OpensWithItsTextsAndReadsTheDynamicParameters) {
  page_ = std::make_shared<ctlCalib>(services_);
  ASSERT_TRUE(page_->IDtmActiveXControl_Init("8", "", dtm_));
  // The read runs with the activity display, every button off.
  EXPECT_TRUE(page_->DynParsActive());
  EXPECT_TRUE(page_->ActivityTimer()->Enabled());
  EXPECT_FALSE(page_->cmdReadDynPars().Enabled());
  EXPECT_FALSE(page_->cmdZeroPointCalib().Enabled());
  loop_.RunFor(10s);
  EXPECT_FALSE(page_->DynParsActive());
  EXPECT_FALSE(page_->ActivityTimer()->Enabled());
  ExpectIdle();
  // The data set now holds values read from the device.
  EXPECT_EQ(page_->Headline()->Title(), "Calibration (*)");
  EXPECT_EQ(page_->frmCalib().Caption(), "Calibration");
  EXPECT_EQ(page_->frmStartUp().Caption(), "Start-up");
  EXPECT_EQ(page_->cmdReadDynPars().Caption(), "&Read");
  EXPECT_EQ(page_->cmdInitialization().ToolTipText(), "Starts the initialisation of the positioner on its valve.");
  EXPECT_EQ(page_->cmdZeroPointCalib().ToolTipText(), "Starts the zero-point calibration of the positioner.");
  EXPECT_EQ(page_->cmdReadDynPars().ToolTipText(), "");
  // A linear valve: its type, three linear-valve elements and the common five.
  EXPECT_EQ(Received(), (Lines{"130[0,72]", "128[0,10]", "130[67]", "130[0,91]", "130[0,0,0,92]", "130[70]",
                               "128[46]", "130[0,0,86]", "130[85]"}));
  EXPECT_EQ(Boxes(), std::vector<Box>{});
}

TEST_F(CalibPage, TheDynamicParametersFollowTheValveType) {
  // The elements of each transfer, in order.
  struct Case {
    const char* name;
    std::int16_t valve_type;
    bool write;
    std::vector<std::string> changed;  // elements edited before a write
    Lines expected;
  };
  const Lines common = {"SC130Tr2/Par4", "SC130Tr2/Par1", "SC128Tr2/Par1", "SC130Tr2/Par3", "SC130Tr3/Par1"};
  auto with = [&](Lines head) {
    head.insert(head.end(), common.begin(), common.end());
    return head;
  };
  const Case cases[] = {
      {"ReadLinear", 0, false, {}, with({"SC130Tr1/Par2", "SC128Tr2/Par2", "SC130Tr1/Par1", "SC130Tr2/Par2"})},
      {"ReadRotary", 1, false, {}, with({"SC130Tr1/Par2", "SC128Tr1/Par1"})},
      {"ReadOther", 2, false, {}, with({"SC130Tr1/Par2", "SC128Tr1/Par1"})},
      {"WriteNothingChanged", 0, true, {}, {"SC130Tr1/Par2"}},
      {"WriteNominalTravel", 0, true, {"SC128Tr2/Par2"}, {"SC130Tr1/Par2", "SC128Tr2/Par2"}},
      {"WriteRangesAndMode", 1, true, {"SC128Tr1/Par3", "SC128Tr2/Par4", "SC130Tr2/Par4", "SC130Tr1/Par1"},
       {"SC130Tr1/Par2", "SC128Tr1/Par3", "SC128Tr2/Par4", "SC130Tr2/Par4"}},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Element("SC130Tr1/Par2")->TransientValue = com::Variant(c.valve_type);
    for (const std::string& path : c.changed) Element(path)->SetStatusFlags(4);
    ASSERT_TRUE((c.write ? page_->cmdWriteDynPars() : page_->cmdReadDynPars()).UserClick());
    Lines sent;
    for (const auto& entry : Process().Entries()) {
      sent.push_back(entry.element->IPrivateDataElement_Name());
      EXPECT_EQ(entry.write, c.write) << sent.back();
    }
    EXPECT_EQ(sent, c.expected);
    loop_.RunFor(10s);
    EXPECT_EQ(page_->ActionState(), NO_ACTION);
    EXPECT_TRUE(page_->cmdWriteDynPars().Enabled());
  }
}

TEST_F(CalibPage, AnElementWithMoreThanTheChangedFlagIsNotWritten) {
  Open();
  Element("SC128Tr2/Par2")->SetStatusFlags(4 | 0x1000);
  ASSERT_TRUE(page_->cmdWriteDynPars().UserClick());
  ASSERT_EQ(Process().Entries().size(), 1u);
  EXPECT_EQ(Process().Entries()[0].element->IPrivateDataElement_Name(), "SC130Tr1/Par2");
}

TEST_F(CalibPage, UserLevelZeroKeepsBothActionButtonsOff) {
  Context().User().SetUserLevel(0);
  Open();
  EXPECT_FALSE(page_->cmdZeroPointCalib().Enabled());
  EXPECT_FALSE(page_->cmdInitialization().Enabled());
  // The dynamic-parameter buttons do not follow the user level.
  EXPECT_TRUE(page_->cmdReadDynPars().Enabled());
  const std::size_t before = device_.Received().size();
  messages_.answers.push_back(1);
  page_->cmdInitialization().Raise("Click");
  page_->cmdZeroPointCalib().Raise("Click");
  loop_.RunFor(1min);
  EXPECT_EQ(Boxes(), std::vector<Box>{});
  EXPECT_EQ(page_->ActionState(), NO_ACTION);
  EXPECT_EQ(Received(before), Lines{});
  // A lock change leaves the action buttons alone.
  page_->IPrivateGUI_LockStateChanged(false);
  EXPECT_FALSE(page_->cmdZeroPointCalib().Enabled());
}

// ---- The range check -----------------------------------------------------------------------------

TEST_F(CalibPage, LeavingTheNominalValueChecksItAgainstTheRange) {
  struct Case {
    const char* name;
    std::int16_t valve_type;
    std::size_t field;
    double nominal, range;
    std::int32_t answer;
    std::vector<Box> boxes;
    double range_after;
  };
  const Box travel_greater{"The rated travel is greater than the end of the travel range. Set the end of the travel range to the rated travel?", 292, ""};
  const Box travel_smaller{"The rated travel is smaller than the end of the travel range. The end of the travel range is set to the rated travel.", 320, ""};
  const Box angle_greater{"The rated angle is greater than the end of the angle range. Set the end of the angle range to the rated angle?", 292, ""};
  const Box angle_smaller{"The rated angle is smaller than the end of the angle range. The end of the angle range is set to the rated angle.", 320, ""};
  const Case cases[] = {
      {"GreaterYes", 0, 3, 30.0, 20.0, 6, {travel_greater}, 30.0},
      {"GreaterNo", 0, 3, 30.0, 20.0, 7, {travel_greater}, 20.0},
      {"Smaller", 0, 3, 15.0, 20.0, 1, {travel_smaller}, 15.0},
      {"Equal", 0, 3, 20.0, 20.0, 1, {}, 20.0},
      {"AngleGreaterYes", 1, 12, 90.0, 70.0, 6, {angle_greater}, 90.0},
      {"AngleSmaller", 1, 12, 50.0, 70.0, 1, {angle_smaller}, 50.0},
      {"OtherValveType", 2, 3, 30.0, 20.0, 6, {}, 20.0},
      {"OtherField", 0, 13, 30.0, 20.0, 6, {}, 20.0},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.entries.clear();
    messages_.answers = {c.answer};
    Element("SC130Tr1/Par2")->TransientValue = com::Variant(c.valve_type);
    const bool rotary = c.valve_type == 1;
    Element(rotary ? "SC128Tr1/Par1" : "SC128Tr2/Par2")->TransientValue = com::Variant(c.nominal);
    const auto range = Element(rotary ? "SC128Tr1/Par3" : "SC128Tr2/Par4");
    range->TransientValue = com::Variant(c.range);
    page_->Field(c.field).Raise("LostFocus");
    EXPECT_EQ(Boxes(), c.boxes);
    EXPECT_EQ(range->TransientValue.ToDouble(), c.range_after);
  }
}

TEST_F(CalibPage, EnterInTheNominalFieldMovesTheFocusToTheZeroPointButton) {
  Open();
  page_->Field(3).SetFocus();
  Element("SC130Tr1/Par2")->TransientValue = com::Variant(std::int16_t{0});
  Element("SC128Tr2/Par2")->TransientValue = com::Variant(15.0);
  Element("SC128Tr2/Par4")->TransientValue = com::Variant(20.0);
  page_->Field(3).UserKeyPress(13);
  EXPECT_TRUE(page_->cmdZeroPointCalib().HasFocus());
  EXPECT_EQ(Boxes().size(), 1u);  // the range check ran as the field lost the focus
  EXPECT_EQ(Element("SC128Tr2/Par4")->TransientValue.ToDouble(), 15.0);
}

// ---- The initialisation ---------------------------------------------------------------------------

TEST_F(CalibPage, DecliningTheStartQuestionChangesNothing) {
  Open();
  const std::size_t before = device_.Received().size();
  Start(page_->cmdInitialization(), 2);
  Start(page_->cmdZeroPointCalib(), 2);
  loop_.RunFor(1min);
  EXPECT_EQ(Boxes(), (std::vector<Box>{kAskInit, kAskZero}));
  EXPECT_EQ(Received(before), Lines{});
  ExpectIdle();
}

TEST_F(CalibPage, AnInitialisationRunsToItsEndAndReadsTheWarningsOnce) {
  Open();
  const std::size_t before = device_.Received().size();
  Start(page_->cmdInitialization());
  EXPECT_EQ(page_->ActionState(), START_ACTION_INIT);
  EXPECT_EQ(page_->lblComm().Caption(), "Communication active.");
  EXPECT_EQ(page_->lblComm().ForeColor(), static_cast<forms::OleColor>(0xFF0000));
  EXPECT_FALSE(page_->cmdReadDynPars().Enabled());
  EXPECT_FALSE(page_->cmdInitialization().Enabled());
  EXPECT_TRUE(Element("SC134")->Validity());
  EXPECT_FALSE(Element("CC048/St1")->Validity());
  EXPECT_TRUE(Element("SC133")->Validity());
  EXPECT_EQ(Element("SC133")->TransientValue.ToLong(), 2);
  EXPECT_EQ(Element("SC134")->nParamIndex, 2);
  RunGathering(30s);
  EXPECT_EQ(protocol_, (Lines{"Initialisation: starting.", "Initialisation: running.",
                              "Initialisation: finding the mechanical stops.",
                              "Initialisation: finding the minimum positioning pulses.",
                              "Initialisation: finding the minimum travel times.",
                              "Initialisation finished.", "Reading the device status."}));
  EXPECT_EQ(Boxes(), (std::vector<Box>{kAskInit, {"Initialisation finished.", 64, kInit}}));
  ExpectIdle();
  EXPECT_EQ(page_->lblComm().ForeColor(), static_cast<forms::OleColor>(0x80000012));
  EXPECT_EQ(page_->LastCode(), 254);
  EXPECT_EQ(Element("SC134")->TransientValue.ToLong(), 254);
  EXPECT_TRUE(Element("SC134")->Validity());
  EXPECT_FALSE(Element("CC048/St1")->Validity());
  EXPECT_FALSE(device_.ActionRunning());
  const Lines sent = Received(before);
  ASSERT_GE(sent.size(), 5u);
  EXPECT_EQ(sent.front(), "132[2]");
  EXPECT_EQ(Lines(sent.end() - 3, sent.end()), (Lines{"130[0,0,0,92]", "48", "130[98,81,82,71]"}));
  EXPECT_EQ(Count("130[98,81,82,71]", before), 1u);
  EXPECT_EQ(Count("134[2]", before), sent.size() - 4);
}

TEST_F(CalibPage, EachFinalCodeOfTheInitialisationEndsWithItsText) {
  struct Case {
    std::uint8_t code;
    const char* line;
  };
  const Case cases[] = {
      {4, "Initialisation: the mechanics or the pneumatics are faulty."},
      {11, "Initialisation: time error."},
      {12, "Initialisation: the proportional range is restricted too much."},
      {14, "Initialisation: the mechanical system is jammed."},
      {30, "Initialisation: zero-point error."},
      {31, "Initialisation is not possible: the device is not initialised."},
      {2, "Initialisation was cancelled."},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    messages_.entries.clear();
    protocol_.clear();
    device_.FailNextAction(c.code);
    Start(page_->cmdInitialization());
    RunGathering(30s);
    ASSERT_GE(protocol_.size(), 2u);
    EXPECT_EQ(protocol_[protocol_.size() - 2], c.line);
    EXPECT_EQ(protocol_.back(), "Reading the device status.");
    EXPECT_EQ(Boxes(), (std::vector<Box>{kAskInit, {"Initialisation was cancelled.", 16, kInit}}));
    EXPECT_EQ(page_->LastCode(), c.code);
    ExpectIdle();
  }
}

TEST_F(CalibPage, AnUnknownInitialisationCodeCancelsTheDevicesAction) {
  Open();
  const std::size_t before = device_.Received().size();
  device_.FailNextAction(99);
  Start(page_->cmdInitialization());
  RunGathering(30s);
  EXPECT_EQ(Boxes(), (std::vector<Box>{kAskInit,
                                       {"Initialisation: the device reported an unknown result. The action is cancelled.", 64, kInit},
                                       {"Initialisation was cancelled.", 16, kInit}}));
  ASSERT_GE(protocol_.size(), 2u);
  EXPECT_EQ(Lines(protocol_.end() - 2, protocol_.end()), (Lines{"Initialisation was cancelled.", "Reading the device status."}));
  const Lines sent = Received(before);
  EXPECT_EQ(Lines(sent.end() - 3, sent.end()), (Lines{"133[2]", "48", "130[98,81,82,71]"}));
  // The read after the final code gave way to the cancel.
  EXPECT_EQ(Count("130[0,0,0,92]", before), 0u);
  ExpectIdle();
}

// ---- The zero-point calibration ---------------------------------------------------------------------

TEST_F(CalibPage, AZeroPointCalibrationRunsToItsEnd) {
  Open();
  const std::size_t before = device_.Received().size();
  Start(page_->cmdZeroPointCalib());
  EXPECT_EQ(page_->ActionState(), START_ACTION_NULLPOINT);
  EXPECT_FALSE(Element("SC134")->Validity());
  EXPECT_TRUE(Element("CC048/St1")->Validity());
  EXPECT_EQ(Element("SC133")->TransientValue.ToLong(), 1);
  RunGathering(30s);
  ASSERT_GE(protocol_.size(), 4u);
  EXPECT_EQ(protocol_.front(), "Zero-point calibration: starting.");
  EXPECT_EQ(protocol_[1], "Zero-point calibration: running.");
  EXPECT_EQ(Lines(protocol_.end() - 2, protocol_.end()),
            (Lines{"Zero-point calibration finished.", "Reading the device status."}));
  EXPECT_EQ(Boxes(), (std::vector<Box>{kAskZero, {"Zero-point calibration finished.", 64, kZero}}));
  ExpectIdle();
  EXPECT_EQ(Element("CC048/St1")->TransientValue.ToLong(), 128);
  EXPECT_FALSE(Element("SC134")->Validity());
  const Lines sent = Received(before);
  EXPECT_EQ(sent.front(), "132[1]");
  EXPECT_EQ(Lines(sent.end() - 3, sent.end()), (Lines{"130[0,0,0,92]", "48", "130[98,81,82,71]"}));
  EXPECT_EQ(Count("130[98,81,82,71]", before), 1u);
}

TEST_F(CalibPage, TheZeroPointResultComesFromTheStatusByte) {
  struct Case {
    const char* name;
    std::uint8_t status1_before;  // status byte 1 when the calibration starts
    std::optional<std::uint8_t> failure;
    std::int16_t code;
    Box result;
  };
  const Case cases[] = {
      {"NotInitialised", 0x01, std::nullopt, 1, {"Zero-point calibration is not possible: the device is not initialised.", 16, kZero}},
      {"ZeroPointError", 0x00, std::uint8_t{30}, 16, {"Zero-point calibration: zero-point error.", 16, kZero}},
      {"Done", 0x00, std::nullopt, 128, {"Zero-point calibration finished.", 64, kZero}},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.entries.clear();
    device_.SetStatusByte(1, c.status1_before);
    if (c.failure) device_.FailNextAction(*c.failure);
    Start(page_->cmdZeroPointCalib());
    RunGathering(30s);
    EXPECT_EQ(page_->LastCode(), c.code);
    EXPECT_EQ(Boxes(), (std::vector<Box>{kAskZero, c.result}));
    EXPECT_EQ(Element("CC048/St1")->TransientValue.ToLong(), c.code);
    ExpectIdle();
  }
}

// ---- Cancellation -------------------------------------------------------------------------------------

TEST_F(CalibPage, TheCancelEntryCancelsTheRunningAction) {
  struct Case {
    const char* name;
    bool initialisation;
    Box result;
  };
  const Case cases[] = {
      {"Initialisation", true, {"Initialisation was cancelled.", 16, kInit}},
      {"ZeroPoint", false, {"Zero-point calibration was cancelled.", 16, kZero}},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.entries.clear();
    Start(c.initialisation ? page_->cmdInitialization() : page_->cmdZeroPointCalib());
    RunGathering(2s);
    ASSERT_TRUE(page_->Field(1).Visible());
    messages_.answers.push_back(6);  // the field's own question
    ASSERT_TRUE(page_->Field(1).UserClick());
    RunGathering(30s);
    const std::vector<Box> boxes = Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), c.result);
    ExpectIdle();
    EXPECT_FALSE(device_.ActionRunning());
  }
}

TEST_F(CalibPage, TheCloseQuestionCancelsAndKeepsThePageOpenTwice) {
  struct Case {
    const char* name;
    bool initialisation;
    const char* question;
    const char* cancel;
  };
  const Case cases[] = {
      {"Initialisation", true, "An initialisation is running. Cancel it?", "133[2]"},
      {"ZeroPoint", false, "A zero-point calibration is running. Cancel it?", "133[1]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    const std::size_t before = device_.Received().size();
    Start(c.initialisation ? page_->cmdInitialization() : page_->cmdZeroPointCalib());
    RunGathering(1s);
    messages_.entries.clear();
    // No: the page stays, and the next attempt asks again.
    messages_.answers = {7};
    EXPECT_FALSE(page_->IDtmActiveXControl_PrepareToRelease());
    EXPECT_EQ(page_->CancelCount(), 0);
    messages_.answers = {6};
    EXPECT_FALSE(page_->IDtmActiveXControl_PrepareToRelease());
    EXPECT_EQ(page_->CancelCount(), 1);
    EXPECT_EQ(Boxes(), (std::vector<Box>{{c.question, 292, ""}, {c.question, 292, ""}}));
    // The cancel goes out when the request under way ends.
    RunGathering(30s);
    EXPECT_EQ(Count(c.cancel, before), 1u);
    EXPECT_FALSE(device_.ActionRunning());
    EXPECT_EQ(Boxes().back(), (Box{std::string(c.initialisation ? kInit : kZero) + " was cancelled.", 16,
                                   c.initialisation ? kInit : kZero}));
    ExpectIdle();
    EXPECT_TRUE(page_->IDtmActiveXControl_PrepareToRelease());
  }
}

TEST_F(CalibPage, AfterTwoConfirmedCancelsThePageCloses) {
  Open();
  Start(page_->cmdInitialization());
  RunGathering(1s);
  messages_.entries.clear();
  messages_.answers = {6, 6};
  EXPECT_FALSE(page_->IDtmActiveXControl_PrepareToRelease());
  RunGathering(300ms);  // the cancel has gone out
  EXPECT_FALSE(page_->IDtmActiveXControl_PrepareToRelease());
  EXPECT_EQ(page_->CancelCount(), 2);
  // Not before the second cancel has gone out too.
  EXPECT_FALSE(page_->IDtmActiveXControl_PrepareToRelease());
  RunGathering(300ms);
  EXPECT_TRUE(page_->IDtmActiveXControl_PrepareToRelease());
  const Box question{"An initialisation is running. Cancel it?", 292, ""};
  const std::vector<Box> boxes = Boxes();
  EXPECT_EQ(std::count(boxes.begin(), boxes.end(), question), 2);
}

// ---- Failures -----------------------------------------------------------------------------------------

TEST_F(CalibPage, ALostConnectionEndsTheActionWithItsMessage) {
  struct Case {
    const char* name;
    bool initialisation;
    std::uint8_t command;  // the request at which the line breaks
  };
  const Case cases[] = {
      {"InitialisationStart", true, 132},
      {"InitialisationPolling", true, 134},
      {"ZeroPointStart", false, 132},
      {"ZeroPointPolling", false, 48},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    device_.InjectLineBreak(c.command);
    Start(c.initialisation ? page_->cmdInitialization() : page_->cmdZeroPointCalib());
    RunGathering(2min);
    EXPECT_EQ(page_->ActionState(), NO_ACTION);
    EXPECT_TRUE(page_->cmdInitialization().Enabled());
    EXPECT_TRUE(page_->cmdReadDynPars().Enabled());
    EXPECT_EQ(page_->lblComm().Caption(), "Communication not active.");
    EXPECT_FALSE(Process().IsBusy());
    EXPECT_FALSE(Element("SC133")->Validity());
    const std::vector<Box> boxes = Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), kConnectionLost);
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), kConnectionLost), 1);
    EXPECT_TRUE(page_->IDtmActiveXControl_PrepareToRelease());
    device_.ClearFaults();
  }
}

TEST_F(CalibPage, ADeviceThatStopsAnsweringEndsTheAction) {
  Open();
  Start(page_->cmdInitialization());
  RunGathering(3s);
  device_.InjectNoResponse(device::SimDevice::kUntilCleared);
  RunGathering(3min);
  const std::vector<Box> boxes = Boxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back(), kConnectionLost);
  EXPECT_EQ(page_->ActionState(), NO_ACTION);
  EXPECT_TRUE(page_->cmdInitialization().Enabled());
  EXPECT_EQ(page_->lblComm().Caption(), "Communication not active.");
  EXPECT_FALSE(Process().IsBusy());
}

TEST_F(CalibPage, WriteProtectionEndsTheActionWithoutAConnectionMessage) {
  struct Case {
    const char* name;
    bool initialisation;
  };
  const Case cases[] = {{"Initialisation", true}, {"ZeroPoint", false}};
  Open();
  device_.SetWriteProtected(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.entries.clear();
    const std::size_t before = device_.Received().size();
    Start(c.initialisation ? page_->cmdInitialization() : page_->cmdZeroPointCalib());
    RunGathering(30s);
    const std::vector<Box> boxes = Boxes();
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), kConnectionLost), 0);
    EXPECT_EQ(page_->ActionState(), NO_ACTION);
    EXPECT_TRUE(page_->cmdInitialization().Enabled());
    EXPECT_TRUE(page_->cmdReadDynPars().Enabled());
    EXPECT_EQ(page_->lblComm().Caption(), "Communication not active.");
    // The refused start, then the warnings once.
    EXPECT_EQ(Received(before), (Lines{c.initialisation ? "132[2]" : "132[1]", "130[98,81,82,71]"}));
  }
}

TEST_F(CalibPage, AStartThatCannotBeSentEndsWithOneMessage) {
  struct Case {
    const char* name;
    bool initialisation;
  };
  const Case cases[] = {{"Initialisation", true}, {"ZeroPoint", false}};
  Open();
  // The frame takes the communication away: no request can start.
  ASSERT_TRUE(channel_->DropConnection());
  loop_.RunFor(1s);
  ASSERT_TRUE(dtm_->IDtm_ReleaseCommunication());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.entries.clear();
    Start(c.initialisation ? page_->cmdInitialization() : page_->cmdZeroPointCalib());
    RunGathering(1min);
    EXPECT_EQ(Boxes(), (std::vector<Box>{c.initialisation ? kAskInit : kAskZero, kNoConnect}));
    ExpectIdle();
    EXPECT_FALSE(page_->ActivityTimer()->Enabled());
    EXPECT_EQ(Element("SC130Tr7/Par1")->StatusFlags() & 0xF0001, 0xF0001);
  }
}

TEST_F(CalibPage, AClickDoesNothingWhileAnActionRuns) {
  Open();
  Start(page_->cmdInitialization());
  RunGathering(1s);
  const std::size_t boxes = Boxes().size();
  const std::size_t before = device_.Received().size();
  messages_.answers.push_back(1);
  // Raised directly: the buttons are off, and the click must not start.
  page_->cmdZeroPointCalib().Raise("Click");
  page_->cmdInitialization().Raise("Click");
  EXPECT_EQ(Boxes().size(), boxes);
  EXPECT_EQ(page_->ActionState() >= START_ACTION_INIT && page_->ActionState() <= READ_DEV_STATUS_INIT, true);
  RunGathering(30s);
  EXPECT_EQ(Count("132[1]", before), 0u);
  ExpectIdle();
}

}  // namespace
}  // namespace dtm::testing
