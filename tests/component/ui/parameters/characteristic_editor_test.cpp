// The editor of the user-defined characteristic as a user meets it: the
// step buttons through the eleven points, the checks of each entry in the
// user's number format, the write of all points, the texts after a
// language change (also after a refused step) and the curve on the chart.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "component/ui/parameters/characteristic_editor.h"
#include "platform/com/locale.h"
#include "tests/component/ui/parameters/offline_params_fixture.h"

namespace dtm::testing {
namespace {

constexpr forms::OleColor kRed = 255;
constexpr forms::OleColor kButtonText = static_cast<forms::OleColor>(0x80000012u);

// The 22 point elements, x before y for each point.
const std::vector<std::string> kPointPaths = {
    "SC128Tr4/Par2", "SC128Tr7/Par1", "SC128Tr4/Par3", "SC128Tr7/Par2", "SC128Tr4/Par4",
    "SC128Tr7/Par3", "SC128Tr5/Par1", "SC128Tr7/Par4", "SC128Tr5/Par2", "SC128Tr8/Par1",
    "SC128Tr5/Par3", "SC128Tr8/Par2", "SC128Tr5/Par4", "SC128Tr8/Par3", "SC128Tr6/Par1",
    "SC128Tr8/Par4", "SC128Tr6/Par2", "SC128Tr9/Par1", "SC128Tr6/Par3", "SC128Tr9/Par2",
    "SC128Tr6/Par4", "SC128Tr9/Par3"};

// English texts.
constexpr const char* kTipXOk = "Setpoint of the point in % (0 to 100)";
constexpr const char* kTipYOk = "Travel or angle of the point in % (0 to 100)";
constexpr const char* kTipType = "The entry is not a number.";
constexpr const char* kTipRange = "The value must lie between 0 and 100.";
constexpr const char* kTipAsc = "The x value must not be smaller than that of the previous point.";

// The notices of point elements among those heard; the data set's own
// state element is told of the first change as well.
std::vector<std::string> PointNotices(const std::vector<std::string>& heard) {
  std::vector<std::string> points;
  for (const std::string& name : heard) {
    if (std::find(kPointPaths.begin(), kPointPaths.end(), name) != kPointPaths.end()) points.push_back(name);
  }
  return points;
}

TEST(PointPaths, NameTheElementsOfEachPointAndNoneOutside) {
  std::vector<std::string> paths;
  for (std::int32_t n = 0; n <= 10; ++n) {
    paths.push_back(GetPointPathX(n));
    paths.push_back(GetPointPathY(n));
  }
  EXPECT_EQ(paths, kPointPaths);
  for (const std::int32_t outside : {-1, 11, 12}) {
    EXPECT_EQ(GetPointPathX(outside), "") << outside;
    EXPECT_EQ(GetPointPathY(outside), "") << outside;
  }
}

// The page open on a data set whose points are x = 10 n, y = n * n; the
// characteristic tab shown.
class Editor : public OfflineParamsFixture {
 protected:
  Editor() {
    for (std::int32_t n = 0; n <= 10; ++n) {
      SetValue(GetPointPathX(n), com::Variant(static_cast<float>(10 * n)));
      SetValue(GetPointPathY(n), com::Variant(static_cast<float>(n * n)));
    }
    page_ = Open();
    page_->Tabs().SetTabSelected(2, true);
  }

  void UseGermanNumbers() { services_.locale->Set(com::Locale::German()); }

  forms::CommandButton& Next() { return Get<forms::CommandButton>(*page_, "cmdNext"); }
  forms::CommandButton& Prev() { return Get<forms::CommandButton>(*page_, "cmdPrev"); }
  forms::TextBox& X() { return Get<forms::TextBox>(*page_, "txtParX"); }
  forms::TextBox& Y() { return Get<forms::TextBox>(*page_, "txtParY"); }
  std::string LabelX() { return Get<forms::Label>(*page_, "lblParX").Caption(); }
  std::string LabelY() { return Get<forms::Label>(*page_, "lblParY").Caption(); }

  // What a user does: the focus goes to the control first.
  void Click(forms::CommandButton& button) {
    button.SetFocus();
    ASSERT_TRUE(button.UserClick());
  }
  void Type(forms::TextBox& box, const std::string& text) {
    box.SetFocus();
    box.SetText(text);
  }
  void Enter(const std::string& x, const std::string& y) {
    Type(X(), x);
    Type(Y(), y);
  }
  // From no point in edit to `point`, taking the entries as shown.
  void GoTo(std::int16_t point) {
    for (std::int16_t n = -1; n < point; ++n) Click(Next());
    ASSERT_EQ(page_->Editor().CurrentPoint(), point);
  }

  std::shared_ptr<ctlOfflineParams> page_;
};

// ---- The state table ----------------------------------------------------------------------------

struct StepCase {
  const char* name;
  std::int16_t from;  // the point in edit before the click; -1 none
  bool next;          // cmdNext, else cmdPrev
  std::int16_t to;
  const char* caption;  // of cmdNext afterwards
  bool prev_enabled;
  const char* x;
  const char* y;
  bool locked;
  const char* label_x;
  const char* label_y;
  std::size_t writes;  // change notices of point elements
};
void PrintTo(const StepCase& c, std::ostream* os) { *os << c.name; }

class StepTable : public Editor, public ::testing::WithParamInterface<StepCase> {};

TEST_P(StepTable, MovesThePointAndShowsIt) {
  const StepCase& c = GetParam();
  GoTo(c.from);
  auto listener = std::make_shared<NoticeListener>();
  Context().GUIMan().RegisterGUI("listener", listener, false);
  Click(c.next ? Next() : Prev());
  EXPECT_EQ(page_->Editor().CurrentPoint(), c.to);
  EXPECT_EQ(page_->Editor().RequestedPoint(), c.to);
  EXPECT_EQ(Next().Caption(), c.caption);
  EXPECT_EQ(Prev().Enabled(), c.prev_enabled);
  EXPECT_EQ(X().Text(), c.x);
  EXPECT_EQ(Y().Text(), c.y);
  EXPECT_EQ(X().Locked(), c.locked);
  EXPECT_EQ(Y().Locked(), c.locked);
  EXPECT_EQ(LabelX(), c.label_x);
  EXPECT_EQ(LabelY(), c.label_y);
  EXPECT_EQ(PointNotices(listener->heard).size(), c.writes);
  EXPECT_EQ(X().ForeColor(), kButtonText);
  EXPECT_EQ(Y().ForeColor(), kButtonText);
  Context().GUIMan().UnregisterGUI("listener");
}

INSTANTIATE_TEST_SUITE_P(
    Table, StepTable,
    ::testing::Values(
        StepCase{"NextStartsAtPointZero", -1, true, 0, "Next  >", true, "0", "0", false, "x0", "y0", 0},
        StepCase{"NextGoesOn", 5, true, 6, "Next  >", true, "60", "36", false, "x6", "y6", 0},
        StepCase{"NextReachesTheLastPoint", 9, true, 10, "Done", true, "100", "100", false, "x10", "y10", 0},
        StepCase{"NextOnTheLastPointWritesAndEnds", 10, true, -1, "Set", false, "", "", true, "x", "y", 22},
        StepCase{"PrevGoesBack", 5, false, 4, "Next  >", true, "40", "16", false, "x4", "y4", 0},
        StepCase{"PrevOnTheLastPointWritesAndGoesBack", 10, false, 9, "Next  >", true, "90", "81", false, "x9", "y9", 22},
        StepCase{"PrevOnTheFirstPointEndsWithoutWriting", 0, false, -1, "Set", false, "", "", true, "x", "y", 0}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(Editor, IdleHasNothingToEditAndPrevIsOff) {
  EXPECT_EQ(page_->Editor().CurrentPoint(), -1);
  EXPECT_EQ(Next().Caption(), "Set");
  EXPECT_EQ(Next().ToolTipText(), "Set the points of the user-defined characteristic one by one");
  EXPECT_FALSE(Prev().Enabled());
  EXPECT_TRUE(X().Locked());
  EXPECT_EQ(X().Text(), "");
  EXPECT_EQ(LabelX(), "x");
}

// ---- The entries --------------------------------------------------------------------------------

// Entries on point 3 (x of point 2 is 20), then a step.
struct EntryCase {
  const char* name;
  bool german_numbers;
  const char* x;
  const char* y;
  bool next;
  std::int16_t point;  // in edit afterwards
  forms::OleColor x_color;
  const char* x_tip;
  forms::OleColor y_color;
  const char* y_tip;
  float stored_x;  // the working copy of point 3 afterwards
};
void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class EntryCheck : public Editor, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(EntryCheck, AcceptsOrMarksTheEntries) {
  const EntryCase& c = GetParam();
  if (c.german_numbers) UseGermanNumbers();
  GoTo(3);
  Enter(c.x, c.y);
  Click(c.next ? Next() : Prev());
  EXPECT_EQ(page_->Editor().CurrentPoint(), c.point);
  EXPECT_EQ(X().ForeColor(), c.x_color);
  EXPECT_EQ(X().ToolTipText(), c.x_tip);
  EXPECT_EQ(Y().ForeColor(), c.y_color);
  EXPECT_EQ(Y().ToolTipText(), c.y_tip);
  EXPECT_EQ(page_->Editor().PointX(3), c.stored_x);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EntryCheck,
    ::testing::Values(
        EntryCase{"GermanDecimalComma", true, "25,5", "40", true, 4, kButtonText, kTipXOk, kButtonText, kTipYOk, 25.5F},
        EntryCase{"EnglishDecimalPoint", false, "25.5", "40", true, 4, kButtonText, kTipXOk, kButtonText, kTipYOk, 25.5F},
        EntryCase{"UpperLimitIncluded", false, "100", "100", true, 4, kButtonText, kTipXOk, kButtonText, kTipYOk, 100.0F},
        EntryCase{"LowerLimitIncluded", false, "30", "0", true, 4, kButtonText, kTipXOk, kButtonText, kTipYOk, 30.0F},
        EntryCase{"BelowTheRange", false, "-0.1", "9", true, 3, kRed, kTipRange, kButtonText, kTipYOk, 30.0F},
        EntryCase{"AboveTheRange", false, "100.1", "9", true, 3, kRed, kTipRange, kButtonText, kTipYOk, 30.0F},
        EntryCase{"YAboveTheRange", false, "30", "100.1", true, 3, kButtonText, kTipXOk, kRed, kTipRange, 30.0F},
        EntryCase{"NotANumber", false, "abc", "9", true, 3, kRed, kTipType, kButtonText, kTipYOk, 30.0F},
        EntryCase{"NothingEntered", false, "", "9", true, 3, kRed, kTipType, kButtonText, kTipYOk, 30.0F},
        EntryCase{"BothMarkedAtOnce", false, "abc", "-1", true, 3, kRed, kTipType, kRed, kTipRange, 30.0F},
        EntryCase{"EqualXAccepted", false, "20", "9", true, 4, kButtonText, kTipXOk, kButtonText, kTipYOk, 20.0F},
        EntryCase{"SmallerXRefusedButKept", false, "19.5", "9", true, 3, kRed, kTipAsc, kButtonText, kTipYOk, 19.5F},
        EntryCase{"SmallerXMayGoBack", false, "19.5", "9", false, 2, kButtonText, kTipXOk, kButtonText, kTipYOk, 19.5F},
        EntryCase{"BackNeedsANumber", false, "abc", "9", false, 3, kRed, kTipType, kButtonText, kTipYOk, 30.0F},
        EntryCase{"BackNeedsTheRange", false, "30", "101", false, 3, kButtonText, kTipXOk, kRed, kTipRange, 30.0F}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(Editor, AMarkGoesWhenTheUserReturnsToTheEntry) {
  GoTo(3);
  Enter("abc", "-1");
  Click(Next());
  ASSERT_EQ(X().ForeColor(), kRed);
  ASSERT_EQ(Y().ForeColor(), kRed);
  X().SetFocus();
  EXPECT_EQ(X().ForeColor(), kButtonText);
  EXPECT_EQ(X().ToolTipText(), kTipXOk);
  EXPECT_EQ(Y().ForeColor(), kRed);
  Y().SetFocus();
  EXPECT_EQ(Y().ForeColor(), kButtonText);
  EXPECT_EQ(Y().ToolTipText(), kTipYOk);
}

// The shown values follow the user's number format.
struct ShownCase {
  const char* name;
  bool german_numbers;
  float x0;
  const char* shown;
};
void PrintTo(const ShownCase& c, std::ostream* os) { *os << c.name; }

class ShownValue : public Editor, public ::testing::WithParamInterface<ShownCase> {};

TEST_P(ShownValue, FollowsTheUsersNumberFormat) {
  if (GetParam().german_numbers) UseGermanNumbers();
  SetValue(GetPointPathX(0), com::Variant(GetParam().x0));
  Click(Next());
  EXPECT_EQ(X().Text(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShownValue,
    ::testing::Values(ShownCase{"English", false, 12.3F, "12.3"}, ShownCase{"German", true, 12.3F, "12,3"},
                      ShownCase{"Whole", true, 40.0F, "40"}),
    [](const auto& i) { return std::string(i.param.name); });

// ---- Writing the points ---------------------------------------------------------------------------

TEST_F(Editor, TheLastPointWritesAllPointsInOrderEachWithItsNotice) {
  GoTo(0);
  for (std::int16_t n = 0; n <= 10; ++n) {
    Enter(std::to_string(5 * n + 1), std::to_string(2 * n));
    if (n < 10) Click(Next());
  }
  auto listener = std::make_shared<NoticeListener>();
  Context().GUIMan().RegisterGUI("listener", listener, false);
  page_->Chart().RecordCalls();
  Click(Next());
  EXPECT_EQ(PointNotices(listener->heard), kPointPaths);
  const std::vector<float> expected = {1, 0, 6, 2, 11, 4, 16, 6, 21, 8, 26, 10,
                                       31, 12, 36, 14, 41, 16, 46, 18, 51, 20};
  for (std::size_t i = 0; i < kPointPaths.size(); ++i) {
    EXPECT_EQ(ValueOf(kPointPaths[i]), com::Variant(expected[i])) << kPointPaths[i];
  }
  // Each notice redraws the curve, and so does the end of the step.
  std::size_t redraws = 0;
  for (const std::string& call : page_->Chart().Calls()) redraws += call == "SetX(0,0,11)";
  EXPECT_EQ(redraws, listener->heard.size() + 1);
  EXPECT_EQ(page_->Chart().GetState().curves[0].x,
            (std::vector<double>{1, 6, 11, 16, 21, 26, 31, 36, 41, 46, 51}));
  Context().GUIMan().UnregisterGUI("listener");
}

TEST_F(Editor, BackFromTheFirstPointDropsTheEditsAndTheNextStartReloads) {
  GoTo(2);
  Enter("25", "4");
  Click(Next());
  ASSERT_EQ(page_->Editor().PointX(2), 25.0F);
  for (int i = 0; i < 4; ++i) Click(Prev());
  ASSERT_EQ(page_->Editor().CurrentPoint(), -1);
  EXPECT_EQ(ValueOf(GetPointPathX(2)), com::Variant(20.0F));
  GoTo(2);
  EXPECT_EQ(X().Text(), "20");
}

TEST_F(Editor, BackOnTheLastPointOutOfOrderStoresButDoesNotWrite) {
  GoTo(10);
  auto listener = std::make_shared<NoticeListener>();
  Context().GUIMan().RegisterGUI("listener", listener, false);
  Enter("80", "100");
  Click(Prev());
  EXPECT_EQ(page_->Editor().CurrentPoint(), 9);
  EXPECT_EQ(page_->Editor().PointX(10), 80.0F);
  EXPECT_EQ(PointNotices(listener->heard), std::vector<std::string>{});
  EXPECT_EQ(ValueOf(GetPointPathX(10)), com::Variant(100.0F));
  Context().GUIMan().UnregisterGUI("listener");
}

// ---- A language change ------------------------------------------------------------------------

TEST_F(Editor, ALanguageChangeGivesTheTextsOfThePointInEdit) {
  GoTo(3);
  Enter("abc", "9");
  Click(Next());
  ASSERT_EQ(X().ForeColor(), kRed);
  dtm_->IDtm_SetLanguage(1031);
  EXPECT_EQ(Next().Caption(), "Weiter  >");
  EXPECT_EQ(Next().ToolTipText(), "Den Punkt übernehmen und den nächsten Punkt zeigen");
  EXPECT_EQ(Prev().ToolTipText(), "Den Punkt übernehmen und zum vorigen Punkt zurückgehen");
  EXPECT_EQ(X().ForeColor(), kButtonText);
  EXPECT_EQ(X().ToolTipText(), "Führungsgröße des Punktes in % (0 bis 100)");
  EXPECT_EQ(Y().ToolTipText(), "Hub oder Drehwinkel des Punktes in % (0 bis 100)");
}

// A step refused, then the language changes: the point in edit is shown
// again, and the next step stores into that point and goes on.
struct RefusedCase {
  const char* name;
  std::int16_t point;
  const char* x;
  const char* y;
  bool next;
  const char* shown_x;  // after the language change
  const char* caption;
  const char* fixed_x;  // entered afterwards, then cmdNext
  const char* fixed_y;
  float fixed_value;   // the number the fix stores: x, or y on the last point
  std::int16_t after;  // in edit after that step
};
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedThenLanguage : public Editor, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedThenLanguage, ShowsThePointInEditAndStoresIntoIt) {
  const RefusedCase& c = GetParam();
  GoTo(c.point);
  const float next_x = c.point < 10 ? page_->Editor().PointX(static_cast<std::size_t>(c.point + 1)) : 0.0F;
  Enter(c.x, c.y);
  Click(c.next ? Next() : Prev());
  ASSERT_EQ(page_->Editor().CurrentPoint(), c.point);

  dtm_->IDtm_SetLanguage(1031);
  const std::string number = std::to_string(c.point);
  EXPECT_EQ(page_->Editor().RequestedPoint(), c.point);
  EXPECT_EQ(LabelX(), "x" + number);
  EXPECT_EQ(LabelY(), "y" + number);
  EXPECT_EQ(X().Text(), c.shown_x);
  EXPECT_FALSE(X().Locked());
  EXPECT_TRUE(Prev().Enabled());
  EXPECT_EQ(Next().Caption(), c.caption);

  Enter(c.fixed_x, c.fixed_y);
  Click(Next());
  EXPECT_EQ(page_->Editor().CurrentPoint(), c.after);
  if (c.after >= 0) {
    EXPECT_EQ(page_->Editor().PointX(static_cast<std::size_t>(c.point)), c.fixed_value);
    EXPECT_EQ(page_->Editor().PointX(static_cast<std::size_t>(c.point + 1)), next_x);
  } else {
    EXPECT_EQ(ValueOf(GetPointPathY(c.point)), com::Variant(c.fixed_value));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedThenLanguage,
    ::testing::Values(
        // The smaller x stays stored: it is what the point shows again.
        RefusedCase{"OutOfOrderOnThree", 3, "19", "9", true, "19", "Weiter  >", "25", "9", 25.0F, 4},
        RefusedCase{"NoNumberBackFromZero", 0, "abc", "0", false, "0", "Weiter  >", "0", "0", 0.0F, 1},
        RefusedCase{"OutOfRangeOnTen", 10, "100", "abc", true, "100", "Fertig", "100", "99", 99.0F, -1}),
    [](const auto& i) { return std::string(i.param.name); });

// ---- The chart --------------------------------------------------------------------------------

TEST_F(Editor, TheCurveShowsTheWorkingCopyWhileEditingAndTheDataSetWhenIdle) {
  const std::vector<double> stored = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
  EXPECT_EQ(page_->Chart().GetState().curves[0].x, stored);
  GoTo(3);
  Enter("35", "9");
  Click(Next());
  std::vector<double> edited = stored;
  edited[3] = 35;
  EXPECT_EQ(page_->Chart().GetState().curves[0].x, edited);
  for (int i = 0; i < 5; ++i) Click(Prev());
  ASSERT_EQ(page_->Editor().CurrentPoint(), -1);
  EXPECT_EQ(page_->Chart().GetState().curves[0].x, stored);
  EXPECT_EQ(page_->Chart().GetState().curves[0].y,
            (std::vector<double>{0, 1, 4, 9, 16, 25, 36, 49, 64, 81, 100}));
}

// ---- Without a DTM --------------------------------------------------------------------------------

TEST_F(OfflineParamsFixture, AnEditorWithoutItsDtmDoesNothing) {
  ctlOfflineParams page(&services_);
  auto& next = Get<forms::CommandButton>(page, "cmdNext");
  next.Raise("Click");
  EXPECT_EQ(page.Editor().CurrentPoint(), -1);
  EXPECT_FALSE(page.Editor().CheckPoint());
  EXPECT_EQ(next.Caption(), "Einstellen");
  EXPECT_EQ(page.Chart().GetState().curves[0].x, std::vector<double>{});
}

}  // namespace
}  // namespace dtm::testing
