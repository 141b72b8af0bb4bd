// The online parameters page against the simulated positioner: the read at
// opening, the write's selection rule, the result marks and the activity
// display.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "component/ui/parameters/ctl_online_params.h"
#include "tests/component/ui/parameters/params_fixture.h"

namespace dtm::testing {
namespace {

using namespace std::chrono_literals;

constexpr std::int32_t kCommErrorField = 0xF0000;

// The element paths of the fields 0 to 16, as the layout places them.
const std::vector<std::string> kFieldPaths = {
    "UC013/Tag",      "SC128Tr2/Par3",  "SC128Tr11/Par2", "SC128Tr2/Par4",  "SC128Tr11/Par1",
    "SC128Tr1/Par3",  "SC128Tr1/Par2",  "SC130Tr1/Par3",  "SC130Tr5/Par1",  "SC128Tr10/Par1",
    "SC128Tr12/Par2", "SC128Tr9/Par4",  "SC128Tr12/Par1", "SC128Tr3/Par1",  "SC128Tr3/Par4",
    "SC128Tr4/Par1",  "SC128Tr3/Par2"};

class OnlineParams : public ParamsFixture {
 protected:
  std::shared_ptr<ctlOnlineParams> Open(bool connect = true) {
    if (connect) dtm_->IDtm_SetCommunication(channel_);
    auto page = std::make_shared<ctlOnlineParams>(services_);
    EXPECT_TRUE(page->IDtmActiveXControl_Init("7", "", dtm_));
    return page;
  }
  // Opens, lets the first read finish and forgets what it sent.
  std::shared_ptr<ctlOnlineParams> OpenAndRead() {
    auto page = Open();
    loop_.RunUntilIdle();
    messages_.entries.clear();
    sent_before_ = device_.Received().size();
    return page;
  }
  std::vector<int> CommandsSinceOpening() const {
    const std::vector<int> all = Commands();
    return std::vector<int>(all.begin() + static_cast<std::ptrdiff_t>(sent_before_), all.end());
  }
  std::size_t sent_before_ = 0;
};

TEST_F(OnlineParams, FieldsCarryTheirPathsInIndexOrderWithinTheirFrames) {
  auto page = Open(false);
  for (std::int16_t i = 0; i < ctlOnlineParams::kFieldCount; ++i) {
    EXPECT_EQ(page->Field(i)->ParameterTag(), kFieldPaths[static_cast<std::size_t>(i)]) << i;
  }
  struct Case {
    std::int16_t field;
    const char* frame;
  };
  const Case cases[] = {{0, "frmIdentOperUnit"}, {1, "frmRange"},  {7, "frmRange"},
                        {8, "frmInput"},         {12, "frmInput"}, {13, "frmCtrlParam"},
                        {16, "frmCtrlParam"}};
  for (const Case& c : cases) {
    ASSERT_NE(page->Field(c.field)->Parent(), nullptr);
    EXPECT_EQ(page->Field(c.field)->Parent()->Name(), c.frame) << c.field;
  }
}

TEST_F(OnlineParams, CaptionsAndToolTipsComeFromTheTexts) {
  auto page = Open(false);
  EXPECT_EQ(page->TitleText(), "Online parameters");
  EXPECT_EQ(page->ReadButton()->Caption(), "&Read");
  EXPECT_EQ(page->WriteButton()->Caption(), "&Write");
  EXPECT_EQ(page->ReadButton()->ToolTipText(), "Read the parameters of this page from the device");
  EXPECT_EQ(page->WriteButton()->ToolTipText(), "Write the changed parameters of this page to the device");
  dtm_->IDtm_SetLanguage(1031);
  EXPECT_EQ(page->ReadButton()->Caption(), "&Lesen");
  EXPECT_EQ(page->TitleText(), "Online-Parametrierung");
}

TEST_F(OnlineParams, OpeningReadsTheWholeSetAndShowsIt) {
  device::Profile memory = device_.Memory();
  memory.tag = "VALVE_7";
  memory.floats[20] = 2.5f;   // gain, supply air
  memory.floats[15] = 3.0f;   // tight closing below
  memory.bytes[68] = 1;       // direction of action
  device_.Load(memory);
  channel_->SetTransactionLatency(300ms);  // the read takes its time on the line

  auto page = Open();
  EXPECT_FALSE(page->ReadButton()->Enabled());
  EXPECT_FALSE(page->WriteButton()->Enabled());
  EXPECT_TRUE(page->ActivityTimer()->Running());
  loop_.RunFor(400ms);
  EXPECT_TRUE(page->ImgCom(0).Visible());

  loop_.RunFor(30s);
  // Two byte groups, eight float groups and the tag's transaction.
  std::vector<int> commands = Commands();
  commands.erase(std::remove(commands.begin(), commands.end(), 0), commands.end());
  std::sort(commands.begin(), commands.end());
  EXPECT_EQ(commands, (std::vector<int>{13, 128, 128, 128, 128, 128, 128, 128, 128, 130, 130}));

  EXPECT_EQ(Element("UC013/Tag")->DeviceValue.ToString(), "VALVE_7");
  EXPECT_FLOAT_EQ(Element("SC128Tr3/Par1")->DeviceValue.ToSingle(), 2.5f);
  EXPECT_FLOAT_EQ(Element("SC128Tr12/Par2")->DeviceValue.ToSingle(), 3.0f);
  EXPECT_EQ(Element("SC130Tr5/Par1")->DeviceValue.ToLong(), 1);
  for (const std::string& path : kFieldPaths) EXPECT_EQ(Flags(path) & 0xFF0000, 0) << path;
  EXPECT_TRUE(page->ReadButton()->Enabled());
  EXPECT_TRUE(page->WriteButton()->Enabled());
  EXPECT_FALSE(page->ActivityTimer()->Running());
  EXPECT_FALSE(page->ImgCom(0).Visible());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(OnlineParams, OpeningWithoutADeviceSaysSoAndMarksEveryField) {
  auto page = Open(false);
  ASSERT_EQ(Boxes(), (std::vector<std::string>{"The connection to the device could not be established."}));
  EXPECT_EQ(messages_.entries.back().style, 0);
  for (const std::string& path : kFieldPaths) EXPECT_EQ(Flags(path) & 0xFF0000, kCommErrorField) << path;
  EXPECT_TRUE(page->ReadButton()->Enabled());
  EXPECT_FALSE(page->ActivityTimer()->Running());
  EXPECT_TRUE(device_.Received().empty());
}

TEST_F(OnlineParams, AReadTheDeviceDoesNotAnswerMarksEveryField) {
  auto page = OpenAndRead();
  device_.InjectNoResponse(device::SimDevice::kUntilCleared);
  page->ReadButton()->Raise("Click");
  loop_.RunUntilIdle();
  for (const std::string& path : kFieldPaths) EXPECT_EQ(Flags(path) & 0xFF0000, kCommErrorField) << path;
  EXPECT_TRUE(page->ReadButton()->Enabled());
  EXPECT_TRUE(page->WriteButton()->Enabled());
  EXPECT_FALSE(page->ActivityTimer()->Running());

  // The next good read clears the marks.
  device_.ClearFaults();
  page->ReadButton()->Raise("Click");
  loop_.RunUntilIdle();
  for (const std::string& path : kFieldPaths) EXPECT_EQ(Flags(path) & 0xFF0000, 0) << path;
}

TEST_F(OnlineParams, AClickWhileBusyIsDropped) {
  auto page = Open();
  const std::size_t boxes = Boxes().size();
  page->ReadButton()->Raise("Click");
  Edit("SC128Tr3/Par1", 2.0);
  page->WriteButton()->Raise("Click");
  loop_.RunUntilIdle();
  EXPECT_EQ(Boxes().size(), boxes);
  // Only the opening read went out: no write.
  const std::vector<int> commands = Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), 129), 0);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), 13), 1);
}

// ---- The write's selection ------------------------------------------------------------------------

struct EditCase {
  const char* name;
  const char* path;
  com::Variant value;
  std::int32_t flags;
  std::vector<int> commands;  // what the write sends
};

class OnlineWriteSelection : public OnlineParams, public ::testing::WithParamInterface<EditCase> {};

TEST_P(OnlineWriteSelection, SendsOnlyWhatIsChangedAndNothingElse) {
  const EditCase& c = GetParam();
  auto page = OpenAndRead();
  Edit(c.path, c.value, c.flags);
  page->WriteButton()->Raise("Click");
  loop_.RunUntilIdle();
  EXPECT_EQ(CommandsSinceOpening(), c.commands);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OnlineWriteSelection,
    ::testing::Values(EditCase{"ChangedFloat", "SC128Tr3/Par1", 2.0, 4, {129}},
                      EditCase{"ChangedByte", "SC130Tr5/Par1", std::int32_t{1}, 4, {131}},
                      // The tag goes with its transaction: tag, descriptor and date.
                      EditCase{"ChangedTag", "UC013/Tag", "NEWTAG", 4, {18}},
                      EditCase{"ChangedWithInputError", "SC128Tr3/Par1", 2.0, 4 | 0x4000, {}},
                      EditCase{"ChangedAndNeeded", "SC128Tr3/Par1", 2.0, 4 | 8, {}},
                      EditCase{"ChangedWithCommError", "SC128Tr3/Par1", 2.0, 4 | 0x10000, {}},
                      EditCase{"NotChanged", "SC128Tr3/Par1", 2.0, 0, {}},
                      // Not a field of the page.
                      EditCase{"OtherElement", "SC128Tr3/Par3", 0.5, 4, {}}),
    [](const ::testing::TestParamInfo<EditCase>& c) { return std::string(c.param.name); });

TEST_F(OnlineParams, AWriteWithNothingChangedDoesNothingAtAll) {
  auto page = OpenAndRead();
  const std::string process = page->Process()->ProcessID();
  page->WriteButton()->Raise("Click");
  EXPECT_TRUE(page->ReadButton()->Enabled());
  EXPECT_TRUE(page->WriteButton()->Enabled());
  EXPECT_FALSE(page->ActivityTimer()->Running());
  loop_.RunUntilIdle();
  EXPECT_TRUE(CommandsSinceOpening().empty());
  EXPECT_TRUE(messages_.entries.empty());
}

TEST_F(OnlineParams, AWriteReachesTheDeviceAndAReadBringsItBack) {
  auto page = OpenAndRead();
  Edit("SC128Tr3/Par1", 3.5);
  Edit("SC128Tr12/Par1", 97.0);
  Edit("UC013/Tag", "NEWTAG");
  page->WriteButton()->Raise("Click");
  EXPECT_FALSE(page->ReadButton()->Enabled());
  loop_.RunUntilIdle();
  EXPECT_FLOAT_EQ(device_.Memory().floats.at(20), 3.5f);
  EXPECT_FLOAT_EQ(device_.Memory().floats.at(16), 97.0f);
  EXPECT_EQ(device_.Memory().tag, "NEWTAG");
  for (const char* path : {"SC128Tr3/Par1", "SC128Tr12/Par1", "UC013/Tag"}) {
    EXPECT_EQ(Flags(path), 0) << path;
  }
  EXPECT_TRUE(page->WriteButton()->Enabled());

  page->ReadButton()->Raise("Click");
  loop_.RunUntilIdle();
  EXPECT_FLOAT_EQ(Element("SC128Tr3/Par1")->DeviceValue.ToSingle(), 3.5f);
  EXPECT_EQ(Element("UC013/Tag")->DeviceValue.ToString(), "NEWTAG");
}

// Only the field of the refused element shows the failure; the others keep
// what the read at opening brought.
void ExpectOnlyMarked(const std::string& marked, const std::function<std::int32_t(const std::string&)>& flags,
                      const std::string& why = "") {
  for (const std::string& path : kFieldPaths) {
    EXPECT_EQ(flags(path) & kCommErrorField, path == marked ? kCommErrorField : 0) << why << " " << path;
  }
}

TEST_F(OnlineParams, AWriteTheDeviceRefusesAsWriteProtectedSaysSoAndMarksItsField) {
  auto page = OpenAndRead();
  device_.SetWriteProtected(true);
  Edit("SC128Tr3/Par1", 3.5);
  page->WriteButton()->Raise("Click");
  loop_.RunUntilIdle();
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"The device is write-protected: the parameter was not written."}));
  EXPECT_FLOAT_EQ(device_.Memory().floats.at(20), 1.2f);
  EXPECT_EQ(Flags("SC128Tr3/Par1") & 0xF00000, 0x300000);
  ExpectOnlyMarked("SC128Tr3/Par1", [&](const std::string& path) { return Flags(path); });
  EXPECT_TRUE(page->WriteButton()->Enabled());
  EXPECT_FALSE(page->ActivityTimer()->Running());
}

TEST_F(OnlineParams, AValueTheDeviceFindsOutOfRangeIsNotKeptAndMarksItsField) {
  struct Case {
    double value;
    const char* why;
  };
  // Past the page's own range check, as an edit the device judges alone.
  const Case cases[] = {{20.0, "too large"}, {-1.0, "too small"}};
  for (const Case& c : cases) {
    auto page = OpenAndRead();
    Edit("SC128Tr3/Par1", c.value);
    page->WriteButton()->Raise("Click");
    loop_.RunUntilIdle();
    EXPECT_FLOAT_EQ(device_.Memory().floats.at(20), 1.2f) << c.why;
    EXPECT_EQ(Flags("SC128Tr3/Par1") & 0xF00000, 0x400000) << c.why;
    ExpectOnlyMarked("SC128Tr3/Par1", [&](const std::string& path) { return Flags(path); }, c.why);
    EXPECT_TRUE(Boxes().empty()) << c.why;
    ASSERT_TRUE(page->IDtmActiveXControl_PrepareToRelease());
  }
}

TEST_F(OnlineParams, AWriteLostOnTheLineMarksItsField) {
  auto page = OpenAndRead();
  device_.InjectNoResponse(device::SimDevice::kUntilCleared, 129);
  Edit("SC128Tr3/Par1", 3.5);
  page->WriteButton()->Raise("Click");
  loop_.RunUntilIdle();
  EXPECT_EQ(Flags("SC128Tr3/Par1") & 0xFF0000, kCommErrorField);
  ExpectOnlyMarked("SC128Tr3/Par1", [&](const std::string& path) { return Flags(path); });
  EXPECT_TRUE(page->WriteButton()->Enabled());
}

}  // namespace
}  // namespace dtm::testing

namespace dtm::testing {
namespace {

using namespace std::chrono_literals;

// ---- What a group write sends ----------------------------------------------------------------------

TEST_F(OnlineParams, ATagWriteSendsTheDescriptorAndDateTheDeviceHolds) {
  auto page = OpenAndRead();
  Edit("UC013/Tag", "NEWTAG");
  page->WriteButton()->Raise("Click");
  loop_.RunUntilIdle();
  const auto& received = device_.Received();
  const auto write = std::find_if(received.begin(), received.end(), [](const auto& r) { return r.command == 18; });
  ASSERT_NE(write, received.end());
  // Packed ASCII "NEWTAG  ", "LINEAR VALVE    " and 12.05.2025, as the
  // default profile holds them.
  const std::vector<std::uint8_t> expected = {0x38, 0x55, 0xD4, 0x04, 0x78, 0x20, 0x30, 0x93, 0x85, 0x05, 0x28,
                                              0x16, 0x04, 0xC5, 0x85, 0x82, 0x08, 0x20, 0x0C, 0x05, 0x7D};
  EXPECT_EQ(std::vector<std::uint8_t>(write->data.begin(), write->data.end()), expected);
  EXPECT_EQ(device_.Memory().descriptor, "LINEAR VALVE");
  EXPECT_EQ(device_.Memory().tag, "NEWTAG");
}

TEST_F(OnlineParams, ATagWhoseDescriptorWasNeverReadIsNotWritten) {
  device_.ForceResponseCode(13, 2, device::SimDevice::kUntilCleared);
  auto page = OpenAndRead();
  Edit("UC013/Tag", "NEWTAG");
  page->WriteButton()->Raise("Click");
  loop_.RunUntilIdle();
  EXPECT_TRUE(CommandsSinceOpening().empty());
  EXPECT_EQ(device_.Memory().descriptor, "LINEAR VALVE");
  // The user is told why the tag stayed unwritten.
  ASSERT_FALSE(Boxes().empty());
  EXPECT_EQ(Boxes().back(),
            "Not every change was written: the other values of its command were not read from the device. "
            "Read the page, then write again.");
  EXPECT_EQ(messages_.entries.back().style, 64);
}

// ---- Each field shows the result of its own element ---------------------------------------------------

struct MarkCase {
  const char* name;
  std::function<void(device::SimDevice&, std::deque<std::int32_t>& answers)> fault;
  const char* edited;                // a field changed and written; nullptr: a read
  std::vector<std::string> marked;   // the fields that show the communication error
};

class OnlineMarks : public OnlineParams, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(OnlineMarks, OnlyTheFieldsOfAFailedResultShowIt) {
  const MarkCase& c = GetParam();
  auto page = OpenAndRead();
  // Each answer takes line time, so a busy device's silent retries end.
  channel_->SetTransactionLatency(100ms);
  c.fault(device_, messages_.answers);
  if (c.edited) {
    Edit(c.edited, 3.5);
    page->WriteButton()->Raise("Click");
  } else {
    page->ReadButton()->Raise("Click");
  }
  loop_.RunFor(60s);
  for (const std::string& path : kFieldPaths) {
    const bool marked = std::find(c.marked.begin(), c.marked.end(), path) != c.marked.end();
    EXPECT_EQ(Flags(path) & kCommErrorField, marked ? kCommErrorField : 0) << path;
  }
  EXPECT_TRUE(page->ReadButton()->Enabled());
}

INSTANTIATE_TEST_SUITE_P(
    Table, OnlineMarks,
    ::testing::Values(
        // The tag's transaction is the last one of the read.
        MarkCase{"RefusedTagAmongGoodReads",
                 [](device::SimDevice& d, auto&) { d.ForceResponseCode(13, 2); }, nullptr, {"UC013/Tag"}},
        // The first transaction of the read: SC130Tr1/.
        MarkCase{"RefusedByteGroupBeforeGoodOnes",
                 [](device::SimDevice& d, auto&) { d.ForceResponseCode(130, 2); }, nullptr, {"SC130Tr1/Par3"}},
        MarkCase{"BusyAnsweredNo",
                 [](device::SimDevice& d, auto& answers) {
                   d.ForceResponseCode(13, 32, device::SimDevice::kUntilCleared);
                   answers.push_back(7);  // No
                 },
                 nullptr, {"UC013/Tag"}},
        MarkCase{"WriteProtectedWrite", [](device::SimDevice& d, auto&) { d.SetWriteProtected(true); },
                 "SC128Tr3/Par1", {"SC128Tr3/Par1"}}),
    [](const ::testing::TestParamInfo<MarkCase>& c) { return std::string(c.param.name); });

}  // namespace
}  // namespace dtm::testing
