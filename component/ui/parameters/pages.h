#pragma once
// The parameter pages: online and offline parameters, identification,
// start-up settings, the offline container and the search page.
// The library serves them by class name.

#include <string>

#include "component/ui/framework/page_base.h"

namespace dtm {

// The maker of the page of this folder named `class_name`; nullptr for a
// class that is none of them (or not built).
PageMake ParameterPageMaker(const std::string& class_name);

}  // namespace dtm
