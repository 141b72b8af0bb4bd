#include "platform/runtime/parameters.h"

#include "platform/com/error.h"
#include "platform/runtime/context.h"

namespace dtm::runtime {

namespace {

constexpr std::int32_t kKeyInUse = 457;  // the collection's "key already associated"

}  // namespace

DataElementPtr Parameters::Item(const std::string& path) const {
  DataElementPtr element = Find(path);
  if (!element) {
    throw com::ComError(com::vb::kSubscriptOutOfRange, "Subscript out of range: " + path,
                        "Parameters");
  }
  return element;
}

DataElementPtr Parameters::Find(const std::string& path) const {
  const auto it = index_.find(path);
  return it == index_.end() ? nullptr : elements_[it->second];
}

std::vector<DataElementPtr> Parameters::GetGroupMembers(const std::string& group_path) const {
  if (group_path.empty() || group_path.back() != '/') return {};
  if (!members_built_) {
    // A path is a member of each of its beginnings that ends in "/" and
    // leaves something after it: "A/B/c" of "A/" and "A/B/".
    members_.clear();
    for (const DataElementPtr& element : elements_) {
      const std::string name = element->IPrivateDataElement_Name();
      for (std::size_t slash = name.find('/'); slash != std::string::npos && slash + 1 < name.size();
           slash = name.find('/', slash + 1)) {
        members_[name.substr(0, slash + 1)].push_back(element);
      }
    }
    members_built_ = true;
  }
  const auto it = members_.find(group_path);
  return it == members_.end() ? std::vector<DataElementPtr>{} : it->second;
}

void Parameters::Add(const DataElementPtr& element, const std::optional<std::string>& key,
                     const std::optional<std::string>& before) {
  if (!element) com::ThrowObjectVariableNotSet("Parameters");
  const std::string name = key.value_or(element->IPrivateDataElement_Name());
  if (index_.count(name) != 0) {
    throw com::ComError(
        kKeyInUse, "This key is already associated with an element of this collection: " + name,
        "Parameters");
  }
  std::size_t position = elements_.size();
  if (before) {
    const auto it = index_.find(*before);
    if (it == index_.end()) {
      throw com::ComError(com::vb::kInvalidProcedureCall,
                          "Invalid procedure call or argument: no element " + *before,
                          "Parameters");
    }
    position = it->second;
    for (auto& entry : index_) {
      if (entry.second >= position) ++entry.second;
    }
  }
  elements_.insert(elements_.begin() + static_cast<std::ptrdiff_t>(position), element);
  index_.emplace(name, position);
  members_built_ = false;
  ++revision_;
}

void Parameters::Clear() {
  elements_.clear();
  index_.clear();
  members_.clear();
  members_built_ = false;
  ++revision_;
}

std::shared_ptr<IPrivateDataModel> Parameters::DataModel() const { return context_.DataModel(); }

void Parameters::NotifyChanged(const DataElementPtr& element, const std::string& sender) {
  if (count_changes_) {
    ++changed_;
    data_changed_state_ = 1;
  }
  if (const auto model = DataModel()) model->IPrivateDataModel_DataChanged(element, context_);
  if (change_depth_ > 0) {
    // The pages hear of the whole series at its end.
    set_changed_pending_ = true;
    return;
  }
  context_.GUIMan().NotifyParameterChanged(element, sender);
}

void Parameters::ResetChanged() { changed_ = 0; }

void Parameters::BeginChange() { ++change_depth_; }

void Parameters::EndChange() {
  if (change_depth_ == 0) return;  // an unpaired end has nothing to close
  if (--change_depth_ > 0 || !set_changed_pending_) return;
  set_changed_pending_ = false;
  context_.GUIMan().NotifyParameterSetChanged("");
}

void Parameters::OnChildParameterChanged(const std::string&) {
  context_.GUIMan().NotifyParameterSetChanged("");
}

void Parameters::OnLockDataSet(const std::string&, const std::string&) {
  locked_by_frame_ = true;
  context_.GUIMan().SetLockState(true);
}

void Parameters::OnParameterChanged(const std::string&, const std::string&) {
  context_.GUIMan().NotifyParameterSetChanged("");
}

bool Parameters::OnUnlockDataSet(const std::string&, const std::string&) {
  locked_by_frame_ = false;
  context_.GUIMan().SetLockState(false);
  return true;
}

}  // namespace dtm::runtime
