#pragma once
// The parameter search page: the search control of the search library,
// given the runtime context, the navigation object and the DTM functions
// whose pages it searches, beside a parameter site of the page's own. It
// does not talk to the device, writes nothing into the protocol and shows
// no control of its own through navigation.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "component/ui/framework/page_base.h"
#include "platform/controls/collection.h"
#include "platform/controls/dtm_search.h"
#include "platform/forms/controls.h"

namespace dtm {

class ctlSearch : public PageBase {
 public:
  // The page as designed (twips).
  static constexpr std::int32_t kDesignWidth = 9600;
  static constexpr std::int32_t kDesignHeight = 6600;
  static constexpr std::int32_t kDesignSearchWidth = 9360;
  static constexpr std::int32_t kDesignSearchHeight = 5700;

  explicit ctlSearch(const runtime::Services* services = nullptr);

  // The six functions the search offers, each keyed by its name, with the
  // dictionary place of its display text.
  static std::shared_ptr<controls::Collection> BuildFunctionList();

  controls::ctlDTMSearch& Search() const { return *search_; }
  forms::Image& imgOnline() const { return *img_online_; }
  forms::Image& imgSaved() const { return *img_saved_; }

  // The page has no controls of its own to show.
  bool IPrivateNavigation_ShowControl(const std::string& path, bool show,
                                      const std::string& search_path) override;

 protected:
  void InitParamSite() override;
  void ApplyLanguage(std::int32_t language_id) override;
  bool ReleaseParamSite() override;
  void SetLockState(bool enabled) override;
  bool WritesItsLifeToTheProtocol() const override { return false; }

 private:
  // Makes the page of each function of the list and hands it to the search.
  void AttachSearchedPages(runtime::DTMContext& context);
  void DropSearchedPages();

  std::shared_ptr<controls::ctlDTMSearch> search_;
  std::vector<com::ObjectPtr> searched_pages_;
  std::shared_ptr<forms::Image> img_online_;
  std::shared_ptr<forms::Image> img_saved_;
};

}  // namespace dtm
