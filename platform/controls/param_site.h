#pragma once
// The parameter controls that pages place: the edit field `ctlParameter`
// (label, value, unit, status picture, context menu), the help panel
// `ctlParamHelp`, and the site `ctlParamSite` that binds every field of its
// page to a data element through a parameter link. The links themselves
// are the component's: it implements IPrivateParamLink, and the site only
// drives them.
//
// Events a field raises, by name (a field in a control array passes its
// Index in front, as every control does): "Change" (the user typed),
// "Click", "StartEdit", "EndEdit"(confirmed), "MenuClick"(item number),
// "KeyDown"(key code, writable; shift state), "KeyPress"(key ascii,
// writable), "StateChanged"(running) when the command of a command field
// starts or ends, and the focus events of every control.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/interfaces/private.h"
#include "platform/com/object.h"
#include "platform/com/property_bag.h"
#include "platform/com/variant.h"
#include "platform/forms/control.h"
#include "platform/forms/state.h"

namespace dtm::runtime {
class DTMContext;
}

namespace dtm::controls {

class ctlParameter;
class ctlParamHelp;
class ctlParamSite;

// A picture as fields and image collections hold it: a shared object told
// apart by identity, never by content.
using PicturePtr = std::shared_ptr<com::Object>;

// A picture the control library draws itself; `source` names it for a
// renderer.
class StockPicture : public com::Object {
 public:
  explicit StockPicture(std::string source) : source_(std::move(source)) {}
  const std::string& Source() const { return source_; }

 private:
  std::string source_;
};

// The image collection of a site: pictures numbered from 1, each with a
// unique key.
class ImageCollection {
 public:
  std::size_t Count() const { return images_.size(); }
  // Inserts `picture` at `index` (1 to Count+1; none puts it at the end)
  // and returns where it went. Raises 35600 for another index, 35602 for a
  // key already there, 424 for no picture.
  std::size_t Add(std::optional<std::size_t> index, std::string key, PicturePtr picture);
  // Raises 35600 out of range.
  const PicturePtr& Item(std::size_t one_based) const;
  // Raises 35601 for an unknown key.
  const PicturePtr& Item(const std::string& key) const;
  const std::string& Key(std::size_t one_based) const;
  bool Exists(const std::string& key) const;
  // The key of that very picture; "" when the collection does not hold it.
  std::string KeyOf(const PicturePtr& picture) const;

 private:
  struct Entry {
    std::string key;
    PicturePtr picture;
  };
  std::vector<Entry> images_;
};
using ImageCollectionPtr = std::shared_ptr<ImageCollection>;

// The keys of the status pictures every site holds, in this order.
const std::vector<std::string>& StatusPictureKeys();

// What the site drives: one link per field. Calls in slot order.
class IPrivateParamLink {
 public:
  virtual ~IPrivateParamLink() = default;
  // A new link for the next field, set up like this one.
  virtual std::shared_ptr<IPrivateParamLink> IPrivateParamLink_GetNewParamLink() = 0;
  virtual DataElementPtr IPrivateParamLink_DataElement() const = 0;
  virtual std::shared_ptr<ctlParameter> IPrivateParamLink_ParameterCtl() const = 0;
  // Binds the link to `control` and to the element its tag names. The
  // context must outlive the binding (TerminateLink lets go of it). May
  // raise: the site deals with it.
  virtual void IPrivateParamLink_InitLink(runtime::DTMContext& context,
                                          const std::shared_ptr<ctlParameter>& control,
                                          const ImageCollectionPtr& images,
                                          const std::string& text) = 0;
  virtual void IPrivateParamLink_TerminateLink() = 0;
  virtual void IPrivateParamLink_InitLanguageDependent() = 0;
  virtual void IPrivateParamLink_UpdateParameter() = 0;
  virtual void IPrivateParamLink_ValidateParameter() = 0;
};
using ParamLinkPtr = std::shared_ptr<IPrivateParamLink>;

// A page that offers a help panel to its fields implements this; a page
// without it may still answer "GetParamHelpCtl" by name.
class IParamHelpHost {
 public:
  virtual ~IParamHelpHost() = default;
  virtual std::shared_ptr<ctlParamHelp> GetParamHelpCtl() = 0;
};

// One labelled edit field.
class ctlParameter : public forms::Control {
 public:
  explicit ctlParameter(std::string name, std::optional<std::int16_t> index = std::nullopt);

  // ---- texts ----
  // The element path; "%d" stands for the link's Index.
  const std::string& ParameterTag() const { return parameter_tag_; }
  void SetParameterTag(std::string tag) { parameter_tag_ = std::move(tag); }
  const std::string& LabelText() const { return label_text_; }
  void SetLabelText(std::string text) { label_text_ = std::move(text); }
  const std::string& ValueFormat() const { return value_format_; }
  void SetValueFormat(std::string format) { value_format_ = std::move(format); }
  const std::string& DescriptionText() const { return description_text_; }
  void SetDescriptionText(std::string text) { description_text_ = std::move(text); }
  // The choices of a list field, as the element gives them.
  const std::string& ValueListText() const { return value_list_text_; }
  void SetValueListText(std::string text) { value_list_text_ = std::move(text); }
  const std::string& UnitText() const { return unit_text_; }
  void SetUnitText(std::string text) { unit_text_ = std::move(text); }
  const std::string& IconToolTip() const { return icon_tool_tip_; }
  void SetIconToolTip(std::string text) { icon_tool_tip_ = std::move(text); }
  // The tooltip of the status picture as shown: "" until a picture with a
  // tooltip was set.
  const std::string& StatusText() const { return status_text_; }

  // ---- value and input ----
  // 0 automatic, 1 value, 2 Boolean, 3 list, 4 bits, 5 command; raises 380
  // for another number.
  std::int32_t ControlType() const { return control_type_; }
  void SetControlType(std::int32_t type);
  // Whether the user changed the value since it was last set from code.
  bool IsChanged() const { return is_changed_; }
  void SetIsChanged(bool changed) { is_changed_ = changed; }
  // Setting the value from code clears IsChanged.
  void SetValue(com::Variant value) override;
  // Locking a command field announces the state of its command.
  void SetLocked(bool locked);
  std::int32_t ValueMaxLength() const { return value_max_length_; }
  void SetValueMaxLength(std::int32_t length) { value_max_length_ = length; }
  bool ValueUpperCase() const { return value_upper_case_; }
  void SetValueUpperCase(bool upper) { value_upper_case_ = upper; }

  // ---- status picture ----
  const PicturePtr& StatusIcon() const { return status_icon_; }
  // Takes the picture by reference; the tooltip shown with it is the
  // IconToolTip of that moment.
  void SetStatusIcon(const PicturePtr& picture);
  // The key of the status picture in the site's collection; "" for none.
  std::string StatusIconKey() const;
  // The collection whose keys StatusIconKey reports; set by the site.
  void SetIconSource(const ImageCollectionPtr& images) { icon_source_ = images; }

  // ---- context menu ----
  // Adds the next item (the first is 1) and returns its number.
  std::int32_t AddMenuItem(const std::string& text);
  void RemoveMenuItems() { menu_items_.clear(); }
  std::int32_t MenuItemCount() const { return static_cast<std::int32_t>(menu_items_.size()); }
  // Raises 380 for an item that is not there.
  const std::string& MenuItemText(std::int32_t item) const;
  void SetMenuItemText(std::int32_t item, std::string text);

  // ---- design properties ----
  std::int32_t LabelWidth() const { return label_width_; }
  void SetLabelWidth(std::int32_t width) { label_width_ = width; }
  std::int32_t UnitWidth() const { return unit_width_; }
  void SetUnitWidth(std::int32_t width) { unit_width_ = width; }
  bool ShowStatusIcon() const { return show_status_icon_; }
  void SetShowStatusIcon(bool show) { show_status_icon_ = show; }
  std::int32_t ValueForeColor() const { return value_fore_color_; }
  void SetValueForeColor(std::int32_t color) { value_fore_color_ = color; }
  const std::string& FontName() const { return font_name_; }
  void SetFontName(std::string font) { font_name_ = std::move(font); }
  // "parametertag", "labeltext", "controltype", "valueformat",
  // "labelwidth", "unitwidth", "statusicon", "valueforecolor", "font".
  void ReadProperties(com::PropertyBag& bag);
  void WriteProperties(com::PropertyBag& bag) const;

  // ---- what a user does; each raises the events a user causes (a click
  // is the forms layer's UserClick) ----
  // Typing: the value becomes `text`, IsChanged turns True, "Change".
  void UserType(const std::string& text);
  void UserStartEdit() { Raise("StartEdit"); }
  void UserEndEdit(bool confirmed);
  void UserMenuClick(std::int32_t item);
  // Returns the key code as the handlers left it (0: consumed).
  std::int32_t UserKeyDown(std::int32_t key_code, std::int32_t shift);
  // Returns the key as the handlers left it (0: dropped).
  std::int32_t UserKeyPress(std::int32_t key_ascii);

  // Adds "label", "unit", "icon" (the status picture's key), "icon_tip",
  // "tag", "type" and, when there is one, "format" and "list" (the
  // choices, "0:Text|1:Text") for the renderers.
  void Describe(forms::ControlState& state) const override;

 private:
  std::string parameter_tag_;
  std::string label_text_;
  std::string value_format_;
  std::string description_text_;
  std::string value_list_text_;
  std::string unit_text_;
  std::string icon_tool_tip_;
  std::string status_text_;
  std::int32_t control_type_ = 0;
  bool is_changed_ = false;
  std::int32_t value_max_length_ = 0;
  bool value_upper_case_ = false;
  PicturePtr status_icon_;
  std::weak_ptr<ImageCollection> icon_source_;
  std::vector<std::string> menu_items_;
  std::int32_t label_width_ = 0;
  std::int32_t unit_width_ = 0;
  bool show_status_icon_ = true;
  std::int32_t value_fore_color_ = 0;
  std::string font_name_;
};
using ParameterPtr = std::shared_ptr<ctlParameter>;

// The help panel: shows a text next to a window of the page.
class ctlParamHelp : public forms::Control {
 public:
  explicit ctlParamHelp(std::string name = "ctlParamHelp1");
  const std::string& HelpText() const { return Text(); }
  // Shows the text beside the window `hwnd`; the panel becomes visible.
  void ShowFor(std::int32_t hwnd);
  // The window the text was last shown for; 0 before.
  std::int32_t ShownFor() const { return shown_for_; }
  std::int32_t ShowCount() const { return show_count_; }
  // How the panel places itself next to the window (bits of sides; 15 any).
  std::int32_t AutomaticPositioning() const { return automatic_positioning_; }
  void SetAutomaticPositioning(std::int32_t sides) { automatic_positioning_ = sides; }

  // Adds "shown_for", the window the text stands beside.
  void Describe(forms::ControlState& state) const override;

 private:
  std::int32_t shown_for_ = 0;
  std::int32_t show_count_ = 0;
  std::int32_t automatic_positioning_ = 0;
};
using ParamHelpPtr = std::shared_ptr<ctlParamHelp>;

// The site: placed on a page, it binds the page's fields and passes the
// page's calls on to their links.
class ctlParamSite : public forms::Control {
 public:
  explicit ctlParamSite(std::string name = "ctlParamSite1");
  ~ctlParamSite() override;

  // The status pictures under StatusPictureKeys(), and what a page adds.
  ImageCollection& Images() { return *images_; }
  const ImageCollectionPtr& ImagesPtr() const { return images_; }

  // Makes one link per field of the page the site stands on, in the
  // order of the page's controls, from `link` (GetNewParamLink), and binds
  // each. A field whose binding fails is left unbound and disabled; each
  // such failure is reported once through the context's ShowError, and the
  // page opens all the same. A second Init first releases the links of
  // the first.
  void Init(runtime::DTMContext& context, std::string& invoke_id, const ParamLinkPtr& link);
  // The texts of every link in the language.
  void SetLanguage(std::int32_t language_id);
  // The links bound to that very element refresh.
  void ParameterChanged(const DataElementPtr& element);
  // Every link refreshes.
  void ParameterSetChanged();
  // Every link takes a pending edit.
  void ValidateParameters();
  // Enables or disables the bound fields; an unbound field stays disabled.
  void EnableInput(bool enable);
  // Unbinds every link (TerminateLink) and forgets them.
  void Release();

  // The link bound to that field; nullptr for a field without one.
  ParamLinkPtr GetParamLink(const ctlParameter& control) const;
  // The bound links, in the order of the page's fields.
  std::vector<ParamLinkPtr> Links() const;
  std::int32_t LanguageId() const { return language_id_; }
  bool InputEnabled() const { return input_enabled_; }
  const std::string& InvokeId() const { return invoke_id_; }

  // The keys of its pictures, and "bound", the number of bound fields.
  void Describe(forms::ControlState& state) const override;

 private:
  struct Binding {
    ParameterPtr control;
    ParamLinkPtr link;  // nullptr when the binding failed
  };
  ImageCollectionPtr images_;
  std::vector<Binding> bindings_;
  std::int32_t language_id_ = 0;
  bool input_enabled_ = true;
  std::string invoke_id_;
};
using ParamSitePtr = std::shared_ptr<ctlParamSite>;

}  // namespace dtm::controls
