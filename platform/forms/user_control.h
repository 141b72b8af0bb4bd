#pragma once
// The user control, the base object of a page and of the composite controls
// that stand on pages: its flat Controls collection, its inner size, the
// ambient properties its container gives it, its life-cycle events and the
// focus of the controls on it.
//
// Events it raises, by name: "Initialize", "InitProperties",
// "ReadProperties"(bag), "WriteProperties"(bag), "Show", "Resize", "Paint",
// "AmbientChanged"(name), "EnterFocus", "ExitFocus", "Terminate". A bag is
// passed as an object; BagOf gives the PropertyBag behind it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/property_bag.h"
#include "platform/forms/control.h"
#include "platform/forms/surface.h"

namespace dtm::forms {

// The property bag of a ReadProperties or WriteProperties event; raises
// Type mismatch (13) for an argument that is no bag.
com::PropertyBag& BagOf(const com::Variant& arg);

class UserControl : public Container {
 public:
  explicit UserControl(std::string name, ControlKind kind = ControlKind::kUserControl,
                       std::optional<std::int16_t> index = std::nullopt);

  // Places `control` on this user control, directly or inside `into` (a
  // frame or nested user control already on it). Everything placed comes
  // into Controls in the order of placing; the controls of a nested user
  // control stay in its own collection. Raises error 5 for a control that
  // already stands somewhere and for a container not on this user control,
  // 360 ("Object already loaded") for a name and index already present.
  template <class T>
  std::shared_ptr<T> Add(std::shared_ptr<T> control, Container* into = nullptr) {
    Place(control, into);
    return control;
  }
  // The flat collection in form order, controls inside frames included.
  const forms::Controls& Controls() const { return controls_; }
  // The control of that name (and index, for a control array), or nullptr.
  ControlPtr Find(std::string_view name, std::optional<std::int16_t> index = std::nullopt) const;

  // The inner size in the user control's scale; Resize sets it and raises
  // "Resize". The user control has no border, so its Width and Height are
  // its inner size: a page that moves a nested user control to another
  // size resizes it (and "Resize" is raised there only when the size
  // changed).
  std::int32_t ScaleWidth() const { return scale_width_; }
  std::int32_t ScaleHeight() const { return scale_height_; }
  void Resize(std::int32_t width, std::int32_t height);
  void Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) override;
  // What the user control draws on itself (in Paint, mostly); its scale
  // follows Resize.
  forms::Surface& Canvas() { return canvas_; }
  const forms::Surface& Canvas() const { return canvas_; }

  // The container's locale; a nested user control reads its page's. Setting
  // it raises "AmbientChanged"("LocaleID") here and then in every nested
  // user control, in form order, as the container announces each change.
  std::int32_t AmbientLocaleID() const;
  void SetAmbientLocaleID(std::int32_t locale_id);

  // The life-cycle events, raised as a container raises them.
  // They are the user control's own events: a user control in a control
  // array gets no Index in front of their arguments.
  void Initialize() { RaiseOwn("Initialize"); }
  void InitProperties() { RaiseOwn("InitProperties"); }
  void ReadProperties(com::PropertyBag& bag);
  // Raises "WriteProperties" and forgets which properties were changed.
  void WriteProperties(com::PropertyBag& bag);
  void Show() { RaiseOwn("Show"); }
  void Paint() { RaiseOwn("Paint"); }
  // Raises "Terminate", then stops every timer on the user control and on
  // its nested user controls for good, so nothing fires on a dead page.
  void Terminate();

  // A design property changed: the container will ask for WriteProperties.
  void PropertyChanged(const std::string& name);
  const std::vector<std::string>& ChangedProperties() const { return changed_; }

  // The control that has the focus on the page this user control stands on
  // (or on itself when it stands nowhere); nullptr when the page has none.
  Control* ActiveControl();
  // The focus leaves the page for something outside it: LostFocus on the
  // control that had it, then ExitFocus from the inner to the outer user
  // control. Nothing happens when the page has no focus.
  void LeaveFocus();

  // The host's sink for errors of event handlers of this user control and of
  // the controls on it; nullptr detaches it. Not owned.
  void SetErrorSink(EventErrorSink* sink) { sink_ = sink; }

  void Describe(ControlState& state) const override;

 protected:
  EventErrorSink* OwnErrorSink() const override { return sink_; }

 private:
  friend class Control;
  void RaiseOwn(const std::string& event, Args args = {}) { RaiseWith(event, args, false); }
  void Place(const ControlPtr& control, Container* into);
  void HandOutHandles(Control& control);
  void MoveFocus(Control* to);
  void StopTimers();

  forms::Controls controls_;
  std::int32_t scale_width_ = 0;
  std::int32_t scale_height_ = 0;
  forms::Surface canvas_;
  std::int32_t locale_id_ = 1033;
  std::vector<std::string> changed_;
  EventErrorSink* sink_ = nullptr;
  // Kept by the outermost user control only.
  std::weak_ptr<Control*> focused_;
  std::int32_t next_hwnd_ = 1;
};

// A sink that keeps the failures for the host to show; for hosts and tests.
class CollectingErrorSink : public EventErrorSink {
 public:
  struct Failure {
    std::string control;  // name, with "(index)" for a control array
    std::string event;
    std::int32_t number;
    std::string description;
  };
  void EventFailed(Control& control, const std::string& event,
                   const com::ComError& error) override;
  const std::vector<Failure>& Failures() const { return failures_; }

 private:
  std::vector<Failure> failures_;
};

}  // namespace dtm::forms
