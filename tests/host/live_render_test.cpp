// The page as the live frame shows it: the same page as the static file,
// with what the user can work on it open to the user, and the pages' CSS
// for the frame's own document.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/render/html_render.h"

namespace dtm::render {
namespace {

ControlState Make(const char* kind, const char* name, bool enabled = true) {
  ControlState state;
  state.kind = kind;
  state.name = name;
  state.enabled = enabled;
  return state;
}

ControlState Field(int index, const char* value, bool enabled, bool locked) {
  ControlState s = Make("Parameter", "ctlParameter", enabled);
  s.index = index;
  s.attributes = {{"label", "Gain"}, {"unit", "%"}};
  s.text = value;
  s.locked = locked;
  return s;
}

PageView Page() {
  ControlState tabs = Make("TabStrip", "tabMain");
  tabs.tabs = {"Ident", "Lim&its"};
  tabs.selected_tab = 2;
  ControlState text = Make("TextBox", "txtTag");
  text.text = "A\"B";
  ControlState off_text = Make("TextBox", "txtOff", false);
  ControlState check = Make("CheckBox", "chkCycle");
  check.caption = "Cycle";
  check.value = "1";
  ControlState off_check = Make("OptionButton", "optOff", false);
  off_check.caption = "Off";
  ControlState read = Make("CommandButton", "cmdRead");
  read.caption = "&Read";
  ControlState write = Make("CommandButton", "cmdWrite", false);
  write.caption = "&Write";
  PageView page;
  page.function_id = 7;
  page.class_name = "ctlOnlineParams";
  page.prog_id = "VD4625FDT.ctlOnlineParams";
  page.invoke_id = "page-3";
  page.form = Make("UserControl", "ctlOnlineParams");
  page.form.children = {tabs,
                        Field(0, "1.2", true, false),
                        Field(1, "<5>", true, true),
                        Field(2, "7", false, false),
                        text,
                        off_text,
                        check,
                        off_check,
                        read,
                        write};
  page.boxes = {{"Saved", 64, 1}};
  page.failures = {"cmdRead Click: 5 Invalid procedure call"};
  return page;
}

TEST(LiveFragment, OpensWhatTheUserCanWork) {
  EXPECT_EQ(RenderLiveFragment(Page()),
            "<main class=\"page\" data-class=\"ctlOnlineParams\" data-invoke-id=\"page-3\">\n"
            "<header class=\"headline\"><h1>ctlOnlineParams</h1><span class=\"function\">function 7, "
            "VD4625FDT.ctlOnlineParams</span></header>\n"
            "<section class=\"form\">\n"
            "<nav class=\"tabs\" data-name=\"tabMain\"><span class=\"tab\" data-tab=\"1\">Ident</span>"
            "<span class=\"tab selected\" data-tab=\"2\">Limits</span></nav>\n"
            "<div class=\"field\" data-name=\"ctlParameter(0)\"><label>Gain</label>"
            "<input class=\"value\" value=\"1.2\"><span class=\"unit\">%</span>"
            "<span class=\"icon\"></span></div>\n"
            "<div class=\"field locked\" data-name=\"ctlParameter(1)\"><label>Gain</label>"
            "<span class=\"value\">&lt;5&gt;</span><span class=\"unit\">%</span>"
            "<span class=\"icon\"> <span class=\"lock\">locked</span></span></div>\n"
            "<div class=\"field disabled\" data-name=\"ctlParameter(2)\"><label>Gain</label>"
            "<span class=\"value\">7</span><span class=\"unit\">%</span>"
            "<span class=\"icon\"></span></div>\n"
            "<input type=\"text\" data-name=\"txtTag\" value=\"A&quot;B\">\n"
            "<input type=\"text\" data-name=\"txtOff\" value=\"\" disabled>\n"
            "<label class=\"choice\" data-name=\"chkCycle\"><input type=\"checkbox\" checked> Cycle</label>\n"
            "<label class=\"choice disabled\" data-name=\"optOff\"><input type=\"radio\" disabled> Off</label>\n"
            "<div class=\"buttons\"><button type=\"button\" data-name=\"cmdRead\">Read</button>"
            "<button type=\"button\" data-name=\"cmdWrite\" disabled>Write</button></div>\n"
            "</section>\n"
            "</main>\n");
}

TEST(LiveFragment, TheStaticPageStaysForReading) {
  const std::string html = RenderHtml(Page());
  for (const char* part : {
           "<span class=\"tab\">Ident</span><span class=\"tab selected\">Limits</span>",
           "<label>Gain</label><span class=\"value\">1.2</span>",
           "<input type=\"text\" data-name=\"txtTag\" value=\"A&quot;B\" readonly>",
           "<input type=\"checkbox\" checked disabled> Cycle</label>",
           "<div class=\"box\" data-style=\"64\">Saved<div class=\"answer\">OK</div></div>",
           "<li>cmdRead Click: 5 Invalid procedure call</li>",
       }) {
    EXPECT_NE(html.find(part), std::string::npos) << part;
  }
  for (const char* live : {"data-tab=", "<input class=\"value\""}) {
    EXPECT_EQ(html.find(live), std::string::npos) << live;
  }
}

TEST(LiveFragment, TheStyleLeavesTheFramesBodyAlone) {
  const std::string style = PageStyle();
  EXPECT_EQ(style.find("body {"), std::string::npos);
  EXPECT_TRUE(style.starts_with("\n.page { max-width: 760px;")) << style.substr(0, 80);
  EXPECT_NE(style.find(".field .value { background: #fff;"), std::string::npos);
  // The static page keeps its body rule.
  EXPECT_NE(RenderHtml(Page()).find("<style>\nbody { margin: 0; padding: 16px;"), std::string::npos);
}

}  // namespace
}  // namespace dtm::render
