// The page's state as text and as static HTML: each kind of control as a
// user reads it, hidden and unseen controls left out, frames indenting
// what they hold, the message boxes with their answers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/render/html_render.h"
#include "host/render/text_render.h"
#include "platform/forms/controls.h"
#include "platform/forms/state.h"
#include "platform/forms/user_control.h"
#include "tests/testing/page_views.h"

namespace dtm::render {
namespace {

using testing::Make;
using testing::PageWith;

constexpr const char* kHeader = "Page 7 ctlOnlineParams (VD4625FDT.ctlOnlineParams)\n";

struct TextCase {
  const char* name;
  ControlState control;
  const char* expected;  // the lines after the page line
};

ControlState Field(bool locked, const char* icon) {
  ControlState s = Make("Parameter", "ctlParameter");
  s.index = 3;
  s.attributes = {{"label", "Travel range"}, {"unit", "mm"}, {"icon", icon}};
  s.text = "12.5";
  s.locked = locked;
  return s;
}

std::vector<TextCase> TextCases() {
  ControlState button = Make("CommandButton", "cmdRead");
  button.caption = "&Read";
  ControlState off_button = button;
  off_button.enabled = false;
  ControlState tabs = Make("TabStrip", "tabMain");
  tabs.tabs = {"Ident", "Se&ttings", "Limits"};
  tabs.selected_tab = 2;
  ControlState dialog = Make("TabbedDialog", "sstMain");
  dialog.tabs = {"One", "Two"};
  dialog.selected_tab = 2;
  ControlState list = Make("ListBox", "lstComm");
  list.items = {"first", "", "third"};
  ControlState one_line = Make("ListBox", "lstOne");
  one_line.items = {"only"};
  ControlState hidden = button;
  hidden.visible = false;
  ControlState check = Make("CheckBox", "chkCycle");
  check.caption = "Cyclic";
  check.value = "1";
  ControlState option = Make("OptionButton", "optLinear");
  option.caption = "Linear";
  option.value = "False";
  ControlState shape = Make("Shape", "shpState");
  shape.index = 0;
  shape.fill_color = 0x00C000;  // green by its parts: 0x00BBGGRR
  ControlState text = Make("TextBox", "txtTag");
  text.text = "TV-101";
  text.enabled = false;
  ControlState label = Make("Label", "lblUnit");
  label.caption = "Unit";
  ControlState picture = Make("PictureBox", "picCurve");
  picture.display_list = {{DrawOp::Kind::kLine, {{0, 0}, {10, 10}}, 0, 1, ""},
                          {DrawOp::Kind::kText, {{1, 1}}, 0, 1, "0 %"}};
  ControlState frame = Make("Frame", "frmRange");
  frame.caption = "Range";
  frame.children = {Field(false, "OnlineValue"), button};
  ControlState nested = Make("UserControl", "ctlBar1");
  nested.children = {label};
  return {
      {"EnabledButton", button, "Button cmdRead \"Read\" enabled\n"},
      {"DisabledButton", off_button, "Button cmdRead \"Read\" disabled\n"},
      {"Field", Field(false, "Dynamic1"),
       "Field ctlParameter(3) \"Travel range\": 12.5 mm [Dynamic1]\n"},
      {"LockedField", Field(true, "Locked"),
       "Field ctlParameter(3) \"Travel range\": 12.5 mm [Locked] locked\n"},
      {"TabStripMarksTheSelectedTab", tabs,
       "Tabs tabMain: 1 Ident | 2 Settings (selected) | 3 Limits\n"},
      {"TabbedDialogCountsFromZero", dialog, "Tabs sstMain: 0 One | 1 Two (selected)\n"},
      {"ListWithItsLines", list, "List lstComm, 3 lines\n  | first\n  |\n  | third\n"},
      {"ListOfOneLine", one_line, "List lstOne, 1 line\n  | only\n"},
      {"HiddenControlIsLeftOut", hidden, ""},
      {"TimerIsLeftOut", Make("Timer", "Kommunikationstimer"), ""},
      {"ImageListIsLeftOut", Make("ImageList", "imlIcons"), ""},
      {"CheckedBox", check, "Check chkCycle \"Cyclic\": on\n"},
      {"OptionOff", option, "Option optLinear \"Linear\": off\n"},
      {"ShapeWithItsFill", shape, "Shape shpState(0): #00C000\n"},
      {"DisabledTextBox", text, "Text txtTag: \"TV-101\" disabled\n"},
      {"Label", label, "Label lblUnit \"Unit\"\n"},
      {"PictureCountsItsDrawing", picture, "Picture picCurve: 2 drawing operations\n"},
      {"FrameIndentsItsControls", frame,
       "Frame frmRange \"Range\"\n"
       "  Field ctlParameter(3) \"Travel range\": 12.5 mm [OnlineValue]\n"
       "  Button cmdRead \"Read\" enabled\n"},
      {"NestedControlIndents", nested, "Control ctlBar1\n  Label lblUnit \"Unit\"\n"},
  };
}

class TextOfAControl : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextOfAControl, ReadsAsTheUserSeesIt) {
  EXPECT_EQ(RenderText(PageWith({GetParam().control})),
            std::string(kHeader) + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, TextOfAControl, ::testing::ValuesIn(TextCases()),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(TextOfAPage, HeadlineBoxesAndErrorsFrameTheControls) {
  ControlState headline = Make("UserControl", "ctlHeadline");
  headline.attributes = {{"title", "Online parameters (*)"}};
  headline.children = {Make("Label", "lblTitle")};
  ControlState button = Make("CommandButton", "cmdWrite");
  button.caption = "Write";
  PageView page = PageWith({headline, button});
  page.boxes = {{"Execute this command now?", 292, 7}, {"Line one\r\nLine two", 64, 1}};
  page.failures = {"cmdWrite Click: 5 Invalid procedure call or argument"};
  EXPECT_EQ(RenderText(page), std::string(kHeader) +
                                  "Headline: Online parameters (*)\n"
                                  "Button cmdWrite \"Write\" enabled\n"
                                  "Message boxes:\n"
                                  "  \"Execute this command now?\" (style 292): No\n"
                                  "  \"Line one\n"
                                  "   Line two\" (style 64): OK\n"
                                  "Errors:\n"
                                  "  cmdWrite Click: 5 Invalid procedure call or argument\n");
}

struct Pair {
  const char* given;
  const char* expected;
};

class CaptionAsShown : public ::testing::TestWithParam<Pair> {};

TEST_P(CaptionAsShown, DropsTheAcceleratorMark) {
  EXPECT_EQ(ShownCaption(GetParam().given), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CaptionAsShown,
                         ::testing::Values(Pair{"&Save", "Save"}, Pair{"Sa&ve", "Save"},
                                           Pair{"A && B", "A & B"}, Pair{"End&", "End"},
                                           Pair{"", ""}, Pair{"Plain", "Plain"}));

TEST(AnswerNames, NameEveryButtonOfABox) {
  const std::vector<std::string> names = {AnswerName(1), AnswerName(2), AnswerName(3),
                                          AnswerName(4), AnswerName(5), AnswerName(6),
                                          AnswerName(7), AnswerName(42)};
  EXPECT_EQ(names, (std::vector<std::string>{"OK", "Cancel", "Abort", "Retry", "Ignore", "Yes",
                                             "No", "42"}));
}

class HtmlEscape : public ::testing::TestWithParam<Pair> {};

TEST_P(HtmlEscape, LeavesNoMarkupInText) {
  EXPECT_EQ(EscapeHtml(GetParam().given), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, HtmlEscape,
                         ::testing::Values(Pair{"a<b>c", "a&lt;b&gt;c"},
                                           Pair{"R&D \"x\" 'y'", "R&amp;D &quot;x&quot; &#39;y&#39;"},
                                           Pair{"Gerätezustand", "Gerätezustand"}));

TEST(CssColours, PartsAndSystemColours) {
  const std::vector<std::string> colours = {
      CssColour(0x0000FF), CssColour(0x00C000), CssColour(0x123456),
      CssColour(static_cast<OleColor>(0x8000000Fu)), CssColour(static_cast<OleColor>(0x80000005u)),
      CssColour(static_cast<OleColor>(0x80000008u))};
  EXPECT_EQ(colours, (std::vector<std::string>{"#ff0000", "#00c000", "#563412", "#d4d0c8",
                                               "#ffffff", "#000000"}));
}

TEST(SvgOfADisplayList, DrawsEachOperationInTheListsScale) {
  const std::vector<DrawOp> list = {
      {DrawOp::Kind::kFilledBox, {{10, 20}, {0, 0}}, 0x0000FF, 1, ""},
      {DrawOp::Kind::kBox, {{0, 0}, {40, 30}}, 0, 2, ""},
      {DrawOp::Kind::kLine, {{0, 30}, {40, 0}}, 0x00FF00, 1, ""},
      {DrawOp::Kind::kPolyline, {{0, 0}, {20, 10}, {40, 5}}, 0xFF0000, 1, ""},
      {DrawOp::Kind::kText, {{2, 3}}, 0, 1, "<0 %>"},
  };
  const std::string stroke1 = "stroke-width=\"1\" vector-effect=\"non-scaling-stroke\"";
  EXPECT_EQ(RenderSvg(list),
            "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 40 30\" width=\"480\" "
            "preserveAspectRatio=\"xMinYMin meet\">"
            "<rect x=\"0\" y=\"0\" width=\"10\" height=\"20\" fill=\"#ff0000\"/>"
            "<rect x=\"0\" y=\"0\" width=\"40\" height=\"30\" fill=\"none\" stroke=\"#000000\" "
            "stroke-width=\"2\" vector-effect=\"non-scaling-stroke\"/>"
            "<line x1=\"0\" y1=\"30\" x2=\"40\" y2=\"0\" stroke=\"#00ff00\" " + stroke1 + "/>"
            "<polyline points=\"0,0 20,10 40,5\" fill=\"none\" stroke=\"#0000ff\" " + stroke1 + "/>"
            "<text x=\"2\" y=\"3\" dominant-baseline=\"hanging\" font-size=\"12\" "
            "fill=\"#000000\">&lt;0 %&gt;</text></svg>");
}

class HtmlOfAPage : public ::testing::Test {
 protected:
  static PageView Page() {
    ControlState off = Make("CommandButton", "cmdWrite");
    off.caption = "&Write";
    off.enabled = false;
    ControlState on = Make("CommandButton", "cmdRead");
    on.caption = "&Read";
    ControlState list = Make("ListBox", "lstComm");
    list.items = {"<HART> & more", ""};
    ControlState tabs = Make("TabStrip", "tabMain");
    tabs.tabs = {"Ident", "Limits"};
    tabs.selected_tab = 2;
    ControlState hidden = Make("Label", "lblSecret");
    hidden.caption = "never shown";
    hidden.visible = false;
    ControlState frame = Make("Frame", "frmRange");
    frame.caption = "Range";
    frame.children = {Field(true, "Locked")};
    PageView page = PageWith({tabs, frame, list, on, off, hidden});
    page.boxes = {{"Saved to <x>", 64, 1}};
    return page;
  }
};

TEST_F(HtmlOfAPage, ShowsEachControlWithItsState) {
  const std::string html = RenderHtml(Page());
  for (const char* part : {
           "<title>ctlOnlineParams - VD4625FDT.ctlOnlineParams</title>",
           "<nav class=\"tabs\" data-name=\"tabMain\"><span class=\"tab\">Ident</span>"
           "<span class=\"tab selected\">Limits</span></nav>",
           "<fieldset class=\"frame\" data-name=\"frmRange\"><legend>Range</legend>",
           "<div class=\"field locked\" data-name=\"ctlParameter(3)\"><label>Travel range</label>"
           "<span class=\"value\">12.5</span><span class=\"unit\">mm</span>"
           "<span class=\"icon\"><span class=\"status\" data-icon=\"Locked\"><svg xmlns=\"http://www.w3.org/2000/svg\" "
           "class=\"status-icon\" data-picture=\"Locked\" viewBox=\"0 0 16 16\" width=\"16\" height=\"16\">",
           "</svg></span> <span class=\"lock\">locked</span></span></div>",
           "<pre class=\"list\" data-name=\"lstComm\">&lt;HART&gt; &amp; more\n\n</pre>",
           "<div class=\"buttons\"><button type=\"button\" data-name=\"cmdRead\">Read</button>"
           "<button type=\"button\" data-name=\"cmdWrite\" disabled>Write</button></div>",
           "<div class=\"box\" data-style=\"64\">Saved to &lt;x&gt;<div class=\"answer\">OK</div>",
       }) {
    EXPECT_NE(html.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(html.find("never shown"), std::string::npos);
}

TEST_F(HtmlOfAPage, IsSelfContained) {
  const std::string html = RenderHtml(Page());
  EXPECT_TRUE(html.starts_with("<!DOCTYPE html>\n"));
  EXPECT_TRUE(html.ends_with("</html>\n"));
  EXPECT_NE(html.find("<style>"), std::string::npos);
  for (const char* fetching : {"<script", "<link", " src=", "url(", "@import"}) {
    EXPECT_EQ(html.find(fetching), std::string::npos) << fetching;
  }
}

TEST(StateOfAForm, FollowsContainmentAndFormOrder) {
  auto form = std::make_shared<forms::UserControl>("ctlPage");
  auto frame = form->Add(std::make_shared<forms::Frame>("frmTop"));
  frame->SetCaption("Top");
  auto inner = form->Add(std::make_shared<forms::CommandButton>("cmdGo"), frame.get());
  inner->SetCaption("&Go");
  inner->SetEnabled(false);
  auto field = form->Add(
      std::make_shared<forms::Control>(forms::ControlKind::kParameter, "ctlParameter", 4));
  field->SetCaption("Tag");
  field->SetText("TV-1");
  field->SetLocked(true);
  auto tabs = form->Add(std::make_shared<forms::TabStrip>(
      "tabMain", std::vector<forms::TabStrip::Tab>{{"a", "One"}, {"b", "Two"}}));
  tabs->Select(2);
  auto lines = form->Add(std::make_shared<forms::ListBox>("lstLines"));
  lines->AddItem("one");
  lines->AddItem("two");
  form->Add(std::make_shared<forms::Control>(forms::ControlKind::kTimer, "tmrX"));

  PageView page;
  page.function_id = 1;
  page.class_name = "ctlPage";
  page.prog_id = "VD4625FDT.ctlPage";
  page.form = forms::DescribeTree(*form);
  EXPECT_EQ(page.form.kind, "UserControl");
  ASSERT_EQ(page.form.children.size(), 5u);
  EXPECT_EQ(page.form.children[1].index, std::optional<std::int16_t>(4));
  EXPECT_EQ(RenderText(page), "Page 1 ctlPage (VD4625FDT.ctlPage)\n"
                              "Frame frmTop \"Top\"\n"
                              "  Button cmdGo \"Go\" disabled\n"
                              "Field ctlParameter(4) \"Tag\": TV-1 locked\n"
                              "Tabs tabMain: 1 One | 2 Two (selected)\n"
                              "List lstLines, 2 lines\n"
                              "  | one\n"
                              "  | two\n");
}

}  // namespace
}  // namespace dtm::render
