#pragma once
// The device-action pages and the documentation page: calibration and
// initialisation, simulation of outputs, cold start, print.
// The library serves them by class name.

#include <string>

#include "component/ui/framework/page_base.h"

namespace dtm {

// The maker of the page of this folder named `class_name`; nullptr for a
// class that is none of them (or not built).
PageMake ActionPageMaker(const std::string& class_name);

}  // namespace dtm
