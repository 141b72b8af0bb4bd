#pragma once
// The parameter collection: every data element of the instance in dictionary
// order, keyed by its path; the data-set state and the change bookkeeping.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "component/interfaces/private.h"

namespace dtm::runtime {

class DTMContext;

class Parameters {
 public:
  explicit Parameters(DTMContext& context) : context_(context) {}

  // The element of a path; raises ComError (9, subscript out of range,
  // naming the path) for an unknown one.
  DataElementPtr Item(const std::string& path) const;
  DataElementPtr Find(const std::string& path) const;  // nullptr when unknown
  // Members of a group element "XXnnn.../": the elements whose path starts
  // with the group's path and goes on, in collection order. Read from a
  // map of every group path that the first call after the collection
  // changed builds (a transaction of a group asks for it every time).
  std::vector<DataElementPtr> GetGroupMembers(const std::string& group_path) const;
  // Appends (or inserts before the element `before`); the key defaults to
  // the element's name. Raises ComError for a duplicate key.
  void Add(const DataElementPtr& element, const std::optional<std::string>& key = std::nullopt,
           const std::optional<std::string>& before = std::nullopt);
  void Clear();
  std::size_t Count() const { return elements_.size(); }
  // Changes with every Add and Clear: what was worked out from the elements
  // of one revision holds as long as the revision stands.
  std::uint64_t Revision() const { return revision_; }
  const std::vector<DataElementPtr>& Elements() const { return elements_; }

  std::shared_ptr<IPrivateDataModel> DataModel() const;

  // An element changed: the change is counted, the data model runs its
  // rules (DataChanged), then every open page but the sender hears of it
  // (IPrivateGUI_ParameterChanged), all before this returns. A change the
  // rules or a page make meanwhile is delivered the same way, nested inside
  // this one. Inside BeginChange/EndChange the pages hear one set change
  // at the end instead. Errors of the model or a page reach the caller.
  void NotifyChanged(const DataElementPtr& element, const std::string& sender);
  // Number of changes since the data set was last loaded, saved or
  // transferred (0 = none).
  std::int32_t Changed() const { return changed_; }
  void ResetChanged();
  // While the runtime brings a new or loaded data set into line with the
  // rules, their notices are no user changes: they are not counted.
  void SetCountChanges(bool count) { count_changes_ = count; }

  // 0 new, 1 consistent, 2 inconsistent, 4 released.
  std::int32_t DataSetState() const { return data_set_state_; }
  void SetDataSetState(std::int32_t state) { data_set_state_ = state; }
  // 1 while changes are unsaved.
  std::int32_t DataChangedState() const { return data_changed_state_; }
  void SetDataChangedState(std::int32_t state) { data_changed_state_ = state; }
  std::int32_t StateFlag() const { return state_flag_; }
  void SetStateFlag(std::int32_t flag) { state_flag_ = flag; }

  // Brackets a series of changes; the pages hear one set change at the end.
  void BeginChange();
  void EndChange();
  bool InChange() const { return change_depth_ > 0; }

  // The frame's data-set events.
  void OnChildParameterChanged(const std::string& system_tag);
  void OnLockDataSet(const std::string& system_tag, const std::string& parameter_path);
  void OnParameterChanged(const std::string& system_tag, const std::string& parameter_path);
  bool OnUnlockDataSet(const std::string& system_tag, const std::string& parameter_path);
  bool Locked() const { return locked_by_frame_; }

 private:
  DTMContext& context_;
  std::vector<DataElementPtr> elements_;
  std::map<std::string, std::size_t> index_;
  // Every path "XX.../" that begins an element's path, with the elements
  // below it; built from the elements' names as they stand at the first
  // group query after an Add or Clear.
  mutable std::unordered_map<std::string, std::vector<DataElementPtr>> members_;
  mutable bool members_built_ = false;
  std::uint64_t revision_ = 0;
  std::int32_t changed_ = 0;
  bool count_changes_ = true;
  std::int32_t data_set_state_ = 0;
  std::int32_t data_changed_state_ = 0;
  std::int32_t state_flag_ = 0;
  int change_depth_ = 0;
  bool set_changed_pending_ = false;
  bool locked_by_frame_ = false;
};

}  // namespace dtm::runtime
