#include "platform/controls/control_path.h"

#include <gtest/gtest.h>

#include <string>

namespace dtm::controls {
namespace {

struct ParseCase {
  const char* name;
  const char* text;
  bool valid;
  const char* normal;  // the control alone
  const char* seen;    // the control as the receiving page sees it
  std::int32_t seen_index;  // -1: none
};

const ParseCase kParseCases[] = {
    {"ControlAlone", "Trend1", true, "Trend1", "Trend1", -1},
    {"PageAndControl", "ctlOfflineParams.Trend1", true, "Trend1", "Trend1", -1},
    {"ArrayMember", "ctlIdent.ctlParameter(20)", true, "ctlParameter(20)", "ctlParameter", 20},
    {"HostedPage", "ctlOffline.ctlIdent.ctlParameter(3)", true, "ctlParameter(3)", "ctlIdent", -1},
    {"BlanksAndLeadingZeros", " ctlIdent . ctlParameter( 007 ) ", true, "ctlParameter(7)",
     "ctlParameter", 7},
    {"LargestIndex", "ctlParameter(32767)", true, "ctlParameter(32767)", "ctlParameter", 32767},
    {"IndexTooLarge", "ctlParameter(32768)", false, "", "", -1},
    {"Empty", "", false, "", "", -1},
    {"EmptyPart", "ctlIdent..cmdNext", false, "", "", -1},
    {"TrailingDot", "ctlIdent.", false, "", "", -1},
    {"IndexedPage", "ctlParameter(1).x", false, "", "", -1},
    {"NoDigits", "ctlParameter()", false, "", "", -1},
    {"SignedIndex", "ctlParameter(-1)", false, "", "", -1},
    {"UnclosedIndex", "ctlParameter(1", false, "", "", -1},
    {"BlankInName", "cmd Next", false, "", "", -1},
};

class PathGrammar : public ::testing::TestWithParam<ParseCase> {};

TEST_P(PathGrammar, ParsesToItsNormalFormAndSeenControl) {
  const ParseCase& c = GetParam();
  const auto path = ParseControlPath(c.text);
  ASSERT_EQ(path.has_value(), c.valid);
  if (!path) return;
  EXPECT_EQ(NormalPath(*path), c.normal);
  EXPECT_EQ(path->Seen().name, c.seen);
  EXPECT_EQ(path->Seen().index ? *path->Seen().index : -1, c.seen_index);
}

INSTANTIATE_TEST_SUITE_P(Table, PathGrammar, ::testing::ValuesIn(kParseCases),
                         [](const auto& i) { return std::string(i.param.name); });

struct OwnerCase {
  const char* name;
  const char* path;
  const char* pages;
  bool belongs;
};

const OwnerCase kOwnerCases[] = {
    {"OwnPage", "ctlStartUp.frmErrCtrl", "ctlStartUp", true},
    {"OwnPageOtherCase", "CTLSTARTUP.frmErrCtrl", "ctlstartup", true},
    {"OtherPage", "ctlIdent.frmValve", "ctlStartUp", false},
    {"ControlAloneBelongsEverywhere", "frmValve", "ctlStartUp", true},
    {"CallerPagePath", "ctlOffline.ctlIdent.frmValve", "ctlOffline.ctlIdent", true},
    {"CallerPagePathOfAnother", "ctlOffline.ctlIdent.frmValve", "ctlOffline.ctlStartUp", false},
    {"ContainerOfTheHostedPage", "ctlOffline.ctlIdent.frmValve", "ctlOffline", true},
    {"HostedPageAloneIsNotTheFront", "ctlOffline.ctlIdent.frmValve", "ctlIdent", false},
    {"NoPageGiven", "ctlIdent.frmValve", "", true},
    {"PagesAsLongAsThePath", "ctlIdent.frmValve", "ctlIdent.frmValve", false},
};

class PathOwner : public ::testing::TestWithParam<OwnerCase> {};

TEST_P(PathOwner, BelongsToThePagesInFront) {
  const OwnerCase& c = GetParam();
  const auto path = ParseControlPath(c.path);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->BelongsTo(c.pages), c.belongs);
}

INSTANTIATE_TEST_SUITE_P(Table, PathOwner, ::testing::ValuesIn(kOwnerCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(ControlPathOfAControl, CarriesTheIndexOnlyInAControlArray) {
  const forms::Control field(forms::ControlKind::kParameter, "ctlParameter", 21);
  const forms::Control button(forms::ControlKind::kCommandButton, "cmdNext");
  EXPECT_EQ(JoinPath("ctlOfflineParams", field), "ctlOfflineParams.ctlParameter(21)");
  EXPECT_EQ(JoinPath("ctlOffline.ctlOfflineParams", button), "ctlOffline.ctlOfflineParams.cmdNext");
  EXPECT_EQ(JoinPath("", button), "cmdNext");

  const auto indexed = ParseControlPath("ctlParameter(21)");
  const auto plain = ParseControlPath("CTLPARAMETER");
  const auto other = ParseControlPath("ctlParameter(22)");
  EXPECT_TRUE(Names(indexed->Control(), field));
  EXPECT_FALSE(Names(plain->Control(), field)) << "an array member needs its index";
  EXPECT_FALSE(Names(other->Control(), field));
  EXPECT_TRUE(Names(ParseControlPath("cmdnext")->Control(), button));
  EXPECT_FALSE(Names(ParseControlPath("cmdNext(0)")->Control(), button));
}

}  // namespace
}  // namespace dtm::controls
