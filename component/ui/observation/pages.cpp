#include "component/ui/observation/pages.h"

#include <map>
#include <memory>

#include "component/ui/observation/ctl_measure.h"
#include "component/ui/observation/ctl_status.h"
#include "component/ui/observation/ctl_trend.h"

namespace dtm {

PageMake ObservationPageMaker(const std::string& class_name) {
  // One line per page: its class name and how it is made.
  static const std::map<std::string, PageMake> makers = {
      {"ctlMeasure", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlMeasure>(s); }},
      {"ctlTrend", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlTrend>(s); }},
      {"ctlStatus", [](const runtime::Services& s) -> com::ObjectPtr { return std::make_shared<ctlStatus>(s); }},
  };
  const auto found = makers.find(class_name);
  return found == makers.end() ? nullptr : found->second;
}

}  // namespace dtm
