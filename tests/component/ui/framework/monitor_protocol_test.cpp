// The protocol's line formats, its phrase table, its limit and how writers
// find the open monitor.

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "component/ui/framework/ctl_monitor.h"
#include "platform/com/object.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

using Lines = std::vector<std::string>;

Lines Of(const ctlMonitor& monitor) { return {monitor.Lines().begin(), monitor.Lines().end()}; }

std::string Repeated(const std::string& unit, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += unit;
  return text;
}

class MonitorLines : public ::testing::Test {
 protected:
  ctlMonitor monitor_;
};

TEST_F(MonitorLines, HeadingsAreRuledTo61Characters) {
  struct Case {
    const char* name;
    std::size_t heading_length;
    std::optional<std::string> fill;
    std::string expected_tail;
    std::size_t expected_length;
  };
  const Case cases[] = {
      {"FitsWithOneFill", 54, std::nullopt, " -", 61},
      {"FitsWithNoFill", 55, std::nullopt, "x ", 61},
      {"TooLong", 56, std::nullopt, "x ", 62},
      {"EqualsFill", 23, std::string("="), " ================================", 61},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    monitor_.Clear();
    monitor_.MonitorHeading(std::string(c.heading_length, 'x'), c.fill);
    const Lines lines = Of(monitor_);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1].size(), c.expected_length);
    EXPECT_EQ(lines[1].substr(0, 5), std::string(4, c.fill ? (*c.fill)[0] : '-') + " ");
    EXPECT_EQ(lines[1].substr(lines[1].size() - c.expected_tail.size()), c.expected_tail);
  }
}

TEST_F(MonitorLines, UploadHeadingExactly) {
  monitor_.MonitorHeading("IFDT: Upload all parameters (TAG1)");
  EXPECT_EQ(Of(monitor_)[1],
            "---- IFDT: Upload all parameters (TAG1) " + std::string(21, '-'));
}

TEST_F(MonitorLines, SeveralCharacterFillUsesItsFirstForTheLead) {
  monitor_.MonitorHeading(std::string(51, 'h'), std::string("ab"));
  // 61 - 4 - 51 - 2 = 4 units of "ab".
  EXPECT_EQ(Of(monitor_)[1], "aaaa " + std::string(51, 'h') + " abababab");
}

// The width counts characters of the UTF-8 text: an umlaut or a fill
// beyond ASCII takes one column, however many bytes it has.
TEST_F(MonitorLines, HeadingsCountCharactersNotBytes) {
  struct Case {
    const char* name;
    std::string heading;
    std::optional<std::string> fill;
    std::string expected;
  };
  const Case cases[] = {
      {"Umlaut", "DTM: Gerätezustand laden (TAG1)", std::nullopt,
       "---- DTM: Gerätezustand laden (TAG1) ------------------------"},
      {"FillBeyondAscii", "IFDT: Schreiben (T)", std::string("═"),
       "════ IFDT: Schreiben (T) " + Repeated("═", 36)},
      // 54 characters leave room for one unit of fill.
      {"UmlautsUpToTheWidth", "DTM: " + std::string(23, 'x') + "äöüÄÖÜßäöüÄÖÜßäöüÄÖÜßäöüÄÖ",
       std::nullopt, "---- DTM: " + std::string(23, 'x') + "äöüÄÖÜßäöüÄÖÜßäöüÄÖÜßäöüÄÖ -"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    monitor_.Clear();
    monitor_.MonitorHeading(c.heading, c.fill);
    ASSERT_EQ(monitor_.Lines().size(), 2u);
    EXPECT_EQ(monitor_.Lines()[1], c.expected);
  }
}

TEST_F(MonitorLines, SectionNamesItsOrigin) {
  monitor_.MonitorSection("Start", "T", true);
  monitor_.MonitorSection("Poll", "T", false);
  const Lines lines = Of(monitor_);
  EXPECT_EQ(lines[1].substr(0, 20), "---- IFDT: Start (T)");
  EXPECT_EQ(lines[3].substr(0, 18), "---- DTM: Poll (T)");
}

TEST_F(MonitorLines, LineSplitsAtCrLfOnly) {
  struct Case {
    const char* name;
    std::string text;
    bool previous, follow;
    Lines expected;
  };
  const Case cases[] = {
      {"Empty", "", false, false, {""}},
      {"PreviousGivenAsFalse", "A", true, false, {"", "A"}},
      {"EmptyPieceBetweenPairs", "A\r\n\r\nB", false, false, {"A", "", "B"}},
      {"FinalPairAddsNothing", "A\r\n", false, false, {"A"}},
      {"LoneCrAndLfStay", "A\rB\nC", false, false, {"A\rB\nC"}},
      {"Follow", "A", false, true, {"A", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    monitor_.Clear();
    std::optional<com::Variant> previous;
    if (c.previous) previous = com::Variant(false);
    std::optional<com::Variant> follow;
    if (c.follow) follow = com::Variant(std::int16_t{1});
    monitor_.MonitorLine(c.text, previous, follow);
    EXPECT_EQ(Of(monitor_), c.expected);
  }
}

TEST_F(MonitorLines, AddExtendsTheLastLineAndFailsOnAnEmptyProtocol) {
  EXPECT_THROW(monitor_.MonitorAdd("x"), com::ComError);
  monitor_.MonitorLine("Value A = 1");
  monitor_.MonitorAdd("Corrected 1.0");
  EXPECT_EQ(Of(monitor_), Lines{"Value A = 1 Corrected 1.0"});
}

TEST_F(MonitorLines, HexDumpSixteenBytesALineColumnsAligned) {
  com::ByteArray bytes = {0x02, 0x80, 0x00, 0x00, 0x00};
  bytes.insert(bytes.end(), 13, 0x1F);
  monitor_.MonitorHexDump("     Send:   ", bytes);
  EXPECT_EQ(Of(monitor_),
            (Lines{"     Send:    02 80 00 00 00 1F 1F 1F 1F 1F 1F 1F 1F 1F 1F 1F ",
                   "              1F 1F "}));
}

TEST_F(MonitorLines, HexDumpIndentsByTheCaptionsCharactersNotItsBytes) {
  // Six characters, eight bytes.
  monitor_.MonitorHexDump("Gr\xC3\xB6\xC3\x9F" "e:", com::ByteArray(17, 0x0A));
  ASSERT_EQ(monitor_.Lines().size(), 2u);
  EXPECT_EQ(Of(monitor_)[1], "       0A ");
}

TEST_F(MonitorLines, HexDumpLengths) {
  monitor_.MonitorHexDump("C", {});
  EXPECT_TRUE(monitor_.Lines().empty());
  monitor_.MonitorHexDump("C", com::ByteArray(16, 0xAB));
  EXPECT_EQ(monitor_.Lines().size(), 1u);
  monitor_.Clear();
  monitor_.MonitorHexDump("C", com::ByteArray(17, 0x0A));
  EXPECT_EQ(Of(monitor_).back(), "  0A ");
}

TEST_F(MonitorLines, EachLineBeyond2000LetsTheFirstGoButDumpsLetNoneGo) {
  for (int i = 0; i < 2001; ++i) monitor_.MonitorLine("line " + std::to_string(i));
  EXPECT_EQ(monitor_.Lines().size(), 2000u);
  EXPECT_EQ(monitor_.Lines().front(), "line 1");
  EXPECT_EQ(monitor_.TopIndex(), 1999u);
  monitor_.MonitorHexDump("D", com::ByteArray(40, 0));  // three lines, no scrolling
  EXPECT_EQ(monitor_.Lines().size(), 2003u);
  EXPECT_EQ(monitor_.Lines().front(), "line 1");
  EXPECT_EQ(monitor_.TopIndex(), 1999u);
  monitor_.MonitorLine("next");  // lets exactly one go
  EXPECT_EQ(monitor_.Lines().size(), 2003u);
  EXPECT_EQ(monitor_.Lines().front(), "line 2");
  EXPECT_EQ(monitor_.TopIndex(), 2002u);
}

TEST_F(MonitorLines, ASessionOfDumpsStaysBounded) {
  for (int i = 0; i < 30000; ++i) monitor_.MonitorHexDump(std::to_string(i), com::ByteArray(1, 0));
  EXPECT_EQ(monitor_.Lines().size(), 30000u);
  monitor_.MonitorHexDump("last", com::ByteArray(1, 0xFF));
  EXPECT_EQ(monitor_.Lines().size(), 2000u);
  EXPECT_EQ(monitor_.Lines().front(), "28001 00 ");
  EXPECT_EQ(monitor_.Lines().back(), "last FF ");
  EXPECT_EQ(monitor_.TopIndex(), 1999u);
}

class MonitorFound : public DtmFixture {
 protected:
  std::shared_ptr<ctlMonitor> OpenMonitor(const std::string& id) {
    auto monitor = std::make_shared<ctlMonitor>();
    Context().GUIMan().RegisterGUI(id, monitor, true);
    dtm_->SetMonitorInvokeID(id);
    return monitor;
  }
};

TEST_F(MonitorFound, OnlyThroughTheDtmsMonitorInvokeId) {
  EXPECT_EQ(ctlMonitor::Find(Context()), nullptr);
  auto monitor = OpenMonitor("mon");
  EXPECT_EQ(ctlMonitor::Find(Context()), monitor);
  dtm_->SetMonitorInvokeID("");
  EXPECT_EQ(ctlMonitor::Find(Context()), nullptr);
  dtm_->SetMonitorInvokeID("unknown");
  EXPECT_EQ(ctlMonitor::Find(Context()), nullptr);
}

TEST_F(MonitorFound, PhraseTableFollowsTheLanguageAndIgnoresCase) {
  SetUpInstance();
  auto monitor = OpenMonitor("mon");
  Context().Dictionary().SelectLanguage(9);
  monitor->FillPhraseTable(Context());
  EXPECT_EQ(monitor->GetText("upload all parameters"), "Upload all parameters");
  EXPECT_EQ(monitor->GetText("     Send:   "), "     Send:   ");
  EXPECT_EQ(monitor->GetText("no such phrase"), "");
  Context().Dictionary().SelectLanguage(7);
  monitor->FillPhraseTable(Context());
  EXPECT_NE(monitor->GetText("Upload all parameters"), "Upload all parameters");
  EXPECT_EQ(monitor->GetText("     Receive:").size(), 13u);
}

TEST_F(MonitorFound, GermanHeadingIsRuledTo61Characters) {
  SetUpInstance();
  auto monitor = OpenMonitor("mon");
  Context().Dictionary().SelectLanguage(7);
  monitor->FillPhraseTable(Context());
  monitor->MonitorHeading("DTM: " + monitor->GetText("Upload device state") + " (TAG1)");
  EXPECT_EQ(Of(*monitor)[1], "---- DTM: Gerätezustand laden (TAG1) " + std::string(24, '-'));
}


// ---- Values as the protocol writes them ------------------------------------------------

struct ValueTextCase {
  const char* name;
  com::Variant value;
  const char* format;
  const char* text;
};

const ValueTextCase kValueTexts[] = {
    {"NaNSingle", std::numeric_limits<float>::quiet_NaN(), "", "NaN"},
    {"NaNDouble", std::numeric_limits<double>::quiet_NaN(), "0.00", "NaN"},
    {"Infinity", std::numeric_limits<float>::infinity(), "0.0", "Inf"},
    {"MinusInfinity", -std::numeric_limits<double>::infinity(), "", "-Inf"},
    {"NotANumberDate", com::Variant::Date(std::numeric_limits<double>::quiet_NaN()), "", "NaN"},
    {"Null", com::Variant::Null(), "", "Null"},
    {"NullFormatted", com::Variant::Null(), "0.0", "Null"},
    {"Empty", com::Variant(), "", ""},
    {"Bytes", com::Variant(com::ByteArray{0x0A, 0xFF}), "", "0AFF"},
    {"Object", com::Variant(std::make_shared<com::Object>()), "", "Object"},
    {"Single", 12.35f, "", "12.35"},
    {"Formatted", 42.3, "0.00", "42.30"},
    {"TextKeepsItself", "hello", "0.0", "hello"},
    {"PatternThatDoesNotApply", 1.5, "0;0", "1.5"},
    {"DateBeyondTheCalendar", com::Variant::Date(1e9), "", "1000000000"},
};

class ProtocolValueText : public ::testing::TestWithParam<ValueTextCase> {};

TEST_P(ProtocolValueText, IsReadableAndNeverRaises) {
  EXPECT_EQ(ctlMonitor::ValueText(GetParam().value, GetParam().format), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, ProtocolValueText, ::testing::ValuesIn(kValueTexts),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm::testing
