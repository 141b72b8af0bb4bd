// What a person sees of each control beyond its value: a list field's
// chosen text, the status icon, the pictures and their states, the bars,
// the colours and tooltips a page set, and charts that never draw a number
// that is not finite.

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "host/render/html_render.h"
#include "host/render/text_render.h"
#include "platform/controls/trend.h"
#include "platform/forms/user_control.h"
#include "tests/testing/page_views.h"

namespace dtm::render {
namespace {

using testing::Make;
using testing::PageWith;

// The lines after the page line.
std::string TextOf(const ControlState& control) {
  const std::string text = RenderText(PageWith({control}));
  return text.substr(text.find('\n') + 1);
}

ControlState ListField(const char* value, const char* type = "3") {
  ControlState s = Make("Parameter", "ctlParameter");
  s.index = 7;
  s.value = value;
  s.attributes = {{"label", "Characteristic"}, {"icon", "Changed"}, {"icon_tip", "Value changed"},
                  {"type", type}, {"list", "0:User-defined|1:Linear|2:Equal <%>"}};
  return s;
}

struct TextCase {
  const char* name;
  ControlState control;
  const char* expected;
};

std::vector<TextCase> TextCases() {
  ControlState unknown = ListField("7");
  ControlState bits = ListField("1", "4");
  ControlState lamp_on = Make("PictureBox", "picLED");
  lamp_on.index = 5;
  lamp_on.back_color = 0x0000FF;  // red by its parts
  ControlState lamp_off = lamp_on;
  lamp_off.back_color = 0x00FF00;
  ControlState lamp_unset = lamp_on;
  lamp_unset.back_color = forms::colors::kButtonFace;
  ControlState status_on = Make("Image", "imgStatus");
  status_on.index = 0;
  status_on.attributes = {{"picture", "status_read_on"}};
  ControlState status_unread = status_on;
  status_unread.attributes = {{"picture", "status_not_read"}};
  ControlState search = Make("PictureBox", "picSearch");
  search.attributes = {{"picture", "picSearch.ico"}};
  ControlState bar = Make("UserControl", "barE");
  bar.attributes = {{"bar", "1"},        {"caption", "e [%]"},  {"value", "0.2"},
                    {"range_min", "-10"}, {"range_max", "10"},   {"limit_min", "-20"},
                    {"limit_max", "20"},  {"zero", "1"},         {"color", "65535"},
                    {"limit_color", "255"}};
  ControlState bar_nan = bar;
  bar_nan.attributes[2].second = "nan";
  ControlState marked = Make("TextBox", "txtParX");
  marked.text = "abc";
  marked.fore_color = 0x0000FF;
  marked.tool_tip = "The entry is not a number.";
  ControlState plain = marked;
  plain.fore_color = forms::colors::kButtonText;
  return {
      {"ChoiceShowsItsText", ListField("1"),
       "Field ctlParameter(7) \"Characteristic\": 1 (Linear) [Changed]\n"},
      {"UnknownChoiceShowsTheNumber", unknown, "Field ctlParameter(7) \"Characteristic\": 7 [Changed]\n"},
      {"BitFieldIsNoChoice", bits, "Field ctlParameter(7) \"Characteristic\": 1 [Changed]\n"},
      {"RedLampIsOn", lamp_on, "Picture picLED(5): on\n"},
      {"GreenLampIsOff", lamp_off, "Picture picLED(5): off\n"},
      {"UncolouredLampIsNotRead", lamp_unset, "Picture picLED(5): not read\n"},
      {"StatusPictureOn", status_on, "Image imgStatus(0): on\n"},
      {"StatusPictureNotRead", status_unread, "Image imgStatus(0): not read\n"},
      {"PictureWithoutStateKeepsItsName", search, "Picture picSearch\n"},
      {"BarGivesValueRangeAndMarks", bar,
       "Bar barE \"e [%]\": 0.2 in -10 .. 10, marks -20 and 20, from zero\n"},
      {"BarWithoutANumberSaysSo", bar_nan,
       "Bar barE \"e [%]\": no value in -10 .. 10, marks -20 and 20, from zero\n"},
      {"MarkedTextShowsColourAndTooltip", marked,
       "Text txtParX: \"abc\" #FF0000 \"The entry is not a number.\"\n"},
      {"UnmarkedTextShowsNeither", plain, "Text txtParX: \"abc\"\n"},
  };
}

class LookAsText : public ::testing::TestWithParam<TextCase> {};

TEST_P(LookAsText, ReadsAsAPersonSeesIt) {
  EXPECT_EQ(TextOf(GetParam().control), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, LookAsText, ::testing::ValuesIn(TextCases()),
                         [](const auto& i) { return std::string(i.param.name); });

bool Has(const std::string& html, const std::string& part) { return html.find(part) != std::string::npos; }

TEST(ChoiceFieldHtml, OffersTheEntriesWithTheChosenOneSelected) {
  const std::string html = RenderLiveFragment(PageWith({ListField("1")}));
  EXPECT_TRUE(Has(html, "<select class=\"value\"><option value=\"0\">User-defined</option>"
                        "<option value=\"1\" selected>Linear</option>"
                        "<option value=\"2\">Equal &lt;%&gt;</option></select>"))
      << html;
  // The status icon: a drawing with the language's tooltip.
  EXPECT_TRUE(Has(html, "<span class=\"status\" data-icon=\"Changed\" title=\"Value changed\"><svg"));
  EXPECT_TRUE(Has(html, "<title>Value changed</title>"));
}

TEST(ChoiceFieldHtml, AnUnknownValueIsOfferedAsItsNumber) {
  const std::string html = RenderLiveFragment(PageWith({ListField("7")}));
  EXPECT_TRUE(Has(html, "<select class=\"value\"><option value=\"7\" selected>7</option>"
                        "<option value=\"0\">User-defined</option>"))
      << html;
}

TEST(ChoiceFieldHtml, ALockedOneShowsItsTextOnly) {
  ControlState locked = ListField("2");
  locked.locked = true;
  const std::string html = RenderHtml(PageWith({locked}));
  EXPECT_TRUE(Has(html, "<span class=\"value\">Equal &lt;%&gt;</span>")) << html;
  EXPECT_FALSE(Has(html, "<select"));
}

// The renderer's own words follow the page's language.
TEST(PageWordsHtml, FollowThePagesLanguage) {
  ControlState locked = ListField("2");
  locked.locked = true;
  PageView page = PageWith({locked});
  const std::string english = RenderHtml(page);
  EXPECT_TRUE(Has(english, "<html lang=\"en\">")) << english;
  EXPECT_TRUE(Has(english, "<span class=\"lock\">locked</span>")) << english;
  EXPECT_TRUE(Has(english, "<span class=\"function\">function 7, VD4625FDT.ctlOnlineParams</span>"));
  page.german = true;
  const std::string german = RenderHtml(page);
  EXPECT_TRUE(Has(german, "<html lang=\"de\">")) << german;
  EXPECT_TRUE(Has(german, "<span class=\"lock\">gesperrt</span>")) << german;
  EXPECT_TRUE(Has(german, "<span class=\"function\">Funktion 7, VD4625FDT.ctlOnlineParams</span>"));
  EXPECT_TRUE(Has(RenderLiveFragment(page), "<span class=\"lock\">gesperrt</span>"));
  // A picture's state: the data stays as it is, the title is said in German.
  ControlState lamp = Make("Image", "imgStatus");
  lamp.attributes.emplace_back("picture", "status_not_read");
  PageView status = PageWith({lamp});
  status.german = true;
  const std::string pictures = RenderHtml(status);
  EXPECT_TRUE(Has(pictures, "data-state=\"not read\" title=\"nicht gelesen\"")) << pictures;
}

TEST(MarksHtml, ColoursAndTooltipReachTheControl) {
  ControlState marked = Make("TextBox", "txtParX");
  marked.text = "abc";
  marked.fore_color = 0x0000FF;
  marked.back_color = 0xFFFFFF;
  marked.tool_tip = "Not a <number>";
  const std::string html = RenderLiveFragment(PageWith({marked}));
  EXPECT_TRUE(Has(html, "<input type=\"text\" data-name=\"txtParX\" value=\"abc\" "
                        "style=\"color:#ff0000;background:#ffffff;\" title=\"Not a &lt;number&gt;\">"))
      << html;
}

// A status picture and the label after it stand on one line; a label
// alone, or after anything else, does not pair.
TEST(PicturesHtml, AStatusPictureAndItsLabelFormOneLine) {
  ControlState lamp = Make("Image", "imgStatus");
  lamp.index = 0;
  ControlState text = Make("Label", "lblStatus");
  text.index = 0;
  text.caption = "Cold start";
  ControlState alone = Make("Label", "lblNote");
  alone.caption = "Note";
  const std::string html = RenderHtml(PageWith({lamp, text, alone}));
  const std::size_t pair = html.find("<div class=\"pair\"><div class=\"picture image\" data-name=\"imgStatus(0)\"");
  ASSERT_NE(pair, std::string::npos) << html;
  const std::size_t label = html.find("data-name=\"lblStatus(0)\">Cold start</div>\n</div>\n", pair);
  EXPECT_NE(label, std::string::npos) << html;
  EXPECT_TRUE(Has(html, "</div>\n</div>\n<div class=\"label\" data-name=\"lblNote\">Note</div>\n")) << html;
  EXPECT_EQ(html.find("<div class=\"pair\">", pair + 1), std::string::npos) << html;
}

TEST(PicturesHtml, EachPictureHasItsDrawingAndState) {
  ControlState lamp = Make("PictureBox", "picLED");
  lamp.index = 5;
  lamp.back_color = 0x0000FF;
  ControlState status = Make("Image", "imgStatus");
  status.index = 3;
  status.attributes = {{"picture", "status_read_off"}};
  const std::string html = RenderHtml(PageWith({lamp, status}));
  EXPECT_TRUE(Has(html, "<div class=\"picture\" data-name=\"picLED(5)\" data-picture=\"lamp\" "
                        "data-state=\"on\" title=\"on\"><svg"))
      << html;
  EXPECT_TRUE(Has(html, "fill=\"#ff0000\" stroke=\"#303030\""));
  EXPECT_TRUE(Has(html, "<div class=\"picture image\" data-name=\"imgStatus(3)\" "
                        "data-picture=\"status_read_off\" data-state=\"off\" title=\"off\"><svg"));
}

TEST(BarHtml, DrawsScaleValueMarksAndZero) {
  ControlState bar = Make("UserControl", "barE");
  bar.attributes = {{"bar", "1"},       {"value", "5"},     {"range_min", "-10"}, {"range_max", "10"},
                    {"limit_min", "-5"}, {"limit_max", "inf"}, {"zero", "1"},      {"color", "65535"},
                    {"limit_color", "255"}};
  const std::string html = RenderHtml(PageWith({bar}));
  // On a plot of 288 from x 6: zero at 150, 5 at 222, -5 at 78; the mark
  // that is no number stands at 0.
  EXPECT_TRUE(Has(html, "<rect class=\"value\" x=\"150\" y=\"2\" width=\"72\" height=\"12\" fill=\"#ffff00\"/>"))
      << html;
  EXPECT_TRUE(Has(html, "<line class=\"mark\" x1=\"78\" y1=\"0\" x2=\"78\" y2=\"16\" stroke=\"#ff0000\""));
  EXPECT_TRUE(Has(html, "<line class=\"zero\" x1=\"150\""));
  EXPECT_TRUE(Has(html, ">-10</text>"));
  EXPECT_TRUE(Has(html, ">10</text>"));
  EXPECT_FALSE(Has(html, "nan"));
  EXPECT_FALSE(Has(html, "inf"));
}

class ChartAxis : public ::testing::Test {
 protected:
  ChartAxis() { page_->Add(trend_); }
  std::string Html() const {
    PageView view = PageWith({});
    view.form = forms::DescribeTree(*page_);
    return RenderHtml(view);
  }
  std::shared_ptr<forms::UserControl> page_ = std::make_shared<forms::UserControl>("ctlTrend");
  std::shared_ptr<controls::Trend> trend_ = std::make_shared<controls::Trend>("Trend1");
};

TEST_F(ChartAxis, AFreshTimeChartReadsTimesOfDay) {
  // 2026-12-11 10:00:00 for two minutes, scrolling through two years.
  const double now = controls::Trend::DateToTime(2026, 12, 11, 10, 0, 0, 0);
  trend_->SetXRangeMin(0, now - 365 * 86400.0);
  trend_->SetXRangeMax(0, now + 365 * 86400.0);
  trend_->SetXViewMin(0, now);
  trend_->SetXViewMax(0, now + 120);
  trend_->SetCurveName(0, "w");
  const std::string html = Html();
  EXPECT_TRUE(Has(html, ">10:00:00</text>")) << html;
  EXPECT_TRUE(Has(html, ">10:01:00</text>"));
  EXPECT_TRUE(Has(html, ">10:02:00</text>"));
}

// A German page writes the numbers of its chart with the decimal comma.
TEST_F(ChartAxis, AGermanChartWritesItsNumbersWithTheComma) {
  trend_->SetXViewMin(0, 0);
  trend_->SetXViewMax(0, 2.5);
  trend_->SetCurveName(0, "Nullpunktfehler");
  trend_->SetCurveViewMin(0, -1.5);
  trend_->SetCurveViewMax(0, 7.5);
  const std::vector<double> x = {0, 2.5};
  const std::vector<double> y = {0, 1};
  trend_->SetX(0, 0, x);
  trend_->SetY(0, 0, y, {}, true);
  PageView view = PageWith({});
  view.form = forms::DescribeTree(*page_);
  view.german = true;
  const std::string german = RenderHtml(view);
  EXPECT_TRUE(Has(german, ">Nullpunktfehler (-1,5 .. 7,5)</text>")) << german;
  EXPECT_TRUE(Has(german, ">1,25</text>")) << german;
  EXPECT_TRUE(Has(Html(), ">Nullpunktfehler (-1.5 .. 7.5)</text>"));
}

TEST_F(ChartAxis, ACharacteristicReadsItsPercent) {
  trend_->SetXViewMin(0, 0);
  trend_->SetXViewMax(0, 100);
  // The linear reference as samples, the characteristic as a point set.
  for (const double at : {0.0, 50.0, 100.0}) {
    trend_->SetSampleTime(0, at);
    trend_->SampleValue(1, at);
  }
  const std::vector<double> x = {0, 50, 100};
  const std::vector<double> y = {0, 40, 100};
  trend_->SetX(0, 0, x);
  trend_->SetY(0, 0, y, {}, true);
  const std::string html = Html();
  EXPECT_TRUE(Has(html, ">0</text>")) << html;
  EXPECT_TRUE(Has(html, ">50</text>"));
  EXPECT_TRUE(Has(html, ">100</text>"));
  EXPECT_FALSE(Has(html, "00:00:00"));
  EXPECT_FALSE(Has(html, "00:00:50"));
}

TEST_F(ChartAxis, ANumberThatIsNotFiniteBreaksTheLine) {
  trend_->SetXViewMin(0, 0);
  trend_->SetXViewMax(0, 40);
  trend_->SetCurveName(0, "w");
  for (const double value : {1.0, 2.0, std::numeric_limits<double>::quiet_NaN(), 3.0, 4.0}) {
    trend_->SetSampleTime(0, trend_->GetState().axis.sample_time + 10);
    trend_->SampleValue(0, value);
  }
  const std::string html = Html();
  EXPECT_FALSE(Has(html, "nan")) << html;
  std::size_t lines = 0;
  for (std::size_t at = html.find("<polyline"); at != std::string::npos; at = html.find("<polyline", at + 1)) ++lines;
  EXPECT_EQ(lines, 2u);
}

}  // namespace
}  // namespace dtm::render
