#pragma once
// The live frame's application on the DTM's thread: the function list, the
// frame's own actions, and the open pages, one tab each. Every browser
// request arrives here as an ApiRequest (see web/app.html for the client).
//
// GET  /api/state                     the JSON state (below)
// GET  /api/page?tab=ID               the tab's page as an HTML fragment (text/html)
// GET  /api/style                     the pages' CSS (text/css), for the fragments
// POST /api/open     function=N       opens the page of function N as a new tab
// POST /api/close    tab=ID           releases the page and closes its tab
// POST /api/select   tab=ID           the frame shows another tab (focus moves)
// POST /api/event    tab=ID control=NAME kind=click|set|key|focus|tab
//                    [value=TEXT] [key=Enter|Escape|Tab|F1..|c] [index=N]
// POST /api/frame    action=connect|disconnect|upload|download|save|load|language
//                    [file=PATH] [value=de|en]
// POST /api/answer   dialog=ID button=N
//
// The state:
// {"version":N, "language":"en", "online":true,
//  "busy":false,                    // an upload, download or requested page transfer runs
//  "functions":[{"id":7,"text":"...","enabled":true}], "hidden":[11],
//  "tabs":[{"id":"<invoke id>","function":7,"title":"..."}], "active":"<id>"|null,
//  "dialog":null|{"id":N,"text":"...","title":"...","style":N,
//                 "buttons":[{"id":6,"label":"Yes"}],"default":6},
//  "file":null|"/whole/path.xml",   // the data set's own file, an empty save's
//  "progress":null|{"what":"upload"|"download"|"page","title":"<page's>",
//                   "done":N,"queued":N},   // transactions
//  "notices":[{"kind":"notice"|"error","text":"Upload finished: ..."}, ...],  // in order
//  "failures":["cmdSave Click: 75 ...", ...]}     // of the pages' handlers
//
// Answers: 200 with {"ok":true,...}; 400 for a malformed request; 404 for an
// unknown path, tab, control or function; 409 while a dialog waits for its
// answer (only GETs and /api/answer go through then) or when the DTM
// refuses; nothing changes on a refused request. A frame action's refusal
// carries its line, in the user's language, as the error.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "host/live/api.h"
#include "host/live/live_messages.h"

namespace dtm::host {
class Session;
}

namespace dtm::live {

struct FrameAppSetup {
  host::Session* session = nullptr;  // started; required
  LiveMessages* messages = nullptr;  // the session's message sink; required
  std::optional<std::filesystem::path> device_profile;
  bool offline = false;                       // no device: a loaded data set only
  std::optional<std::filesystem::path> file;  // the data set's file (--load), for save
};

class FrameApp {
 public:
  explicit FrameApp(const FrameAppSetup& setup);
  ~FrameApp();
  FrameApp(const FrameApp&) = delete;
  FrameApp& operator=(const FrameApp&) = delete;

  // Puts the device on the line (unless offline). False when the DTM refuses.
  bool Start();
  ApiResponse Handle(const ApiRequest& request);
  // What the browser shows now: the state and the shown tab's page, as the
  // reads answer them. Reading them changes neither.
  std::string View();
  // The stop, in the shell's order: every page is released (its tab
  // closes), then communication is shut down and the DTM released; a save
  // the DTM asks for on the way is done. False when a step was refused.
  bool Shutdown();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace dtm::live
