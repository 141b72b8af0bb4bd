#include "platform/forms/control.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>

#include "platform/com/format.h"
#include "platform/forms/user_control.h"

namespace dtm::forms {
namespace {

OleColor DefaultForeColor(ControlKind kind) {
  switch (kind) {
    case ControlKind::kCommandButton:
      return colors::kButtonText;
    default:
      return colors::kWindowText;
  }
}

OleColor DefaultBackColor(ControlKind kind) {
  switch (kind) {
    case ControlKind::kTextBox:
    case ControlKind::kListBox:
      return colors::kWindowBackground;
    default:
      return colors::kButtonFace;
  }
}

}  // namespace

Control::Control(ControlKind kind, std::string name, std::optional<std::int16_t> index)
    : kind_(kind),
      name_(std::move(name)),
      index_(index),
      fore_color_(DefaultForeColor(kind)),
      back_color_(DefaultBackColor(kind)),
      self_(std::make_shared<Control*>(this)) {}

Control::~Control() { *self_ = nullptr; }

std::int16_t Control::Index() const {
  if (!index_) throw com::ComError(com::vb::kObjectNotAnArray, "Object not an array", name_);
  return *index_;
}

bool Control::HasWindow() const {
  switch (kind_) {
    case ControlKind::kLabel:
    case ControlKind::kImage:
    case ControlKind::kShape:
    case ControlKind::kTimer:
    case ControlKind::kMenu:
    case ControlKind::kImageList:
    case ControlKind::kCommonDialog:
      return false;
    default:
      return true;
  }
}

Control* Control::Parent() const {
  const std::shared_ptr<Control*> link = parent_.lock();
  return link ? *link : nullptr;
}

UserControl* Control::OwnerPage() const {
  for (Control* up = Parent(); up; up = up->Parent()) {
    if (auto* page = dynamic_cast<UserControl*>(up)) return page;
  }
  return nullptr;
}

UserControl* Control::RootPage() {
  UserControl* root = dynamic_cast<UserControl*>(this);
  for (Control* up = Parent(); up; up = up->Parent()) {
    if (auto* page = dynamic_cast<UserControl*>(up)) root = page;
  }
  return root;
}

void Control::ZOrder(std::int16_t position) {
  if (position != 0 && position != 1) com::ThrowInvalidProcedureCall(name_);
  if (auto* container = dynamic_cast<Container*>(Parent())) {
    container->MoveInZOrder(*this, position == 0);
  }
}

bool Control::CanTakeFocus() const {
  for (const Control* c = this; c; c = c->Parent()) {
    if (!c->visible_ || !c->enabled_) return false;
  }
  return const_cast<Control*>(this)->RootPage() != nullptr;
}

void Control::SetFocus() {
  if (!CanTakeFocus()) {
    throw com::ComError(com::vb::kInvalidProcedureCall, "Invalid procedure call or argument",
                        name_);
  }
  RootPage()->MoveFocus(this);
}

bool Control::HasFocus() const {
  UserControl* root = const_cast<Control*>(this)->RootPage();
  return root && root->ActiveControl() == this;
}

ConnectionId Control::On(std::string event, Handler handler) {
  const ConnectionId id = next_connection_++;
  connections_.push_back(
      Connection{id, std::move(event), std::make_shared<Handler>(std::move(handler))});
  return id;
}

void Control::Off(ConnectionId id) {
  std::erase_if(connections_, [id](const Connection& c) { return c.id == id; });
}

bool Control::Handles(const std::string& event) const {
  return std::any_of(connections_.begin(), connections_.end(),
                     [&](const Connection& c) { return c.event == event; });
}

void Control::Raise(const std::string& event) {
  Args none;
  Raise(event, none);
}

void Control::Raise(const std::string& event, Args& args) {
  RaiseWith(event, args, index_.has_value());
}

void Control::RaiseWith(const std::string& event, Args& args, bool pass_index) {
  // A handler may connect or disconnect handlers, or raise other events;
  // the handlers run are those connected when the event was raised and
  // still connected when their turn comes.
  std::vector<Connection> due;
  for (const Connection& c : connections_) {
    if (c.event == event) due.push_back(c);
  }
  if (due.empty()) return;

  Args passed;
  const std::size_t offset = pass_index ? 1 : 0;
  if (pass_index) {
    passed.reserve(args.size() + 1);
    passed.emplace_back(*index_);
    passed.insert(passed.end(), args.begin(), args.end());
  }
  Args& handed = pass_index ? passed : args;

  for (const Connection& c : due) {
    const bool still = std::any_of(connections_.begin(), connections_.end(),
                                   [&](const Connection& now) { return now.id == c.id; });
    if (!still) continue;
    try {
      (*c.handler)(handed);
    } catch (const com::ComError& error) {
      Report(event, error);
    } catch (const std::exception& error) {
      Report(event, com::ComError(com::kEFail, error.what(), name_));
    } catch (...) {
      Report(event, com::ComError(com::kEFail, "Unexpected error", name_));
    }
  }

  if (pass_index) {
    for (std::size_t i = 0; i < args.size() && i + offset < passed.size(); ++i) {
      args[i] = passed[i + offset];
    }
  }
}

void Control::Report(const std::string& event, const com::ComError& error) {
  for (Control* c = this; c; c = c->Parent()) {
    if (EventErrorSink* sink = c->OwnErrorSink()) {
      sink->EventFailed(*this, event, error);
      return;
    }
  }
  throw error;
}

bool Control::UserClick() {
  if (!CanTakeFocus()) return false;
  Raise("Click");
  return true;
}

const char* Control::KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kFrame: return "Frame";
    case ControlKind::kCommandButton: return "CommandButton";
    case ControlKind::kLabel: return "Label";
    case ControlKind::kCheckBox: return "CheckBox";
    case ControlKind::kOptionButton: return "OptionButton";
    case ControlKind::kMenu: return "Menu";
    case ControlKind::kTabStrip: return "TabStrip";
    case ControlKind::kTabbedDialog: return "TabbedDialog";
    case ControlKind::kTextBox: return "TextBox";
    case ControlKind::kPictureBox: return "PictureBox";
    case ControlKind::kImage: return "Image";
    case ControlKind::kShape: return "Shape";
    case ControlKind::kTimer: return "Timer";
    case ControlKind::kListBox: return "ListBox";
    case ControlKind::kParamHelp: return "ParamHelp";
    case ControlKind::kParameter: return "Parameter";
    case ControlKind::kOther: return "Other";
    case ControlKind::kUserControl: return "UserControl";
    case ControlKind::kImageList: return "ImageList";
    case ControlKind::kCommonDialog: return "CommonDialog";
  }
  return "Other";
}

void Control::Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  if (width < 0 || height < 0) {
    throw com::ComError(com::vb::kInvalidPropertyValue, "Invalid property value", Name());
  }
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void Control::Describe(ControlState& state) const {
  state.kind = KindName(kind_);
  try {
    state.name = Name();
  } catch (const com::ComError&) {
    state.name.clear();  // a control whose name cannot be read shows none
  }
  state.index = index_;
  state.caption = caption_;
  state.text = text_;
  if (value_.IsNull()) {
    state.value = "Null";
  } else if (const std::optional<std::string> word = com::NonFiniteWord(value_)) {
    state.value = *word;
  } else if (!value_.IsObject()) {
    state.value = value_.ToString();
  }
  state.enabled = enabled_;
  state.visible = visible_;
  state.locked = locked_;
  state.tool_tip = tooltip_;
  state.fore_color = fore_color_;
  state.back_color = back_color_;
  state.fill_color = fill_color_;
  state.left = left_;
  state.top = top_;
  state.width = width_;
  state.height = height_;
  if (auto* container = dynamic_cast<const Container*>(Parent())) {
    const std::vector<Control*> order = container->ZOrdered();
    const auto at = std::find(order.begin(), order.end(), this);
    state.z = static_cast<std::int16_t>(at - order.begin());
  }
}

std::vector<Control*> Container::ZOrdered() const {
  std::vector<Control*> out;
  for (const auto& link : z_order_) {
    if (auto alive = link.lock(); alive && *alive) out.push_back(*alive);
  }
  return out;
}

void Container::Adopt(const ControlPtr& child) {
  child->parent_ = self_;
  children_.push_back(child);
  z_order_.push_back(child->self_);
}

void Container::MoveInZOrder(Control& child, bool to_front) {
  auto it = std::find_if(z_order_.begin(), z_order_.end(), [&](const auto& link) {
    auto alive = link.lock();
    return alive && *alive == &child;
  });
  if (it == z_order_.end()) return;
  std::weak_ptr<Control*> moved = *it;
  z_order_.erase(it);
  if (to_front) {
    z_order_.push_back(std::move(moved));
  } else {
    z_order_.insert(z_order_.begin(), std::move(moved));
  }
}

}  // namespace dtm::forms
