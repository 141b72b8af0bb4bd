#include "platform/forms/state.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>

#include "platform/forms/controls.h"

namespace dtm::forms {
namespace {

// A field as a control library would derive it: it adds what it shows.
class Field : public Control {
 public:
  Field(std::string name, std::int16_t index) : Control(ControlKind::kParameter, std::move(name), index) {}
  void Describe(ControlState& state) const override {
    Control::Describe(state);
    state.attributes.emplace_back("label", "Hub");
    state.attributes.emplace_back("unit", "mm");
    state.attributes.emplace_back("icon", "ok");
  }
};

// A small page with a bit of everything a renderer shows.
class PageState : public ::testing::Test {
 protected:
  PageState() {
    page_->Resize(400, 300);
    page_->Canvas().FillBox({0, 0}, {10, 5}, Rgb(0, 192, 0));
    auto strip = page_->Add(std::make_shared<TabStrip>("TabStrip"));
    strip->AddTab("frmA", "&Eingang");
    strip->AddTab("frmB", "&Kennlinie");
    strip->Select(2);
    auto frame = page_->Add(std::make_shared<Frame>("frmA"));
    frame->SetCaption("Eingang");
    auto field = page_->Add(std::make_shared<Field>("ctlParameter", 0), frame.get());
    field->SetValue(com::Variant(std::int32_t{12}));
    field->SetLocked(true);
    auto button = page_->Add(std::make_shared<CommandButton>("cmdRead"), frame.get());
    button->SetCaption("&Lesen");
    button->SetEnabled(false);
    button->SetToolTipText("Werte lesen");
    auto lamp = page_->Add(std::make_shared<Shape>("shpState", 1));
    lamp->SetFillColor(Rgb(192, 192, 192));
    lamp->SetFillStyle(0);
    lamp->SetVisible(false);
    auto images = page_->Add(std::make_shared<ImageList>("imlIcons"));
    images->Add(std::nullopt, "ok", std::make_shared<Picture>("ok.bmp"));
    images->Add(std::nullopt, "err", std::make_shared<Picture>("err.bmp"));
    auto list = page_->Add(std::make_shared<ListBox>("lstLog"));
    list->AddItem("one");
    list->AddItem("two");
    auto inner = page_->Add(std::make_shared<UserControl>("ctlHeadline"));
    auto title = inner->Add(std::make_shared<Label>("lblTitle"));
    title->SetCaption("Online");
    title->SetForeColor(Rgb(255, 0, 0));
  }
  std::shared_ptr<UserControl> page_ = std::make_shared<UserControl>("ctlOnlineParams");
};

TEST_F(PageState, TextDumpShowsTheTreeInContainmentOrder) {
  EXPECT_EQ(DumpText(DescribeTree(*page_)),
            "UserControl ctlOnlineParams\n"
            "  - fill (0,0)-(10,5) &H00C000&\n"
            "  TabStrip TabStrip tabs=[&Eingang|*&Kennlinie] tab.frmA=\"&Eingang\" "
            "tab.frmB=\"&Kennlinie\"\n"
            "  Frame frmA caption=\"Eingang\"\n"
            "    Parameter ctlParameter(0) value=\"12\" locked label=\"Hub\" unit=\"mm\" "
            "icon=\"ok\"\n"
            "    CommandButton cmdRead caption=\"&Lesen\" disabled tip=\"Werte lesen\"\n"
            "  Shape shpState(1) hidden fill=&HC0C0C0& figure=\"0\" fill_style=\"0\"\n"
            "  ImageList imlIcons images=[ok|err]\n"
            "  ListBox lstLog value=\"-1\" items=[one|two] top=\"0\"\n"
            "  UserControl ctlHeadline\n"
            "    Label lblTitle caption=\"Online\" fore=&H0000FF&\n");
}

TEST_F(PageState, NodesCarryTheFieldsARendererNeeds) {
  const ControlState root = DescribeTree(*page_);
  ASSERT_EQ(root.children.size(), 6u);
  const ControlState& strip = root.children[0];
  EXPECT_EQ(strip.selected_tab, 2u);
  const ControlState& field = root.children[1].children[0];
  EXPECT_EQ(field.index, std::optional<std::int16_t>{0});
  EXPECT_EQ(field.Attribute("unit"), "mm");
  EXPECT_EQ(field.Attribute("none"), "");
  const ControlState& button = root.children[1].children[1];
  EXPECT_EQ(static_cast<std::uint32_t>(button.fore_color), 0x80000012u);
  EXPECT_EQ(button.z, 1);
  EXPECT_EQ(root.children[2].fill_color, 12632256);
}

// A value that is no finite number shows as the listing and the protocol
// show it, never as the language's "-1.#IND".
TEST(ControlValueText, NonFiniteNumbersShowTheirWords) {
  struct Case {
    com::Variant value;
    const char* shown;
  };
  const Case cases[] = {
      {com::Variant(std::numeric_limits<float>::quiet_NaN()), "NaN"},
      {com::Variant(std::numeric_limits<double>::quiet_NaN()), "NaN"},
      {com::Variant(std::numeric_limits<float>::infinity()), "Inf"},
      {com::Variant(-std::numeric_limits<double>::infinity()), "-Inf"},
      {com::Variant(2.5f), "2.5"},
  };
  for (const Case& c : cases) {
    Field field("ctlParameter", 0);
    field.SetValue(c.value);
    ControlState state;
    field.Describe(state);
    EXPECT_EQ(state.value, c.shown);
  }
}

TEST_F(PageState, ZPlacesFollowZOrder) {
  page_->Find("frmA")->ZOrder(1);
  const ControlState root = DescribeTree(*page_);
  EXPECT_EQ(root.children[0].z, 1);  // the strip, moved up by one
  EXPECT_EQ(root.children[1].z, 0);  // the frame, at the back
}

}  // namespace
}  // namespace dtm::forms
