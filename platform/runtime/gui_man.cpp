#include "platform/runtime/gui_man.h"

#include <algorithm>

#include "platform/runtime/context.h"

namespace dtm::runtime {

namespace {

// Pages may unregister (themselves or others) inside any callback, so every
// walk goes over a snapshot and skips the pages that left meanwhile.
template <class Entries, class Entry>
bool StillRegistered(const Entries& pages, const Entry& entry) {
  return std::any_of(pages.begin(), pages.end(), [&](const Entry& current) {
    return current.invoke_id == entry.invoke_id && current.page == entry.page;
  });
}

}  // namespace

void GUIMan::SetLanguage(std::int32_t language_id) {
  language_ = static_cast<std::int16_t>(language_id);
  if (const auto& model = context_.DataModel()) {
    model->IPrivateDataModel_SetLanguage(context_, language_);
  }
  for (const Entry& entry : Snapshot()) {
    if (StillRegistered(pages_, entry)) entry.page->IPrivateGUI_SetLanguage(language_);
  }
}

void GUIMan::RegisterGUI(const std::string& invoke_id, std::shared_ptr<IPrivateGUI> page,
                         bool top_level) {
  const auto it = std::find_if(pages_.begin(), pages_.end(),
                               [&](const Entry& entry) { return entry.invoke_id == invoke_id; });
  if (it != pages_.end()) {
    it->page = std::move(page);
    it->top_level = top_level;
    return;
  }
  pages_.push_back({invoke_id, std::move(page), top_level});
}

void GUIMan::UnregisterGUI(const std::string& invoke_id) {
  std::erase_if(pages_, [&](const Entry& entry) { return entry.invoke_id == invoke_id; });
  if (focused_ == invoke_id) focused_.clear();
}

std::shared_ptr<IPrivateGUI> GUIMan::GetGUIObject(const std::string& invoke_id) const {
  if (invoke_id.empty()) return nullptr;
  for (const Entry& entry : pages_) {
    if (entry.invoke_id == invoke_id) return entry.page;
  }
  return nullptr;
}

bool GUIMan::CloseAllGUIs() {
  for (const Entry& entry : Snapshot()) {
    if (!entry.top_level || !StillRegistered(pages_, entry)) continue;
    if (!entry.page->IPrivateGUI_CloseGUI()) return false;
    // A page that agreed to close is gone, whether or not it said so.
    std::erase_if(pages_, [&](const Entry& current) {
      return current.invoke_id == entry.invoke_id && current.page == entry.page;
    });
    if (focused_ == entry.invoke_id) focused_.clear();
  }
  return true;
}

void GUIMan::ValidateGUIs() {
  for (const Entry& entry : Snapshot()) {
    if (StillRegistered(pages_, entry)) entry.page->IPrivateGUI_ValidateParameters();
  }
}

void GUIMan::SetLockState(bool locked) {
  if (locked == locked_) return;
  locked_ = locked;
  for (const Entry& entry : Snapshot()) {
    if (StillRegistered(pages_, entry)) entry.page->IPrivateGUI_LockStateChanged(locked);
  }
}

void GUIMan::GUIGotFocus(const std::string& invoke_id) { focused_ = invoke_id; }

void GUIMan::GUILostFocus(const std::string& invoke_id) {
  if (focused_ == invoke_id) focused_.clear();
}

void GUIMan::NotifyParameterChanged(const DataElementPtr& element, const std::string& sender) {
  // The sending page made the change and already shows it.
  for (const Entry& entry : Snapshot()) {
    if (!sender.empty() && entry.invoke_id == sender) continue;
    if (StillRegistered(pages_, entry)) entry.page->IPrivateGUI_ParameterChanged(element);
  }
}

void GUIMan::NotifyParameterSetChanged(const std::string& sender) {
  for (const Entry& entry : Snapshot()) {
    if (!sender.empty() && entry.invoke_id == sender) continue;
    if (StillRegistered(pages_, entry)) entry.page->IPrivateGUI_ParameterSetChanged();
  }
}

void GUIMan::NotifyTextsChanged() {
  // Pages take their texts when their language is set; setting the current
  // one again makes them reread the changed texts.
  refreshing_texts_ = true;
  try {
    for (const Entry& entry : Snapshot()) {
      if (StillRegistered(pages_, entry)) entry.page->IPrivateGUI_SetLanguage(language_);
    }
  } catch (...) {
    refreshing_texts_ = false;
    throw;
  }
  refreshing_texts_ = false;
}

}  // namespace dtm::runtime
