#include "platform/forms/user_control.h"

#include <algorithm>

#include "platform/forms/timer.h"

namespace dtm::forms {
namespace {

// A property bag handed to a ReadProperties or WriteProperties handler.
class BagArgument : public com::Object {
 public:
  explicit BagArgument(com::PropertyBag& bag) : bag_(bag) {}
  com::PropertyBag& bag_;
};

// The user controls that contain `control`, itself first when it is one,
// from the inner to the outer.
std::vector<UserControl*> PagesAround(Control* control) {
  std::vector<UserControl*> out;
  for (Control* c = control; c; c = c->Parent()) {
    if (auto* page = dynamic_cast<UserControl*>(c)) out.push_back(page);
  }
  return out;
}

bool Contains(const std::vector<UserControl*>& pages, UserControl* page) {
  return std::find(pages.begin(), pages.end(), page) != pages.end();
}

std::string ControlLabel(Control& control) {
  std::string label;
  try {
    label = control.Name();
    if (control.InArray()) label += "(" + std::to_string(control.Index()) + ")";
  } catch (const com::ComError&) {
  }
  return label;
}

}  // namespace

com::PropertyBag& BagOf(const com::Variant& arg) {
  auto bag = std::dynamic_pointer_cast<BagArgument>(arg.IsObject() ? arg.ToObject() : nullptr);
  if (!bag) com::ThrowTypeMismatch();
  return bag->bag_;
}

UserControl::UserControl(std::string name, ControlKind kind, std::optional<std::int16_t> index)
    : Container(kind, std::move(name), index) {
  hwnd_ = next_hwnd_++;
}

void UserControl::Place(const ControlPtr& control, Container* into) {
  if (!control || control->Parent()) com::ThrowInvalidProcedureCall(Name());
  // A user control cannot stand on itself or on what stands on it.
  for (Control* up = this; up; up = up->Parent()) {
    if (up == control.get()) com::ThrowInvalidProcedureCall(Name());
  }
  Container* container = into ? into : this;
  if (container != this &&
      (container->OwnerPage() != this || dynamic_cast<UserControl*>(container))) {
    com::ThrowInvalidProcedureCall(Name());
  }
  const std::optional<std::int16_t> index = control->index_;
  for (const ControlPtr& present : controls_) {
    if (present->name_ == control->name_ && (present->index_ == index || !index ||
                                             !present->index_)) {
      throw com::ComError(360, "Object already loaded", Name());
    }
  }
  container->Adopt(control);
  controls_.push_back(control);
  RootPage()->HandOutHandles(*control);
}

void UserControl::HandOutHandles(Control& control) {
  control.hwnd_ = control.HasWindow() ? next_hwnd_++ : 0;
  if (auto* nested = dynamic_cast<UserControl*>(&control)) {
    for (const ControlPtr& child : nested->controls_) HandOutHandles(*child);
  }
}

ControlPtr UserControl::Find(std::string_view name, std::optional<std::int16_t> index) const {
  for (const ControlPtr& control : controls_) {
    if (control->name_ == name && control->index_ == index) return control;
  }
  return nullptr;
}

void UserControl::Resize(std::int32_t width, std::int32_t height) {
  Control::Move(Left(), Top(), width, height);
  scale_width_ = width;
  scale_height_ = height;
  canvas_.SetScaleSize(width, height);
  RaiseOwn("Resize");
}

void UserControl::Move(std::int32_t left, std::int32_t top, std::int32_t width,
                       std::int32_t height) {
  const bool resized = width != scale_width_ || height != scale_height_;
  Control::Move(left, top, width, height);
  if (resized) Resize(width, height);
}

std::int32_t UserControl::AmbientLocaleID() const {
  const UserControl* page = OwnerPage();
  return page ? page->AmbientLocaleID() : locale_id_;
}

void UserControl::SetAmbientLocaleID(std::int32_t locale_id) {
  locale_id_ = locale_id;
  RaiseOwn("AmbientChanged", Args{com::Variant("LocaleID")});
  for (const ControlPtr& control : controls_) {
    if (auto* nested = dynamic_cast<UserControl*>(control.get())) {
      nested->SetAmbientLocaleID(locale_id);
    }
  }
}

void UserControl::ReadProperties(com::PropertyBag& bag) {
  RaiseOwn("ReadProperties", Args{com::Variant(std::make_shared<BagArgument>(bag))});
}

void UserControl::WriteProperties(com::PropertyBag& bag) {
  RaiseOwn("WriteProperties", Args{com::Variant(std::make_shared<BagArgument>(bag))});
  changed_.clear();
}

void UserControl::PropertyChanged(const std::string& name) {
  if (std::find(changed_.begin(), changed_.end(), name) == changed_.end()) {
    changed_.push_back(name);
  }
}

void UserControl::Terminate() {
  RaiseOwn("Terminate");
  StopTimers();
}

void UserControl::StopTimers() {
  for (const ControlPtr& control : controls_) {
    if (auto* timer = dynamic_cast<Timer*>(control.get())) timer->Stop();
    if (auto* nested = dynamic_cast<UserControl*>(control.get())) nested->StopTimers();
  }
}

Control* UserControl::ActiveControl() {
  UserControl* root = RootPage();
  if (root != this) return root->ActiveControl();
  const std::shared_ptr<Control*> link = focused_.lock();
  return link ? *link : nullptr;
}

void UserControl::LeaveFocus() {
  UserControl* root = RootPage();
  if (root != this) {
    root->LeaveFocus();
    return;
  }
  MoveFocus(nullptr);
}

void UserControl::MoveFocus(Control* to) {
  Control* from = ActiveControl();
  if (from == to) return;
  focused_ = to ? to->self_ : std::weak_ptr<Control*>{};
  const std::vector<UserControl*> left = PagesAround(from);
  const std::vector<UserControl*> entered = PagesAround(to);
  if (from) from->Raise("LostFocus");
  for (UserControl* page : left) {
    if (!Contains(entered, page)) page->RaiseOwn("ExitFocus");
  }
  for (auto it = entered.rbegin(); it != entered.rend(); ++it) {
    if (!Contains(left, *it)) (*it)->RaiseOwn("EnterFocus");
  }
  if (to) to->Raise("GotFocus");
}

void UserControl::Describe(ControlState& state) const {
  Container::Describe(state);
  state.display_list = canvas_.DisplayList();
}

void CollectingErrorSink::EventFailed(Control& control, const std::string& event,
                                      const com::ComError& error) {
  failures_.push_back(Failure{ControlLabel(control), event, error.Number(), error.Description()});
}

}  // namespace dtm::forms
