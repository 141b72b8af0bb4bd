#include "component/ui/actions/pages.h"

#include "component/ui/actions/ctl_reset.h"
#include "component/ui/actions/ctl_simulation.h"

#include <map>
#include <memory>

#include "component/ui/actions/ctl_calib.h"
#include "component/ui/actions/ctl_print.h"

namespace dtm {

PageMake ActionPageMaker(const std::string& class_name) {
  // One line per page: its class name and how it is made.
  static const std::map<std::string, PageMake> makers = {
      {"ctlReset", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlReset>(s); }},
      {"ctlSimulation", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlSimulation>(s); }},
      {"ctlCalib", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlCalib>(s); }},
      {"ctlPrint", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlPrint>(&s); }},
  };
  const auto found = makers.find(class_name);
  return found == makers.end() ? nullptr : found->second;
}

}  // namespace dtm
