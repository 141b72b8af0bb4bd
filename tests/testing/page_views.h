#pragma once
// Page views built by hand for the renderers' tests: a control state of a
// kind and name, and function 7's page holding the given controls.

#include <utility>
#include <vector>

#include "host/render/page_view.h"

namespace dtm::testing {

inline render::ControlState Make(const char* kind, const char* name) {
  render::ControlState state;
  state.kind = kind;
  state.name = name;
  return state;
}

inline render::PageView PageWith(std::vector<render::ControlState> controls) {
  render::PageView page;
  page.function_id = 7;
  page.class_name = "ctlOnlineParams";
  page.prog_id = "VD4625FDT.ctlOnlineParams";
  page.invoke_id = "page-1";
  page.form = Make("UserControl", "ctlOnlineParams");
  page.form.children = std::move(controls);
  return page;
}

}  // namespace dtm::testing
