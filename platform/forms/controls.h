#pragma once
// A headless forms layer: the controls of a page with the properties the
// component sets (name, index in a control array, caption, visibility,
// enabled state, tool tip) and their kind, which decides how a caption is
// applied. Nothing is drawn; a host may render the state.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/object.h"

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
};

class Control : public com::Object {
 public:
  Control(ControlKind kind, std::string name, std::optional<std::int16_t> index = std::nullopt)
      : kind_(kind), name_(std::move(name)), index_(index) {}

  ControlKind Kind() const { return kind_; }
  virtual std::string Name() const { return name_; }
  // The index within a control array; raises ComError 343 ("Object not an
  // array") for a control that is not in one, as the forms package does.
  virtual std::int16_t Index() const;
  bool InArray() const { return index_.has_value(); }

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  const std::string& ToolTipText() const { return tooltip_; }
  void SetToolTipText(std::string text) { tooltip_ = std::move(text); }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }

 private:
  ControlKind kind_;
  std::string name_;
  std::optional<std::int16_t> index_;
  std::string caption_;
  std::string tooltip_;
  bool visible_ = true;
  bool enabled_ = true;
};

using ControlPtr = std::shared_ptr<Control>;
using Controls = std::vector<ControlPtr>;

// A tab strip of the common controls: tabs numbered from 1.
class TabStrip : public Control {
 public:
  struct Tab {
    std::string key;
    std::string caption;
  };
  explicit TabStrip(std::string name, std::vector<Tab> tabs = {})
      : Control(ControlKind::kTabStrip, std::move(name)), tabs_(std::move(tabs)) {}
  std::size_t TabCount() const { return tabs_.size(); }
  Tab& TabItem(std::size_t one_based);  // raises ComError 35600 out of range
  const Tab& TabItem(std::size_t one_based) const;
  std::size_t SelectedIndex() const { return selected_; }  // 1-based, 0 = none
  void Select(std::size_t one_based) { selected_ = one_based; }

 private:
  std::vector<Tab> tabs_;
  std::size_t selected_ = 1;
};

// A tabbed dialog: tabs numbered from 0, captions set through TabCaption.
class TabbedDialog : public Control {
 public:
  TabbedDialog(std::string name, std::int16_t tabs)
      : Control(ControlKind::kTabbedDialog, std::move(name)),
        captions_(static_cast<std::size_t>(tabs)) {}
  std::int16_t Tabs() const { return static_cast<std::int16_t>(captions_.size()); }
  const std::string& TabCaption(std::int16_t tab) const;  // raises ComError 380 out of range
  void SetTabCaption(std::int16_t tab, std::string caption);

 private:
  std::vector<std::string> captions_;
};

}  // namespace dtm::forms
