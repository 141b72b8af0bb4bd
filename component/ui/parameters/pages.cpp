#include "component/ui/parameters/pages.h"

#include <map>
#include <memory>

#include "component/ui/parameters/ctl_ident.h"
#include "component/ui/parameters/ctl_online_params.h"
#include "component/ui/parameters/ctl_offline_params.h"
#include "component/ui/parameters/ctl_offline.h"
#include "component/ui/parameters/ctl_search.h"
#include "component/ui/parameters/ctl_start_up.h"

namespace dtm {

PageMake ParameterPageMaker(const std::string& class_name) {
  // One line per page: its class name and how it is made.
  static const std::map<std::string, PageMake> makers = {
      {"ctlOnlineParams", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlOnlineParams>(s); }},
      {"ctlIdent", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlIdent>(&s); }},
      {"ctlOfflineParams", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlOfflineParams>(&s); }},
      {"ctlStartUp", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlStartUp>(&s); }},
      {"ctlOffline", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlOffline>(&s); }},
      {"ctlSearch", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlSearch>(&s); }},
  };
  const auto found = makers.find(class_name);
  return found == makers.end() ? nullptr : found->second;
}

}  // namespace dtm
