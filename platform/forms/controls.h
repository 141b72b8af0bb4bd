#pragma once
// A headless forms layer: the controls of a page, their kind (which decides
// how a caption is applied) and the common controls. Nothing is drawn; a
// host may render the state.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/common_dialog.h"
#include "platform/forms/control.h"
#include "platform/forms/surface.h"
#include "platform/forms/timer.h"
#include "platform/forms/user_control.h"

namespace dtm::forms {

// A tab strip of the common controls: tabs numbered from 1. Selecting a
// tab that is not selected, from code or by the user, deselects the one
// that was and raises "Click" on the strip; selecting the selected tab again
// raises nothing.
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
  // Marks a tab selected without raising Click (the state a page is built
  // with).
  void Select(std::size_t one_based) { selected_ = one_based; }

  // Adds a tab at the end; a key that another tab has raises 35602 ("Key is
  // not unique in collection"). An empty key is no key.
  Tab& AddTab(std::string key, std::string caption);
  // The number of the tab with that key; raises 35601 ("Element not found").
  std::size_t TabIndex(const std::string& key) const;
  bool TabSelected(std::size_t one_based) const;  // raises 35600 out of range
  // Setting True selects the tab (raising Click when it was not selected);
  // setting False changes nothing, since a strip always shows one tab.
  void SetTabSelected(std::size_t one_based, bool selected);
  // The user clicks a tab: refused (false) when the strip cannot take the
  // focus.
  bool ClickTab(std::size_t one_based);

  void Describe(ControlState& state) const override;

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
  // The tab shown, from 0; setting another one raises "Click" with the tab
  // shown before, and one out of range raises 380.
  std::int16_t CurrentTab() const { return current_; }
  void SetCurrentTab(std::int16_t tab);

  void Describe(ControlState& state) const override;

 private:
  std::vector<std::string> captions_;
  std::int16_t current_ = 0;
};

// A picture: shared by the controls that show it and by image lists, and
// told apart by identity, never by content. `source` names it for a
// renderer (a resource or file name).
class Picture : public com::Object {
 public:
  explicit Picture(std::string source) : source_(std::move(source)) {}
  const std::string& Source() const { return source_; }

 private:
  std::string source_;
};
using PicturePtr = std::shared_ptr<Picture>;

// An image list of the common controls: pictures numbered from 1, each
// with an optional unique key.
class ImageList : public Control {
 public:
  explicit ImageList(std::string name) : Control(ControlKind::kImageList, std::move(name)) {}

  std::size_t Count() const { return images_.size(); }
  // Inserts `picture` at `index` (1 to Count+1; none puts it at the end) and
  // returns where it went. Raises 35600 ("Index out of bounds") for another
  // index, 35602 ("Key is not unique in collection") for a key already
  // there and 424 ("Object required") for no picture.
  std::size_t Add(std::optional<std::size_t> index, std::string key, PicturePtr picture);
  // Raises 35600 out of range.
  const PicturePtr& Item(std::size_t one_based) const;
  // Raises 35601 ("Element not found") for an unknown key.
  const PicturePtr& Item(const std::string& key) const;
  const std::string& Key(std::size_t one_based) const;
  void Remove(std::size_t one_based);
  void Clear() { images_.clear(); }

  void Describe(ControlState& state) const override;

 private:
  struct ListImage {
    std::string key;
    PicturePtr picture;
  };
  std::size_t Checked(std::size_t one_based) const;
  std::vector<ListImage> images_;
};

// A picture box: shows a picture over its back colour, is drawn on through
// its surface, and may contain other controls.
class PictureBox : public Container {
 public:
  explicit PictureBox(std::string name, std::optional<std::int16_t> index = std::nullopt)
      : Container(ControlKind::kPictureBox, std::move(name), index) {}
  const PicturePtr& Picture() const { return picture_; }
  void SetPicture(PicturePtr picture) { picture_ = std::move(picture); }
  // What the box shows as one picture: its Picture, or, without one, a
  // picture of its own that stays the same object for the box's life.
  PicturePtr Image();
  forms::Surface& Canvas() { return canvas_; }
  const forms::Surface& Canvas() const { return canvas_; }
  // Sets the inner size (the scale of the surface) and raises "Resize".
  void Resize(double width, double height);

  void Describe(ControlState& state) const override;

 private:
  PicturePtr picture_;
  PicturePtr own_image_;
  forms::Surface canvas_;
};

// An image control: shows a picture, nothing else.
class Image : public Control {
 public:
  explicit Image(std::string name, std::optional<std::int16_t> index = std::nullopt)
      : Control(ControlKind::kImage, std::move(name), index) {}
  const PicturePtr& Picture() const { return picture_; }
  void SetPicture(PicturePtr picture) { picture_ = std::move(picture); }

  void Describe(ControlState& state) const override;

 private:
  PicturePtr picture_;
};

// A shape: a rectangle (0) or another figure, filled with FillColor when
// FillStyle is 0 (solid); 1, the default, leaves it transparent.
class Shape : public Control {
 public:
  explicit Shape(std::string name, std::optional<std::int16_t> index = std::nullopt)
      : Control(ControlKind::kShape, std::move(name), index) {}
  std::int16_t Figure() const { return figure_; }
  void SetFigure(std::int16_t figure) { figure_ = figure; }
  std::int16_t FillStyle() const { return fill_style_; }
  void SetFillStyle(std::int16_t style) { fill_style_ = style; }
  OleColor BorderColor() const { return border_color_; }
  void SetBorderColor(OleColor color) { border_color_ = color; }

  void Describe(ControlState& state) const override;

 private:
  std::int16_t figure_ = 0;
  std::int16_t fill_style_ = 1;
  OleColor border_color_ = colors::kWindowText;
};

// A list box: entries numbered from 0; ListIndex -1 selects none.
class ListBox : public Control {
 public:
  explicit ListBox(std::string name, std::optional<std::int16_t> index = std::nullopt)
      : Control(ControlKind::kListBox, std::move(name), index) {}
  // Inserts at `at` (0 to ListCount; none appends); raises 5 for another
  // place. A selected entry at or after the place moves down with it.
  void AddItem(std::string item, std::optional<std::int32_t> at = std::nullopt);
  // Raises 5 out of range; removing the selected entry selects none.
  void RemoveItem(std::int32_t at);
  void Clear();
  // Raises 381 ("Invalid property array index") out of range.
  const std::string& List(std::int32_t at) const;
  std::int32_t ListCount() const { return static_cast<std::int32_t>(items_.size()); }
  // The first entry shown; raises 380 outside 0 to ListCount-1 (0 for an
  // empty list).
  std::int32_t TopIndex() const { return top_; }
  void SetTopIndex(std::int32_t top);
  // Setting another entry raises "Click"; raises 380 outside -1 to
  // ListCount-1.
  std::int32_t ListIndex() const { return selected_; }
  void SetListIndex(std::int32_t at);

  void Describe(ControlState& state) const override;

 private:
  std::vector<std::string> items_;
  std::int32_t top_ = 0;
  std::int32_t selected_ = -1;
};

// A text box: setting another Text raises "Change", from code as from the
// user.
class TextBox : public Control {
 public:
  explicit TextBox(std::string name, std::optional<std::int16_t> index = std::nullopt)
      : Control(ControlKind::kTextBox, std::move(name), index) {}
  void SetText(std::string text) override;
};

class Label : public Control {
 public:
  explicit Label(std::string name, std::optional<std::int16_t> index = std::nullopt)
      : Control(ControlKind::kLabel, std::move(name), index) {}
};

class CommandButton : public Control {
 public:
  explicit CommandButton(std::string name, std::optional<std::int16_t> index = std::nullopt)
      : Control(ControlKind::kCommandButton, std::move(name), index) {}
};

// A check box: Value 0 (unchecked), 1 (checked) or 2 (grayed); setting
// another Value raises "Click", as a user's click does, and any other value
// raises 380. A user's click checks an unchecked or grayed box and unchecks
// a checked one.
class CheckBox : public Control {
 public:
  explicit CheckBox(std::string name, std::optional<std::int16_t> index = std::nullopt);
  void SetValue(com::Variant value) override;
  bool UserClick() override;
};

// An option button: Value True chooses it and clears the other option
// buttons of its container; becoming chosen raises "Click".
class OptionButton : public Control {
 public:
  explicit OptionButton(std::string name, std::optional<std::int16_t> index = std::nullopt);
  void SetValue(com::Variant value) override;
  bool UserClick() override;
};

// A menu entry: Click when chosen, a check mark when Checked.
class Menu : public Control {
 public:
  explicit Menu(std::string name, std::optional<std::int16_t> index = std::nullopt)
      : Control(ControlKind::kMenu, std::move(name), index) {}
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }

  void Describe(ControlState& state) const override;

 private:
  bool checked_ = false;
};

}  // namespace dtm::forms
