// The measured-value page against a simulated positioner under the virtual
// clock: the cycle's timing, the initial reads, the writes, the freeze of
// an edited entry, the result marks and the display of bars and lamps.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/ui/observation/ctl_measure.h"
#include "host/device/attach.h"
#include "host/device/profile.h"
#include "host/device/sim_device.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

constexpr std::int32_t kRed = 0x0000FF;
constexpr std::int32_t kGreen = 0x00FF00;

// The marked entries' tags: 0 to 8, then 12.
const std::vector<std::string> kMarkedTags = {
    "SC136/wAnalog", "SC136/wDigit", "SC136/x",        "SC136/e",         "SC130Tr8/Par1",
    "SC136/FaultAl", "SC136/GW1",    "SC136/GW2",      "SC136/TotTravel", "SC136/OpStat"};

class MeasurePage : public DtmFixture {
 protected:
  ~MeasurePage() override {
    try {
      Context().GUIMan().CloseAllGUIs();
    } catch (...) {
    }
  }
  MeasurePage() {
    SetUpInstance();
    dtm_->IDtm_SetLanguage(1033);
    Context().User().SetUserLevel(2);
    device::AttachDevice(*channel_, device_, [this](const runtime::HartRequest& request,
                                                     const runtime::HartResponse&) {
      handled_.push_back({request.command, Since()});
    });
    EXPECT_TRUE(dtm_->IDtm_SetCommunication(channel_));
  }

  Ms Since() const { return std::chrono::duration_cast<Ms>(clock_.Now() - start_); }

  std::shared_ptr<ctlMeasure> Open() {
    start_ = clock_.Now();
    auto page = std::make_shared<ctlMeasure>(services_);
    EXPECT_TRUE(page->IDtmActiveXControl_Init("m4", "", dtm_));
    return page;
  }

  clsDataElement& Element(const std::string& path) {
    return *dynamic_cast<clsDataElement*>(Context().Parameters().Item(path).get());
  }
  std::int32_t Flags(const std::string& path) { return Element(path).IPrivateDataElement_StatusFlags(); }

  // The commands the device handled, in order, from the n-th on.
  std::vector<int> Commands(std::size_t from = 0) const {
    std::vector<int> out;
    for (std::size_t i = from; i < handled_.size(); ++i) out.push_back(handled_[i].command);
    return out;
  }
  // When the device handled each reading of the cyclic values (command 136).
  std::vector<long> CycleTimes() const {
    std::vector<long> out;
    for (const auto& h : handled_) {
      if (h.command == 136) out.push_back(static_cast<long>(h.at.count()));
    }
    return out;
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const auto& entry : messages_.entries) {
      if (entry.kind == runtime::RecordingMessageSink::Entry::kBox) out.push_back(entry.text);
    }
    return out;
  }

  // Every element's value as text, in the data set's order.
  std::vector<std::string> Values() {
    std::vector<std::string> out;
    for (const DataElementPtr& element : Context().Parameters().Elements()) {
      const com::Variant value = element->IPrivateDataElement_TransientValue();
      out.push_back(element->IPrivateDataElement_Name() + "=" + (value.IsEmpty() ? "" : value.ToString()));
    }
    return out;
  }

  struct Handled {
    int command;
    Ms at;
  };
  device::SimDevice device_{clock_};
  std::vector<Handled> handled_;
  loop::Clock::TimePoint start_{};
};

// ---- The initial chain and the cycle ---------------------------------------------------------

TEST_F(MeasurePage, OpeningReadsTheIdentificationAndTheThreeGroupsThenTicksTheCycle) {
  auto page = Open();
  loop_.RunFor(1s);
  // 0 identification; 130 SC130Tr8/; 128 SC128Tr11/ and SC128Tr12/; then
  // the first pass: 136, 130, 128, 128.
  EXPECT_EQ(Commands(), (std::vector<int>{0, 130, 128, 128, 136, 130, 128, 128}));
  EXPECT_TRUE(page->InitDone());
  EXPECT_EQ(page->chkCycle().Value().ToLong(), 1);
  EXPECT_TRUE(page->tmrCycle().Enabled());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MeasurePage, WithoutAnAnsweringDeviceTheChainWaitsAndTheCycleStaysOff) {
  channel_->SetConnectFails(true);
  auto page = Open();
  loop_.RunFor(30s);
  EXPECT_FALSE(page->InitDone());
  EXPECT_EQ(page->InitStep(), 0);
  EXPECT_EQ(page->chkCycle().Value().ToLong(), 0);
  EXPECT_FALSE(page->tmrCycle().Enabled());
  EXPECT_TRUE(handled_.empty());
}

struct CycleCase {
  const char* what;
  Ms latency;  // per transaction; a pass has four
  Ms run;
  std::vector<long> cycle_times;  // ms since opening, of each reading of 136
};

class CycleTiming : public MeasurePage, public ::testing::WithParamInterface<CycleCase> {};

TEST_P(CycleTiming, PassesStartEveryFourSecondsAndNeverOverlap) {
  const CycleCase& c = GetParam();
  channel_->SetTransactionLatency(c.latency);
  auto page = Open();
  loop_.RunFor(c.run);
  EXPECT_EQ(CycleTimes(), c.cycle_times) << c.what;
  EXPECT_TRUE(Boxes().empty()) << c.what;
}

// The chain's four reads take 4 latencies; the first pass starts then.
INSTANTIATE_TEST_SUITE_P(
    Table, CycleTiming,
    ::testing::Values(
        // Chain 0..1000 ms, passes at 1000, 5000, 9000, 13000; 136 is answered one latency in.
        CycleCase{"a short pass", 250ms, 14s, {1250, 5250, 9250, 13250}},
        // Chain 0..6000; first pass 6000..12000: the tick at 10000 finds the
        // pass under way and retries silently, the tick at 14000 starts the
        // next one (14000..20000); its tick at 18000 finds it outstanding and
        // stalls, so the third starts at once when it ends (20000) and the
        // fourth at 26000.
        CycleCase{"a pass longer than the interval", 1500ms, 28s, {7500, 15500, 21500, 27500}}));

TEST_F(MeasurePage, AStalledPassIsResumedByItsOwnEnd) {
  channel_->SetTransactionLatency(1500ms);
  auto page = Open();
  loop_.RunFor(18s + 100ms);  // the second pass runs 14000..20000; its tick came
  EXPECT_TRUE(page->CycleBusy());
  EXPECT_FALSE(page->tmrCycle().Enabled());
  loop_.RunFor(2s);  // 20100: it ended, and the next one started at once
  EXPECT_TRUE(page->CycleBusy());
  EXPECT_TRUE(page->tmrCycle().Enabled());
}

TEST_F(MeasurePage, TheEndOfATransferDoesNotReleaseAnOutstandingPass) {
  channel_->SetTransactionLatency(500ms);
  auto page = Open();
  // The chain 0..2000, passes from 2000 and 6000; the tick at 10000 starts
  // the third behind a write sent at 9900.
  loop_.RunFor(9900ms);
  page->cmdWriteWHand().Raise("Click");
  loop_.RunFor(550ms);  // 10450: the write ended, the pass runs
  ASSERT_EQ(page->WriteStep(), 0);
  ASSERT_TRUE(page->CycleProcess()->PassRunning());
  EXPECT_TRUE(page->CycleBusy());
  loop_.RunFor(2s);  // 12450: the pass ended
  EXPECT_FALSE(page->CycleBusy());
}

TEST_F(MeasurePage, ClearingTheBoxMidPassStopsTheCycleWhenThePassEnds) {
  channel_->SetTransactionLatency(500ms);
  auto page = Open();
  loop_.RunFor(2s + 600ms);  // the chain took 2 s; the first pass has read 136
  ASSERT_EQ(CycleTimes(), (std::vector<long>{2500}));
  page->chkCycle().SetValue(com::Variant(std::int16_t{0}));
  EXPECT_FALSE(page->tmrCycle().Enabled());
  EXPECT_FALSE(page->CycleProcess()->IsBusy());
  const std::size_t before = CycleTimes().size();
  loop_.RunFor(20s);
  EXPECT_EQ(CycleTimes().size(), before);
  EXPECT_TRUE(page->chkCycle().Enabled());
}

TEST_F(MeasurePage, ATickAfterReleaseDoesNothing) {
  auto page = Open();
  loop_.RunFor(1s);
  ASSERT_TRUE(page->tmrCycle().Enabled());
  ASSERT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  const std::size_t before = handled_.size();
  loop_.RunFor(20s);
  EXPECT_EQ(handled_.size(), before);
  EXPECT_FALSE(page->tmrCycle().Enabled());
}

TEST_F(MeasurePage, ALostConnectionEndsTheCycleWithItsMessageAndTheMarks) {
  auto page = Open();
  loop_.RunFor(1s);
  device_.InjectLineBreak(136);
  device_.InjectNoResponse(device::SimDevice::kUntilCleared);
  loop_.RunFor(20s);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "The cyclic refresh is not possible: there is no connection to the device."}));
  EXPECT_EQ(page->chkCycle().Value().ToLong(), 0);
  EXPECT_FALSE(page->tmrCycle().Enabled());
  EXPECT_FALSE(page->CycleProcess()->IsBusy());
  for (const std::string& tag : kMarkedTags) EXPECT_EQ(Flags(tag) & 0xF0000, 0xF0000) << tag;
}

TEST_F(MeasurePage, TwentySecondsAgainstADeviceLostAfterTenEndWithItsMessages) {
  device_.Load(device::ParseProfile(
      "<DeviceProfile version=\"1\"><Script><Fault at=\"10s\" kind=\"lostConnection\"/></Script>"
      "</DeviceProfile>",
      "lost"));
  auto page = Open();
  loop_.RunFor(11s);
  const std::vector<std::string> before = Values();
  loop_.RunFor(9s);
  // Passes at 0, 4 and 8 s; the one at 12 s meets the broken line, the
  // tick at 16 s finds no channel.
  EXPECT_EQ(CycleTimes(), (std::vector<long>{0, 4000, 8000, 12000}));
  EXPECT_EQ(Errors(), (std::vector<std::string>{"The connection to the device was lost."}));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "The cyclic refresh is not possible: there is no connection to the device."}));
  EXPECT_EQ(page->chkCycle().Value().ToLong(), 0);
  EXPECT_FALSE(page->tmrCycle().Enabled());
  EXPECT_FALSE(page->CycleProcess()->IsBusy());
  EXPECT_FALSE(page->CycleBusy());
  for (const std::string& tag : kMarkedTags) EXPECT_EQ(Flags(tag) & 0xF0000, 0xF0000) << tag;
  // The failed passes took no value.
  EXPECT_EQ(Values(), before);
}

// ---- Results and marks ----------------------------------------------------------------------------

TEST_F(MeasurePage, GoodResultsLeaveTheMarkedEntriesInformationAndDynamic) {
  auto page = Open();
  loop_.RunFor(1s);
  for (const std::string& tag : kMarkedTags) EXPECT_EQ(Flags(tag) & 0xFFFFFF, 3) << tag;
}

struct FailureCase {
  const char* what;
  int silent_replies;  // of the next pass, from its first transaction
  std::int32_t group_136_marks;
  bool entries_marked;
};

class FailedPass : public MeasurePage, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedPass, TheLastResultOfAPassDecidesTheEntriesMarks) {
  const FailureCase& c = GetParam();
  auto page = Open();
  loop_.RunFor(1s);
  device_.InjectNoResponse(c.silent_replies);
  loop_.RunFor(4s);
  EXPECT_EQ(Flags("SC136/") & 0xFF0000, c.group_136_marks) << c.what;
  for (const std::string& tag : kMarkedTags) {
    EXPECT_EQ(Flags(tag) & 0xF0000, c.entries_marked ? 0xF0000 : 0) << c.what << " " << tag;
  }
  // The editable entries are never marked.
  EXPECT_EQ(Flags("SC130Tr8/Par2") & 0xF0000, 0) << c.what;
  EXPECT_EQ(Flags("SC128Tr15/Par1") & 0xF0000, 0) << c.what;
  EXPECT_EQ(page->chkCycle().Value().ToLong(), 1) << c.what;  // the cycle goes on
  // The next good pass clears the marks again.
  loop_.RunFor(4s);
  for (const std::string& tag : kMarkedTags) EXPECT_EQ(Flags(tag) & 0xFFFFFF, 3) << c.what << " " << tag;
  EXPECT_EQ(Flags("SC136/") & 0xFF0000, 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, FailedPass,
                         ::testing::Values(FailureCase{"the first group only", 1, 0x10000, false},
                                           FailureCase{"the whole pass", 4, 0x10000, true}));

TEST_F(MeasurePage, AWriteProtectedWriteCarriesItsTextToTheCyclesFailedResults) {
  auto page = Open();
  loop_.RunFor(1s);
  device_.InjectNoResponse(1, 136);
  loop_.RunFor(4s);  // the pass at 4 s: SC136/ not answered
  ASSERT_EQ(Flags("SC136/") & 0x300000, 0);
  device_.SetWriteProtected(true);
  page->cmdWriteWHand().Raise("Click");
  loop_.RunFor(100ms);
  // The write's end walks its own result first, then the cycle's last.
  EXPECT_EQ(Flags("SC128Tr15/Par1") & 0x300000, 0x300000);
  EXPECT_EQ(Element("SC128Tr15/Par1").CmdErr, "Device is write-protected");
  EXPECT_EQ(Flags("SC136/") & 0x300000, 0x300000);
  EXPECT_EQ(Element("SC136/").CmdErr, "Device is write-protected");
  // The good groups of that pass keep their class.
  EXPECT_EQ(Flags("SC130Tr8/") & 0x300000, 0);
}

TEST_F(MeasurePage, AFailureBeforeTheWriteProtectedResultKeepsThePlainMark) {
  auto page = Open();
  loop_.RunFor(1s);
  device_.SetWriteProtected(true);
  page->cmdWriteWHand().Raise("Click");
  loop_.RunFor(100ms);
  ASSERT_EQ(Flags("SC128Tr15/Par1") & 0x300000, 0x300000);
  device_.InjectNoResponse(1, 136);
  loop_.RunFor(4s);  // the pass at 4 s: the write's result is no longer protected
  EXPECT_EQ(Flags("SC136/") & 0x300000, 0);
  EXPECT_EQ(Flags("SC136/") & 0x10000, 0x10000);
  EXPECT_EQ(Element("SC136/").CmdErr, "");
}

// ---- Writes ----------------------------------------------------------------------------------------

struct WriteCase {
  const char* what;
  std::int16_t mode;  // the operating-mode entry's value
  bool op_mode_button;
  std::vector<int> commands;  // after the first pass
};

class Writes : public MeasurePage, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(Writes, TheButtonsWriteAndMarkTheValueDynamic) {
  const WriteCase& c = GetParam();
  auto page = Open();
  loop_.RunFor(1s);
  const std::size_t from = handled_.size();
  Element("SC130Tr8/Par2").TransientValue = com::Variant(c.mode);
  Element("SC130Tr8/Par2").IPrivateDataElement_StatusFlags(0);
  Element("SC128Tr15/Par1").IPrivateDataElement_StatusFlags(0);
  (c.op_mode_button ? page->cmdWriteOpMode() : page->cmdWriteWHand()).Raise("Click");
  EXPECT_FALSE(page->chkCycle().Enabled()) << c.what;
  loop_.RunFor(100ms);
  EXPECT_EQ(Commands(from), c.commands) << c.what;
  EXPECT_EQ(page->WriteStep(), 0) << c.what;
  EXPECT_TRUE(page->chkCycle().Enabled()) << c.what;
  if (c.op_mode_button) {
    EXPECT_EQ(Flags("SC130Tr8/Par2") & 2, 2) << c.what;
  }
  if (!c.op_mode_button || c.mode == 1) {
    EXPECT_EQ(Flags("SC128Tr15/Par1") & 2, 2) << c.what;
  }
  EXPECT_TRUE(Boxes().empty()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, Writes,
                         ::testing::Values(WriteCase{"automatic: written at once", 0, true, {131}},
                                           WriteCase{"manual: the manual value read first", 1, true, {128, 131}},
                                           WriteCase{"fail-safe: written at once", 2, true, {131}},
                                           WriteCase{"the manual value", 0, false, {129}}));

TEST_F(MeasurePage, APressWhileATransferRunsIsRefusedButItsStepIsCarriedOut) {
  channel_->SetTransactionLatency(500ms);
  auto page = Open();
  loop_.RunFor(2100ms);  // chain done, first pass under way
  Element("SC130Tr8/Par2").TransientValue = com::Variant(std::int16_t{1});
  page->cmdWriteWHand().Raise("Click");
  page->cmdWriteOpMode().Raise("Click");  // refused: the first write runs
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"This command is already running."}));
  EXPECT_EQ(page->WriteStep(), 1);
  const std::size_t from = handled_.size();
  loop_.RunFor(5s);
  // The rest of the pass, the manual value written, then step 1's end
  // writes the mode: no read of the manual value in between.
  std::vector<int> writes;
  for (int command : Commands(from)) {
    if (command == 129 || command == 131) writes.push_back(command);
  }
  EXPECT_EQ(writes, (std::vector<int>{129, 131}));
  EXPECT_EQ(page->WriteStep(), 0);
}

TEST_F(MeasurePage, AWritePressedDuringTheChainIsCarriedOutBeforeTheChainGoesOn) {
  channel_->SetTransactionLatency(500ms);
  auto page = Open();
  loop_.RunFor(600ms);  // the identification was read; SC130Tr8/ is being read
  ASSERT_EQ(page->InitStep(), 1);
  Element("SC130Tr8/Par2").TransientValue = com::Variant(std::int16_t{1});
  page->cmdWriteOpMode().Raise("Click");  // refused now; its step waits for the read's end
  ASSERT_EQ(page->WriteStep(), 1);
  loop_.RunFor(5s);
  // The read of SC130Tr8/ ends: step 1's end starts the mode write, and the
  // chain waits for it before it reads the two groups.
  EXPECT_EQ(Commands(), (std::vector<int>{0, 130, 131, 128, 128, 136, 130, 128, 128}));
  EXPECT_EQ(page->WriteStep(), 0);
  EXPECT_TRUE(page->InitDone());
}

// ---- The freeze of an edited entry ---------------------------------------------------------------

struct FreezeCase {
  std::int16_t entry;
  const char* path;
  bool still_changed;  // the entry still holds an edit when it loses the focus
  bool frozen_after;
};

class Freeze : public MeasurePage, public ::testing::WithParamInterface<FreezeCase> {};

TEST_P(Freeze, AnEditedEntryIsFrozenWhileItHasTheFocus) {
  const FreezeCase& c = GetParam();
  auto page = Open();
  loop_.RunFor(1s);
  const auto field = page->Field(c.entry);
  field->Raise("GotFocus");
  EXPECT_TRUE(Element(c.path).IgnoreUpdate);
  EXPECT_EQ(Flags(c.path) & 2, 0);
  field->SetIsChanged(c.still_changed);
  field->Raise("LostFocus");
  EXPECT_EQ(Element(c.path).IgnoreUpdate, c.frozen_after);
  EXPECT_EQ(Flags(c.path) & 2, c.frozen_after ? 0 : 2);
}

INSTANTIATE_TEST_SUITE_P(Table, Freeze,
                         ::testing::Values(FreezeCase{9, "SC130Tr8/Par2", false, false},
                                           FreezeCase{9, "SC130Tr8/Par2", true, true},
                                           FreezeCase{10, "SC128Tr15/Par1", false, false},
                                           FreezeCase{10, "SC128Tr15/Par1", true, true}));

TEST_F(MeasurePage, TheCycleLeavesAFrozenModeAsTheUserSetIt) {
  auto page = Open();
  loop_.RunFor(1s);
  page->Field(9)->Raise("GotFocus");
  Element("SC130Tr8/Par2").TransientValue = com::Variant(std::int16_t{2});
  loop_.RunFor(8s);  // two passes read SC130Tr8/ (the device holds 0)
  EXPECT_EQ(Element("SC130Tr8/Par2").TransientValue.ToLong(), 2);
  page->Field(9)->Raise("LostFocus");
  loop_.RunFor(4s);
  EXPECT_EQ(Element("SC130Tr8/Par2").TransientValue.ToLong(), 0);
}

TEST_F(MeasurePage, OtherEntriesAreNotFrozen) {
  auto page = Open();
  loop_.RunFor(1s);
  page->Field(3)->Raise("GotFocus");
  EXPECT_FALSE(Element("SC136/e").IgnoreUpdate);
  EXPECT_EQ(Flags("SC136/e") & 2, 2);
}

// ---- The display ----------------------------------------------------------------------------------

struct LampCase {
  const char* what;
  com::Variant value;
  bool valid;
  bool visible;
  std::int32_t colour;
};

class Lamps : public MeasurePage, public ::testing::WithParamInterface<LampCase> {};

TEST_P(Lamps, ALampShowsItsElement) {
  const LampCase& c = GetParam();
  auto page = Open();
  loop_.RunFor(1s);
  channel_->SetSilent(true);  // nothing the device says changes the element now
  for (const char* path : {"SC130Tr8/Par1", "SC136/FaultAl", "SC136/GW1", "SC136/GW2"}) {
    Element(path).TransientValue = c.value;
    Element(path).SetValidity(c.valid);
    Context().Parameters().NotifyChanged(Context().Parameters().Item(path), "");
  }
  for (std::int16_t lamp = 4; lamp <= 7; ++lamp) {
    EXPECT_EQ(page->picLED(lamp).Visible(), c.visible) << c.what << " " << lamp;
    if (c.visible) {
      EXPECT_EQ(page->picLED(lamp).BackColor(), static_cast<std::uint32_t>(c.colour)) << c.what;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Lamps,
    ::testing::Values(LampCase{"on", com::Variant(std::int16_t{1}), true, true, kRed},
                      LampCase{"off", com::Variant(std::int16_t{0}), true, true, kGreen},
                      LampCase{"empty", com::Variant(), true, true, kGreen},
                      LampCase{"invalid", com::Variant(std::int16_t{1}), false, false, 0}));

TEST_F(MeasurePage, TheBarsShowTheirValuesAndLimits) {
  auto page = Open();
  loop_.RunFor(1s);
  channel_->SetSilent(true);
  Element("SC128Tr12/Par2").TransientValue = com::Variant(5.0);
  Element("SC128Tr12/Par1").TransientValue = com::Variant(95.0);
  Element("SC136/wDigit").TransientValue = com::Variant(42.5);
  Element("SC136/wDigit").Description = "w in %";
  Context().Parameters().NotifyChanged(Context().Parameters().Item("SC136/wDigit"), "");
  EXPECT_DOUBLE_EQ(page->barW().Value(), 42.5);
  EXPECT_DOUBLE_EQ(page->barW().LimitMin(), 5.0);
  EXPECT_DOUBLE_EQ(page->barW().LimitMax(), 95.0);
  EXPECT_EQ(page->barW().ToolTipText(), "w in %");
  Element("SC136/x").TransientValue = com::Variant();
  Context().Parameters().NotifyChanged(Context().Parameters().Item("SC136/x"), "");
  EXPECT_DOUBLE_EQ(page->barX().Value(), 0.0);
  EXPECT_DOUBLE_EQ(page->barW().RangeMin(), -10.0);
  EXPECT_DOUBLE_EQ(page->barW().RangeMax(), 120.0);
  EXPECT_DOUBLE_EQ(page->barE().RangeMin(), -10.0);
  EXPECT_DOUBLE_EQ(page->barE().RangeMax(), 10.0);
}

TEST_F(MeasurePage, OnlyASingleChangeOfESetsItsLimits) {
  Element("SC136/e").TransientValue = com::Variant(1.5);
  auto page = Open();
  // Before the first notice of e: the whole-set update leaves its limits.
  EXPECT_DOUBLE_EQ(page->barE().Value(), 1.5);
  EXPECT_DOUBLE_EQ(page->barE().LimitMin(), 0.0);
  EXPECT_DOUBLE_EQ(page->barE().LimitMax(), 0.0);
  page->IPrivateGUI_ParameterSetChanged();
  EXPECT_DOUBLE_EQ(page->barE().LimitMin(), 0.0);
  Context().Parameters().NotifyChanged(Context().Parameters().Item("SC136/e"), "");
  EXPECT_DOUBLE_EQ(page->barE().LimitMin(), -20.0);
  EXPECT_DOUBLE_EQ(page->barE().LimitMax(), 20.0);
  EXPECT_TRUE(page->barE().Start_at_Zero());
}

struct ButtonCase {
  std::int32_t user_level;
  bool locked;
  bool enabled_at_init;
  bool enabled_after_lock_change;  // after the lock state is told again
};

class Buttons : public MeasurePage, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(Buttons, TheWriteButtonsFollowTheUserLevelAtInitAndTheLockLater) {
  const ButtonCase& c = GetParam();
  channel_->SetConnectFails(true);
  Context().User().SetUserLevel(c.user_level);
  Context().GUIMan().SetLockState(c.locked);
  auto page = Open();
  EXPECT_EQ(page->cmdWriteOpMode().Enabled(), c.enabled_at_init);
  EXPECT_EQ(page->cmdWriteWHand().Enabled(), c.enabled_at_init);
  page->IPrivateGUI_LockStateChanged(c.locked);
  EXPECT_EQ(page->cmdWriteOpMode().Enabled(), c.enabled_after_lock_change);
  EXPECT_EQ(page->cmdWriteWHand().Enabled(), c.enabled_after_lock_change);
}

INSTANTIATE_TEST_SUITE_P(Table, Buttons,
                         ::testing::Values(ButtonCase{0, false, false, false},
                                           ButtonCase{0, true, false, false},
                                           ButtonCase{1, false, true, true},
                                           ButtonCase{1, true, true, false}));

TEST_F(MeasurePage, TheCheckBoxTakesTheSharedCaption) {
  channel_->SetConnectFails(true);
  auto page = Open();
  EXPECT_EQ(page->chkCycle().Caption(), "Cyclic refresh");
  EXPECT_EQ(page->TitleText(), "Measured values");
}

}  // namespace
}  // namespace dtm::testing
