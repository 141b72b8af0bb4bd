#pragma once
// The GUI manager: the open pages of one DTM instance by invoke id, the
// current language and lock state, and the notices that reach every page.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "component/interfaces/private.h"

namespace dtm::runtime {

class DTMContext;

class GUIMan {
 public:
  explicit GUIMan(DTMContext& context) : context_(context) {}

  // The language id is held as a 16-bit value, as the frame's language ids
  // are; a wider id is kept truncated. Setting it switches the data model
  // (IPrivateDataModel_SetLanguage) and then every open page.
  std::int32_t Language() const { return language_; }
  void SetLanguage(std::int32_t language_id);

  // `top_level` is false for pages hosted inside another page.
  void RegisterGUI(const std::string& invoke_id, std::shared_ptr<IPrivateGUI> page,
                   bool top_level);
  void UnregisterGUI(const std::string& invoke_id);
  // The page registered under the id; nullptr for "" or an unknown id.
  std::shared_ptr<IPrivateGUI> GetGUIObject(const std::string& invoke_id) const;
  bool HasGUIs() const { return !pages_.empty(); }
  // Asks every top-level page to close (IPrivateGUI_CloseGUI); false when
  // one refuses. Pages unregister themselves while closing.
  bool CloseAllGUIs();
  void ValidateGUIs();  // every page's IPrivateGUI_ValidateParameters

  bool LockState() const { return locked_; }
  void SetLockState(bool locked);  // tells every page when it changes

  void GUIGotFocus(const std::string& invoke_id);
  void GUILostFocus(const std::string& invoke_id);
  const std::string& FocusedGUI() const { return focused_; }

  void NotifyParameterChanged(const DataElementPtr& element, const std::string& sender);
  void NotifyParameterSetChanged(const std::string& sender);
  // Makes every page reread its texts in the current language; no
  // language is set. RefreshingTexts is true while the pages hear it, so a
  // page that records language changes can tell the two apart.
  void NotifyTextsChanged();
  bool RefreshingTexts() const { return refreshing_texts_; }

 private:
  struct Entry {
    std::string invoke_id;
    std::shared_ptr<IPrivateGUI> page;
    bool top_level;
  };
  std::vector<Entry> Snapshot() const { return pages_; }

  DTMContext& context_;
  std::vector<Entry> pages_;
  std::int32_t language_ = 0;
  bool locked_ = false;
  std::string focused_;
  bool refreshing_texts_ = false;
};

}  // namespace dtm::runtime
