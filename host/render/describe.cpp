#include "host/render/describe.h"

#include "platform/com/error.h"
#include "platform/forms/controls.h"
#include "platform/forms/user_control.h"

namespace dtm::render {
namespace {

const char* KindName(forms::ControlKind kind) {
  using K = forms::ControlKind;
  switch (kind) {
    case K::kFrame: return "Frame";
    case K::kCommandButton: return "CommandButton";
    case K::kLabel: return "Label";
    case K::kCheckBox: return "CheckBox";
    case K::kOptionButton: return "OptionButton";
    case K::kMenu: return "Menu";
    case K::kTabStrip: return "TabStrip";
    case K::kTabbedDialog: return "TabbedDialog";
    case K::kTextBox: return "TextBox";
    case K::kPictureBox: return "PictureBox";
    case K::kImage: return "Image";
    case K::kShape: return "Shape";
    case K::kTimer: return "Timer";
    case K::kListBox: return "ListBox";
    case K::kParamHelp: return "ParamHelp";
    case K::kParameter: return "Parameter";
    case K::kOther: return "Other";
    case K::kUserControl: return "UserControl";
    case K::kImageList: return "ImageList";
    case K::kCommonDialog: return "CommonDialog";
  }
  return "Other";
}

std::string ValueText(const com::Variant& value) {
  if (value.IsNull()) return "Null";
  if (value.IsObject()) return {};
  try {
    return value.ToString();
  } catch (const com::ComError&) {
    return {};  // a value without a text shows none
  }
}

void Describe(const forms::Control& control, ControlState& state) {
  state.kind = KindName(control.Kind());
  state.name = control.Name();
  if (control.InArray()) state.index = control.Index();
  state.caption = control.Caption();
  state.text = control.Text();
  state.value = ValueText(control.Value());
  state.enabled = control.Enabled();
  state.visible = control.Visible();
  state.locked = control.Locked();
  state.tool_tip = control.ToolTipText();
  state.fore_color = control.ForeColor();
  state.back_color = control.BackColor();
  state.fill_color = control.FillColor();
  if (const auto* strip = dynamic_cast<const forms::TabStrip*>(&control)) {
    for (std::size_t tab = 1; tab <= strip->TabCount(); ++tab) {
      state.tabs.push_back(strip->TabItem(tab).caption);
    }
    state.selected_tab = strip->SelectedIndex();
  }
  if (const auto* dialog = dynamic_cast<const forms::TabbedDialog*>(&control)) {
    for (std::int16_t tab = 0; tab < dialog->Tabs(); ++tab) {
      state.tabs.push_back(dialog->TabCaption(tab));
    }
  }
  if (const auto* own = dynamic_cast<const Describable*>(&control)) own->AddTo(state);
  if (const auto* container = dynamic_cast<const forms::Container*>(&control)) {
    for (const forms::ControlPtr& child : container->Children()) {
      Describe(*child, state.children.emplace_back());
    }
  }
}

}  // namespace

ControlState DescribeForm(const forms::UserControl& form) {
  ControlState state;
  Describe(form, state);
  return state;
}

}  // namespace dtm::render
