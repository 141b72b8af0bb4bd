#pragma once
// A headless forms layer: the controls of a page, their kind (which decides
// how a caption is applied) and the common controls. Nothing is drawn; a
// host may render the state.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/control.h"
#include "platform/forms/timer.h"
#include "platform/forms/user_control.h"

namespace dtm::forms {

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
