#pragma once
// vd4625 page: opens the page of a function as the frame does, online
// against the simulated device or on a loaded data set, lets its first
// action finish, performs the user's and the frame's steps in order and
// prints the page as text (and, when asked, as a static HTML file).

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "host/render/page_view.h"

namespace dtm::frame {
class PageHost;
}

namespace dtm::host {

class Session;

// One step, as given after --do:
//   click NAME         a click on the control ("cmdRead", "ctlParameter(3)")
//   set TARGET=VALUE   typing into a control, or into the field of a parameter path
//   key NAME KEY       a key pressed on the control: Enter, Escape, Tab, Back,
//                      Space, Up, Down, Left, Right, Delete, F1..F12 or one character
//   tab N              selecting tab N (from 1) of the page's tab strip
//   wait TIME          TIME of device time passing: 500ms, 5s, 3min, 1h
//   upload, download   the frame's request to upload or download all parameters
//   language de|en     the frame's language change
struct PageStep {
  enum class Kind { kClick, kSet, kKey, kTab, kWait, kUpload, kDownload, kLanguage };
  Kind kind = Kind::kClick;
  std::string text;    // as given, for messages
  std::string target;  // the control or path
  std::string value;   // set: the text; language: "de" or "en"
  std::int16_t key_code = 0;
  std::optional<std::int16_t> key_ascii;
  std::size_t tab = 0;
  std::chrono::milliseconds wait{0};
};

// The open page of `host` as the renderers show it: its identity and its
// controls (no boxes, no failures).
render::PageView PageViewOf(frame::PageHost& host);

// The step, or what is wrong with it.
std::variant<PageStep, std::string> ParsePageStep(const std::string& text);

// A step or a name as a message quotes it: whole up to 40 characters, else
// its first 40 and "...", so a runaway argument cannot flood the terminal.
std::string StepTextInMessage(const std::string& text);

// A key as a step names it (see above): its key code and, for a key with a
// character, that character. False for a name no key has.
bool ParseKeyName(const std::string& name, std::int16_t& key_code,
                  std::optional<std::int16_t>& key_ascii);

struct PageOptions {
  std::int32_t function = 0;
  std::optional<std::filesystem::path> device_profile;  // default: the installed one
  bool offline = false;  // on the loaded data set, with no device
  bool trace = false;
  std::vector<PageStep> steps;
  std::optional<std::filesystem::path> html;
};

// Needs a started session. The exit status: 2 for a function without a
// page of its own yet and for a step that cannot be done on the page (the
// page is then not shown); 1 when the page refused to open or to be
// released, the DTM refused a frame request or one of the page's event
// handlers failed; else 0.
int RunPage(Session& session, const PageOptions& options, std::ostream& out);

}  // namespace dtm::host
