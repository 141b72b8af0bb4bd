#pragma once
// The navigation object of the search-control library. It remembers the
// frame's last operation phase and, for the pages, finds and shows the
// control that belongs to a control path: the control the help panel
// follows ("shown") and the one that gets the focus ("selected"). Control
// paths follow the one grammar of control_path.h.
//
// The empty path stands for the pending target: the control path the
// search last asked to show (SetTarget) that no page has shown yet. Every
// member that takes a path reads "" that way; showing the target with
// `show` True clears it.
//
// The DTM context the pages pass is accepted and not used.
//
// Late binding: LastOperationPhase (property); Reset(mode), IsPathValid(ctx,
// name, path), ControlName(path), ControlIndex(path), SetTarget(path) and
// Target through Invoke. The members that take a control collection or a
// path by reference are reached typed.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/object.h"
#include "platform/controls/collection.h"
#include "platform/controls/control_path.h"
#include "platform/forms/controls.h"

namespace dtm::controls {

// One entry of a page's dictionary keys or of a parameter search: what kind
// of text it is ("Caption", "Tab", "Parameter", or a page's own kind such
// as "Trend"), the dictionary key of the text, the path of the control that
// shows it, and, for a parameter, its label.
//
// Its identifier is the one it was given, or else made of its control path
// and dictionary key ("ctlOfflineParams.Trend1|ctlOfflineParams_TrendXScale"),
// so that two entries of one control differ. By name: Category, DictKey,
// ControlPath, Text, Id.
class DictKeyList : public com::Object {
 public:
  DictKeyList() = default;
  DictKeyList(std::string category, std::string dict_key, std::string control_path,
              std::string text = {})
      : category_(std::move(category)),
        dict_key_(std::move(dict_key)),
        control_path_(std::move(control_path)),
        text_(std::move(text)) {}

  const std::string& Category() const { return category_; }
  void SetCategory(std::string value) { category_ = std::move(value); }
  const std::string& DictKey() const { return dict_key_; }
  void SetDictKey(std::string value) { dict_key_ = std::move(value); }
  const std::string& ControlPath() const { return control_path_; }
  void SetControlPath(std::string value) { control_path_ = std::move(value); }
  const std::string& Text() const { return text_; }
  void SetText(std::string value) { text_ = std::move(value); }
  std::string Id() const { return id_.empty() ? control_path_ + "|" + dict_key_ : id_; }
  void SetId(std::string value) { id_ = std::move(value); }

  com::Variant GetProperty(std::string_view name) override;
  void SetProperty(std::string_view name, const com::Variant& value) override;

 private:
  std::string category_;
  std::string dict_key_;
  std::string control_path_;
  std::string text_;
  std::string id_;
};

class Navigation : public com::Object {
 public:
  // Forgets the pending target and the shown and selected controls; `mode`
  // 0 is a full reset, which also forgets the controls InitControl gave.
  void Reset(std::int32_t mode);
  std::int32_t ResetCount() const { return reset_count_; }
  std::int32_t LastResetMode() const { return last_reset_mode_; }

  const com::Variant& LastOperationPhase() const { return last_operation_phase_; }
  void SetLastOperationPhase(com::Variant phase) { last_operation_phase_ = std::move(phase); }

  // The path the search wants shown next ("" for none).
  const std::string& Target() const { return target_; }
  void SetTarget(std::string path);

  // A page hands over its controls (the collection last given is kept).
  void InitControl(const forms::Controls& controls);
  const forms::Controls& InitControls() const { return init_controls_; }

  // The visible parameter fields (kind kParameter) whose label or element
  // path contains `text`, without regard to case ("" matches every field),
  // in the collection's order: "Parameter" entries with the element path as
  // the dictionary key, the label as the text and `name` followed by the
  // field's part as the control path, each under its control path. `name`
  // is the page's Name or the caller's page path; "" gives paths of the
  // control alone. A field's label and element path are read by name
  // ("LabelText", "ParameterTag"); a field that has none gives its Caption
  // and "".
  std::shared_ptr<Collection> FindParameters(const std::string& name, const std::string& text,
                                             const forms::Controls& controls);
  // The dictionary keys of the controls' captions, by the caption-key rule
  // (`prefix`, the Name and, in a control array, "_" and the Index): a
  // "Caption" entry for each frame, button, label, check box, option button
  // and menu item; a "Tab" entry per tab of a tab strip (tabs from 1) or
  // tabbed dialog (from 0), the key followed by "." and the tab number.
  // `name` as for FindParameters. A caption entry's identifier, and its key
  // in the collection, is `name`, "." and the control's part, even for an
  // empty `name` (".cmdNext"): the key a page builds to find it; a tab's is
  // that followed by "#" and the tab number.
  std::shared_ptr<Collection> GetDictKeys(const std::string& name, const std::string& prefix,
                                          const forms::Controls& controls);

  // Whether `path` (or the target, for "") is a control path of the page
  // `name` (its Name or a dotted page path): its first pages are those of
  // `name`, or it is the control alone.
  bool IsPathValid(const com::Object* context, const std::string& name,
                   const std::string& path);
  // Shows a control. With `control` given (the focus echo), the help panel
  // follows that control, whatever the path. Otherwise the control of
  // `path` (or of the target) is looked up in `controls`, as the page
  // receiving the path sees it (ControlPath::Seen): a control of the page
  // itself is shown; a hosted page (a control that implements
  // IPrivateNavigation) is handed the rest of the path, starting with its
  // own name, and its answer is the result. With `show` the control is also
  // selected. False when nothing was found or no collection was given.
  bool ShowControl(const com::Object* context, const std::string& path,
                   const forms::Controls* controls, const forms::ControlPtr& control, bool show);
  // Resolves `path`, or else `search`, or else the target, and writes its
  // normal form into `path`; false (and `path` unchanged) when none is a
  // control path. It does not know the page, so it finds paths, not controls.
  bool FindControl(const com::Object* context, const std::string& search, std::string& path);
  // The same as ShowControl, for the pages that resolve with FindControl.
  bool SelectControl(const com::Object* context, const std::string& path,
                     const forms::Controls* controls, const forms::ControlPtr& control,
                     bool show);
  // The name and index of the control as the receiving page sees it
  // (ControlPath::Seen); "" and -1 for a path outside the grammar, -1 for
  // a control without index.
  std::string ControlName(const std::string& path);
  std::int32_t ControlIndex(const std::string& path);

  // The control the help panel follows and the one last selected, with the
  // path each was reached by (its part, for the focus echo); null and "".
  const forms::ControlPtr& ShownControl() const { return shown_; }
  const std::string& ShownPath() const { return shown_path_; }
  const forms::ControlPtr& SelectedControl() const { return selected_; }
  const std::string& SelectedPath() const { return selected_path_; }

  // Every call a page made, e.g. "FindControl(,ctlIdent.ctlParameter(3))",
  // "ShowControl(,Nothing,cmdNext,False)", "ControlName(Trend1)": the
  // arguments but the context, a collection as "controls" or "Nothing", a
  // control as its path part.
  const std::vector<std::string>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  com::Variant GetProperty(std::string_view name) override;
  void SetProperty(std::string_view name, const com::Variant& value) override;
  com::Variant Invoke(std::string_view name, std::span<const com::Variant> args) override;

 private:
  bool Show(const std::string& member, const std::string& path, const forms::Controls* controls,
            const forms::ControlPtr& control, bool show);
  std::optional<ControlPath> Resolve(const std::string& path) const;
  void Log(std::string call) { calls_.push_back(std::move(call)); }

  com::Variant last_operation_phase_;
  std::int32_t reset_count_ = 0;
  std::int32_t last_reset_mode_ = -1;
  std::string target_;
  forms::Controls init_controls_;
  forms::ControlPtr shown_;
  std::string shown_path_;
  forms::ControlPtr selected_;
  std::string selected_path_;
  std::vector<std::string> calls_;
};

}  // namespace dtm::controls
