#pragma once
// The base of every control of a page: the properties the component sets,
// the events it handles by name, the place of the control in its container
// and its focus. Nothing is drawn; a host may render the state.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/error.h"
#include "platform/com/object.h"
#include "platform/forms/colors.h"
#include "platform/forms/state.h"

namespace dtm::forms {

enum class ControlKind {
  kFrame,
  kCommandButton,
  kLabel,
  kCheckBox,
  kOptionButton,
  kMenu,
  kTabStrip,      // common-controls tab strip: Tabs is a collection, tabs 1..Count
  kTabbedDialog,  // tabbed dialog: Tabs is a count, TabCaption(0..Tabs-1)
  kTextBox,
  kPictureBox,
  kImage,
  kShape,
  kTimer,
  kListBox,
  kParamHelp,     // help panel of the parameter controls
  kParameter,     // parameter edit field
  kOther,
  kUserControl,
  kImageList,
  kCommonDialog,
};

// The kinds whose caption is their visible text (frames, buttons, labels,
// check and option boxes, menus); the others show no caption of their own.
constexpr bool TakesCaption(ControlKind kind) {
  switch (kind) {
    case ControlKind::kFrame:
    case ControlKind::kCommandButton:
    case ControlKind::kLabel:
    case ControlKind::kCheckBox:
    case ControlKind::kOptionButton:
    case ControlKind::kMenu:
      return true;
    default:
      return false;
  }
}

// The arguments of one event, passed by reference: a handler may change
// them and the raiser reads them back (KeyAscii = 0 drops a key press).
using Args = std::vector<com::Variant>;
using Handler = std::function<void(Args&)>;
using ConnectionId = std::uint64_t;

class Control;
class Container;
class UserControl;

// Where a page reports an error that one of its event handlers raised: the
// error never travels further into the host's event loop, and it is never
// dropped without a word.
class EventErrorSink {
 public:
  virtual ~EventErrorSink() = default;
  // `control` raised `event`; one of its handlers failed with `error`.
  virtual void EventFailed(Control& control, const std::string& event,
                           const com::ComError& error) = 0;
};

class Control : public com::Object {
 public:
  Control(ControlKind kind, std::string name, std::optional<std::int16_t> index = std::nullopt);
  ~Control() override;

  ControlKind Kind() const { return kind_; }
  virtual std::string Name() const { return name_; }
  // The index within a control array; raises ComError 343 ("Object not an
  // array") for a control that is not in one, as the forms package does.
  virtual std::int16_t Index() const;
  bool InArray() const { return index_.has_value(); }

  const std::string& Caption() const { return caption_; }
  virtual void SetCaption(std::string caption) { caption_ = std::move(caption); }
  const std::string& ToolTipText() const { return tooltip_; }
  void SetToolTipText(std::string text) { tooltip_ = std::move(text); }
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible) { visible_ = visible; }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled) { enabled_ = enabled; }
  const std::string& Tag() const { return tag_; }
  void SetTag(std::string tag) { tag_ = std::move(tag); }
  bool Locked() const { return locked_; }
  void SetLocked(bool locked) { locked_ = locked; }
  const std::string& Text() const { return text_; }
  virtual void SetText(std::string text) { text_ = std::move(text); }
  const com::Variant& Value() const { return value_; }
  virtual void SetValue(com::Variant value) { value_ = std::move(value); }
  std::int16_t MousePointer() const { return mouse_pointer_; }
  void SetMousePointer(std::int16_t pointer) { mouse_pointer_ = pointer; }

  // Colours are OLE colours; a system colour keeps its 0x800000xx code.
  OleColor ForeColor() const { return fore_color_; }
  void SetForeColor(OleColor color) { fore_color_ = color; }
  OleColor BackColor() const { return back_color_; }
  virtual void SetBackColor(OleColor color) { back_color_ = color; }
  OleColor FillColor() const { return fill_color_; }
  void SetFillColor(OleColor color) { fill_color_ = color; }

  // Place and size in the container's scale (twips); 0 until a page sets
  // them. Nothing is laid out: the values are what the page's resize rules
  // keep. A negative width or height raises error 380 ("Invalid property
  // value").
  std::int32_t Left() const { return left_; }
  std::int32_t Top() const { return top_; }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  void SetLeft(std::int32_t left) { Move(left, top_, width_, height_); }
  void SetTop(std::int32_t top) { Move(left_, top, width_, height_); }
  void SetWidth(std::int32_t width) { Move(left_, top_, width, height_); }
  void SetHeight(std::int32_t height) { Move(left_, top_, width_, height); }
  virtual void Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

  // The window handle, handed out by the page the control stands on and
  // unique within it; 0 for a windowless control and for one not placed.
  std::int32_t hWnd() const { return hwnd_; }
  // Labels, images, shapes, timers, menus and image lists have no window.
  bool HasWindow() const;

  // The frame or user control that contains the control; nullptr before the
  // control is placed and after its container is gone (the link is weak).
  Control* Parent() const;
  // The user control whose Controls collection holds this control.
  UserControl* OwnerPage() const;
  // The outermost user control above the control (itself when it is one
  // that stands nowhere); it keeps the focus and hands out the handles.
  UserControl* RootPage();

  // 0 brings the control to the front of its siblings, 1 sends it to the
  // back; other positions raise error 5.
  void ZOrder(std::int16_t position = 0);

  // Moves the focus of the page to this control: LostFocus on the control
  // that had it, ExitFocus/EnterFocus on the user controls that focus leaves
  // and enters, then GotFocus here. A control that is hidden or disabled, or
  // that stands in a hidden or disabled container, or that is on no page,
  // raises error 5 ("Invalid procedure call or argument").
  void SetFocus();
  bool HasFocus() const;
  // Whether the control could take the focus now (the test of SetFocus).
  bool CanTakeFocus() const;

  // Connects a handler to an event by name; handlers of one event run in the
  // order they were connected.
  ConnectionId On(std::string event, Handler handler);
  void Off(ConnectionId id);
  bool Handles(const std::string& event) const;

  // Raises an event. A control in a control array passes its Index in front
  // of `args`, as the forms package does; what the handlers leave in the
  // rest is copied back into `args`. An error a handler raises is given to
  // the error sink of the nearest user control that has one and Raise
  // returns normally; the other handlers of the event still run. With no
  // sink above the control, the error is raised to the caller of Raise and
  // the later handlers do not run.
  void Raise(const std::string& event, Args& args);
  void Raise(const std::string& event, Args&& args) { Raise(event, args); }
  void Raise(const std::string& event);

  // A user's click, as the host delivers it: nothing happens on a control
  // that could not take the focus (hidden or disabled, or in such a
  // container); otherwise the control does what a click does (a check box
  // toggles, an option button is chosen) and raises "Click". Returns whether
  // the click reached the control.
  virtual bool UserClick();

  // Fills `state` with what this control shows; a derived control calls its
  // base first and adds its own.
  virtual void Describe(ControlState& state) const;
  // The kind's name in the state tree ("CommandButton").
  static const char* KindName(ControlKind kind);

 protected:
  // The error sink of this control itself; user controls have one.
  virtual EventErrorSink* OwnErrorSink() const { return nullptr; }

 private:
  friend class Container;
  friend class UserControl;
  struct Connection {
    ConnectionId id;
    std::string event;
    std::shared_ptr<Handler> handler;
  };
  void Report(const std::string& event, const com::ComError& error);
  // `pass_index` false raises an event of the control's own code, which
  // knows its index and gets none (a user control's life-cycle events).
  void RaiseWith(const std::string& event, Args& args, bool pass_index);

  ControlKind kind_;
  std::string name_;
  std::optional<std::int16_t> index_;
  std::string caption_;
  std::string tooltip_;
  bool visible_ = true;
  bool enabled_ = true;
  std::string tag_;
  bool locked_ = false;
  std::string text_;
  com::Variant value_;
  std::int16_t mouse_pointer_ = 0;
  OleColor fore_color_;
  OleColor back_color_;
  OleColor fill_color_ = colors::kBlack;
  std::int32_t hwnd_ = 0;
  std::int32_t left_ = 0;
  std::int32_t top_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;

  // A weak link to this control that outlives it: children keep the weak
  // side, and the destructor clears it, so a child whose container is gone
  // sees no parent instead of a dangling one.
  std::shared_ptr<Control*> self_;
  std::weak_ptr<Control*> parent_;

  std::vector<Connection> connections_;
  ConnectionId next_connection_ = 1;
};

using ControlPtr = std::shared_ptr<Control>;
using Controls = std::vector<ControlPtr>;

// A control that contains others: a frame or a user control. Children are
// kept in form order and, separately, in z-order from back to front.
class Container : public Control {
 public:
  using Control::Control;
  const std::vector<ControlPtr>& Children() const { return children_; }
  // Back to front: the last one is drawn on top.
  std::vector<Control*> ZOrdered() const;

 private:
  friend class Control;
  friend class UserControl;
  void Adopt(const ControlPtr& child);
  void MoveInZOrder(Control& child, bool to_front);

  std::vector<ControlPtr> children_;
  std::vector<std::weak_ptr<Control*>> z_order_;  // back to front
};

// A frame: a container with a caption; a hidden or disabled frame hides or
// disables what it contains.
class Frame : public Container {
 public:
  explicit Frame(std::string name, std::optional<std::int16_t> index = std::nullopt)
      : Container(ControlKind::kFrame, std::move(name), index) {}
};

}  // namespace dtm::forms
