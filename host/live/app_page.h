#pragma once
// The web application's one page (host/live/web/app.html), built into the
// program so the frame needs no files of its own at run time.

#include <string_view>

namespace dtm::live {

std::string_view AppPage();

}  // namespace dtm::live
