#pragma once
// The interface through which the search-control library drives a page:
// the page hands its controls to the navigation object and shows the
// control of a path. Pages implement it; the navigation object calls it on
// a page hosted inside another page, and the search control on the pages
// it searches.

#include <memory>
#include <string>

#include "platform/com/variant.h"

namespace dtm::controls {

class Collection;
class Navigation;

class IPrivateNavigation {
 public:
  virtual ~IPrivateNavigation() = default;

  // `unused` is the library's and means nothing to the page.
  virtual void IPrivateNavigation_InitControl(Navigation& navigation,
                                              const com::Variant& unused) = 0;
  // The page's parameter fields that match `search_text` (Navigation::
  // FindParameters); `name_text` is the page path the caller searches under.
  virtual std::shared_ptr<Collection> IPrivateNavigation_FindParameters(
      Navigation& navigation, const std::string& search_text, const std::string& name_text) = 0;
  // The page's dictionary keys (Navigation::GetDictKeys) under the page path `key`.
  virtual std::shared_ptr<Collection> IPrivateNavigation_GetDictKeys(Navigation& navigation,
                                                                     const std::string& key) = 0;
  // Shows the control of `path` (the control path grammar of
  // control_path.h), selecting it when `show`; true when it was shown.
  virtual bool IPrivateNavigation_ShowControl(const std::string& path, bool show,
                                              const std::string& search_path) = 0;
};

}  // namespace dtm::controls
