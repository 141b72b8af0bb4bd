#include "host/live/frame_app.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <exception>
#include <system_error>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/dtm/function_man.h"
#include "host/cli/listing.h"
#include "host/cli/page_command.h"
#include "host/cli/session.h"
#include "host/frame/file_storage.h"
#include "host/frame/page_host.h"
#include "host/live/frame_words.h"
#include "host/render/html_render.h"
#include "platform/com/error.h"
#include "platform/com/property_bag.h"
#include "platform/controls/dtm_search.h"
#include "platform/controls/web_browser.h"
#include "platform/forms/controls.h"
#include "platform/forms/state.h"
#include "platform/runtime/context.h"
#include "platform/runtime/documents.h"
#include "platform/xml/dom.h"

namespace dtm::live {
namespace {

// Each transaction takes line time, as on a real line: a page that polls
// for a span of time (an output test's watch) sees it pass.
constexpr std::chrono::milliseconds kLineTime{100};
// The function document's states.
constexpr std::int32_t kStateOn = 4;
constexpr std::int32_t kStateHidden = 8;

struct Function {
  std::int32_t id = 0;
  std::string text;
  bool enabled = false;
};

// What a handler found wrong with the request: its status and message.
struct Refusal {
  int status;
  std::string message;
};

std::optional<long long> Whole(const std::string& text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

const std::string& Param(const ApiRequest& request, const std::string& name) {
  const auto it = request.params.find(name);
  if (it == request.params.end()) throw Refusal{400, "the request wants " + name + "="};
  return it->second;
}

std::optional<std::string> OptionalParam(const ApiRequest& request, const std::string& name) {
  const auto it = request.params.find(name);
  if (it == request.params.end()) return std::nullopt;
  return it->second;
}

long long NumberParam(const ApiRequest& request, const std::string& name) {
  const std::string& text = Param(request, name);
  const auto number = Whole(text);
  if (!number) throw Refusal{400, name + "=" + text + " is no number"};
  return *number;
}

ApiResponse Ok(const std::string& fields = "") {
  ApiResponse response;
  response.body = "{\"ok\":true" + (fields.empty() ? "" : "," + fields) + "}";
  return response;
}

// The file as the user is told of it: a name without folder lies in the
// folder the program was started from, which the browser does not show.
std::filesystem::path Shown(const std::filesystem::path& file) {
  std::error_code error;
  const std::filesystem::path whole = std::filesystem::absolute(file, error);
  return error ? file : whole.lexically_normal();
}

std::string JsonList(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + JsonString(items[i]);
  return out + "]";
}

}  // namespace

struct FrameApp::Impl {
  struct Tab {
    std::unique_ptr<frame::PageHost> host;
    std::size_t failures_told = 0;   // on the error stream
    std::size_t failures_listed = 0;  // in the notices
  };
  // An upload or download the frame started, until its end's notice.
  struct Pending {
    std::string id;      // its invoke id, also its process's
    std::string notice;  // "UploadFinished", "DownloadFinished"
    bool download = false;
  };
  // A line of the notices' list, in the order things happened.
  struct Entry {
    bool error = false;
    std::string text;
  };

  host::Session& session;
  LiveMessages& messages;
  std::optional<std::filesystem::path> profile;
  bool offline;
  std::optional<std::filesystem::path> file;
  std::int32_t language;
  std::vector<Tab> tabs;  // in opening order
  std::string active;     // the invoke id of the tab shown; "" for none
  std::uint32_t opened = 0;
  std::size_t transfers = 0;
  std::vector<Pending> pending;
  // The transfers a page started on the user's request, until they end.
  std::vector<runtime::CommMan::TransferId> page_transfers;
  std::string page_title;  // of the page that started them
  std::uint64_t version = 0;
  std::vector<Entry> entries;
  std::size_t reports_seen = 0;
  std::vector<std::string> past_failures;  // of the pages closed or refused
  int handling = 0;  // POSTs being handled (one waits in a box for the next)

  explicit Impl(const FrameAppSetup& setup)
      : session(*setup.session),
        messages(*setup.messages),
        profile(setup.device_profile),
        offline(setup.offline),
        file(setup.file),
        language(setup.session->Language()) {}

  runtime::DTMContext& Context() { return session.Context(); }
  std::int32_t Locale() const { return host::LocaleIdOfLanguage(language); }
  bool Online() { return Context().CommMan().Communication() != nullptr; }

  Tab* FindTab(const std::string& id) {
    for (Tab& tab : tabs) {
      if (tab.host->InvokeId() == id) return &tab;
    }
    return nullptr;
  }
  Tab& TabOf(const ApiRequest& request) {
    const std::string& id = Param(request, "tab");
    Tab* tab = FindTab(id);
    if (!tab) throw Refusal{404, "no tab " + id};
    return *tab;
  }
  Tab* Active() { return active.empty() ? nullptr : FindTab(active); }

  // The functions the DTM offers now, in the document's order; hidden
  // ones are left out, and their numbers go to `hidden`.
  std::vector<Function> Functions(std::vector<std::int32_t>* hidden = nullptr) {
    std::vector<Function> functions;
    xml::Document document;
    if (!document.LoadXml(session.Dtm().IDtm_GetFunctions("<FDT operationPhase=\"engineering\"/>"))) {
      return functions;
    }
    for (const xml::Node& node : document.SelectNodes("//Function")) {
      const auto id = node.Attribute("functionId");
      const auto number = id ? Whole(*id) : std::nullopt;
      if (!number) continue;
      const auto state = Whole(node.Attribute("state").value_or(""));
      if (state && *state == kStateHidden) {
        if (hidden) hidden->push_back(static_cast<std::int32_t>(*number));
        continue;
      }
      functions.push_back({static_cast<std::int32_t>(*number), node.Attribute("text").value_or(""),
                           state && *state == kStateOn});
    }
    return functions;
  }

  // A tab's title: its function's text, or its page's class.
  std::string TitleOf(const frame::PageHost& host, const std::vector<Function>& functions) {
    for (const Function& f : functions) {
      if (f.id == host.FunctionId() && !f.text.empty()) return f.text;
    }
    return host.ClassName();
  }
  std::string TitleOf(const frame::PageHost& host) { return TitleOf(host, Functions()); }

  void ListFailures(Tab& tab) {
    const std::vector<std::string> failures = tab.host->Failures();
    for (; tab.failures_listed < failures.size(); ++tab.failures_listed) {
      entries.push_back({true, failures[tab.failures_listed]});
    }
  }

  // The notices' list catches up: the reports, the pages' failures and the
  // ends of the transfers the frame started, each told in words. The FDT
  // notices themselves stay in the frame's log.
  void SyncNotices() {
    const auto& reports = messages.Reports();
    for (; reports_seen < reports.size(); ++reports_seen) entries.push_back({true, reports[reports_seen]});
    for (Tab& tab : tabs) ListFailures(tab);
    const auto& log = session.Container().Log();
    for (auto it = pending.begin(); it != pending.end();) {
      using Notice = frame::FrameContainerStandIn::Notice;
      const auto end = std::find_if(log.begin(), log.end(), [&](const Notice& n) {
        return n.name == it->notice && !n.arguments.empty() && n.arguments[0] == it->id;
      });
      if (end == log.end()) {
        ++it;
        continue;
      }
      const bool ended_well = end->arguments.size() > 1 && end->arguments[1] == "true";
      const std::vector<runtime::ProcessResult> results = Context().CommMan().GetResults(it->id);
      bool write_protected = it->download && Context().CommMan().WriteProtected();
      for (const runtime::ProcessResult& result : results) {
        if (!it->download || !result.Element) continue;
        const std::int32_t flags = result.Element->IPrivateDataElement_StatusFlags();
        if (flags::IsWriteProtected(flags)) write_protected = true;
      }
      const host::Listing listing = host::ListResults(Context(), results, language, it->download);
      const Outcome outcome = TransferOutcome(listing, it->download, ended_well, write_protected, language);
      entries.push_back({outcome.error, outcome.text});
      it = pending.erase(it);
    }
  }

  void Told(const std::string& line) { entries.push_back({false, line}); }

  bool PageTransferRuns() {
    const auto queued = Context().CommMan().QueuedTransfers();
    std::erase_if(page_transfers, [&](runtime::CommMan::TransferId id) {
      return std::none_of(queued.begin(), queued.end(), [&](const auto& t) { return t.id == id; });
    });
    return !page_transfers.empty();
  }

  bool Busy() { return !pending.empty() || PageTransferRuns(); }

  // What runs and how far it got, as JSON; "null" when nothing runs.
  std::string ProgressJson() {
    const auto queued = Context().CommMan().QueuedTransfers();
    std::string what;
    std::size_t done = 0, total = 0;
    if (!pending.empty()) {
      const Pending& first = pending.front();
      what = first.download ? "download" : "upload";
      for (const auto& t : queued) {
        if (t.process_id == first.id) {
          done = t.done;
          total = t.queued;
        }
      }
    } else if (PageTransferRuns()) {
      what = "page";
      for (const auto& t : queued) {
        if (std::find(page_transfers.begin(), page_transfers.end(), t.id) != page_transfers.end()) {
          done += t.done;
          total += t.queued;
        }
      }
    } else {
      return "null";
    }
    return "{\"what\":" + JsonString(what) + ",\"title\":" + JsonString(what == "page" ? page_title : "") +
           ",\"done\":" + std::to_string(done) + ",\"queued\":" + std::to_string(total) + "}";
  }

  // The pages' failures not yet told go to the error stream, as the other
  // commands tell them.
  void TellFailures() {
    for (Tab& tab : tabs) {
      const std::vector<std::string> failures = tab.host->Failures();
      for (; tab.failures_told < failures.size(); ++tab.failures_told) {
        session.Err() << "vd4625: " << failures[tab.failures_told] << '\n';
      }
    }
  }

  void KeepFailures(Tab& tab) {
    ListFailures(tab);
    const std::vector<std::string> failures = tab.host->Failures();
    for (std::size_t i = tab.failures_told; i < failures.size(); ++i) {
      session.Err() << "vd4625: " << failures[i] << '\n';
    }
    past_failures.insert(past_failures.end(), failures.begin(), failures.end());
  }

  std::string StateJson() {
    SyncNotices();
    std::vector<std::int32_t> hidden;
    const std::vector<Function> functions = Functions(&hidden);
    std::string out = "{\"version\":" + std::to_string(version) +
                      ",\"language\":" + (language == 7 ? "\"de\"" : "\"en\"") +
                      ",\"online\":" + (Online() ? "true" : "false") +
                      ",\"busy\":" + (Busy() ? "true" : "false") + ",\"functions\":[";
    for (std::size_t i = 0; i < functions.size(); ++i) {
      const Function& f = functions[i];
      out += std::string(i ? "," : "") + "{\"id\":" + std::to_string(f.id) +
             ",\"text\":" + JsonString(f.text) + ",\"enabled\":" + (f.enabled ? "true" : "false") + "}";
    }
    out += "],\"hidden\":[";
    for (std::size_t i = 0; i < hidden.size(); ++i) out += (i ? "," : "") + std::to_string(hidden[i]);
    out += "],\"tabs\":[";
    std::vector<std::string> failures = past_failures;
    for (std::size_t i = 0; i < tabs.size(); ++i) {
      const frame::PageHost& host = *tabs[i].host;
      const std::string title = TitleOf(host, functions);
      out += std::string(i ? "," : "") + "{\"id\":" + JsonString(host.InvokeId()) +
             ",\"function\":" + std::to_string(host.FunctionId()) + ",\"title\":" + JsonString(title) + "}";
      const std::vector<std::string> own = host.Failures();
      failures.insert(failures.end(), own.begin(), own.end());
    }
    out += "],\"active\":" + (active.empty() ? std::string("null") : JsonString(active));
    out += ",\"dialog\":";
    if (const LiveMessages::Dialog* dialog = messages.Open()) {
      out += "{\"id\":" + std::to_string(dialog->id) + ",\"text\":" + JsonString(dialog->text) +
             ",\"title\":" + JsonString(dialog->title) + ",\"style\":" + std::to_string(dialog->style) +
             ",\"buttons\":[";
      for (std::size_t i = 0; i < dialog->buttons.size(); ++i) {
        out += std::string(i ? "," : "") + "{\"id\":" + std::to_string(dialog->buttons[i].id) +
               ",\"label\":" + JsonString(dialog->buttons[i].label) + "}";
      }
      out += "],\"default\":" + std::to_string(dialog->default_button) + "}";
    } else {
      out += "null";
    }
    out += ",\"file\":" + (file ? JsonString(Shown(*file).string()) : std::string("null"));
    out += ",\"progress\":" + ProgressJson() + ",\"notices\":[";
    for (std::size_t i = 0; i < entries.size(); ++i) {
      out += std::string(i ? "," : "") + "{\"kind\":" + (entries[i].error ? "\"error\"" : "\"notice\"") +
             ",\"text\":" + JsonString(entries[i].text) + "}";
    }
    out += "],\"failures\":" + JsonList(failures) + "}";
    return out;
  }

  ApiResponse PageFragment(const ApiRequest& request) {
    ApiResponse response;
    response.content_type = "text/html; charset=utf-8";
    response.body = render::RenderLiveFragment(host::PageViewOf(*TabOf(request).host));
    return response;
  }

  // ---- the pages ----

  ApiResponse OpenFunction(const ApiRequest& request) {
    const std::string& text = Param(request, "function");
    const auto number = Whole(text);
    if (!number) throw Refusal{400, "function=" + text + " is no number"};
    const auto id = static_cast<std::int32_t>(*number);
    std::optional<Function> offered;
    for (const Function& f : Functions()) {
      if (f.id == *number) offered = f;
    }
    if (!offered) throw Refusal{404, "the DTM offers no function " + text};
    if (!offered->enabled) throw Refusal{409, "function " + text + " cannot be opened now"};

    runtime::FunctionCall call;
    call.SetFunctionID(id);
    const std::string document = call.BuildXML(Context());
    auto host = std::make_unique<frame::PageHost>(Context().GetServices().registry, opened);
    // The documentation page's dialogs are the headless browser's, which
    // write files and open no window: the frame lets it use them.
    if (clsFunctionMan::PageClassOf(id) == "ctlPrint") session.Dtm().IDtm_PrivateDialogEnabled(true);
    Tab* before = Active();
    if (before) before->host->ExitFocus();
    const frame::PageHost::Opened result =
        host->Open(id, document, session.Dtm().shared_from_this(), Locale());
    if (result != frame::PageHost::Opened::kUnknownFunction &&
        result != frame::PageHost::Opened::kNotBuilt) {
      ++opened;
    }
    if (result != frame::PageHost::Opened::kOpened) {
      if (before) before->host->EnterFocus();
      if (result == frame::PageHost::Opened::kRefused) {
        Tab refused{std::move(host), 0};
        KeepFailures(refused);
        throw Refusal{409, refused.host->ProgId() + " refused to open"};
      }
      throw Refusal{404, "the page of function " + text + " is not built"};
    }
    const std::shared_ptr<controls::ChromiumPrintEngine> engine = controls::ChromiumPrintEngine::Find();
    for (const forms::ControlPtr& control : host->Form().Controls()) {
      if (auto* browser = dynamic_cast<controls::WebBrowser*>(control.get())) browser->SetEngine(engine);
    }
    active = host->InvokeId();
    tabs.push_back({std::move(host), 0});
    return Ok("\"tab\":" + JsonString(active));
  }

  ApiResponse CloseTab(const ApiRequest& request) {
    Tab& tab = TabOf(request);
    const std::string id = tab.host->InvokeId();
    if (!tab.host->Release()) throw Refusal{409, tab.host->ProgId() + " refused to be released"};
    KeepFailures(tab);
    const auto at = std::find_if(tabs.begin(), tabs.end(),
                                 [&](const Tab& t) { return &t == &tab; });
    const std::size_t index = static_cast<std::size_t>(at - tabs.begin());
    tabs.erase(at);
    if (active == id) {
      // The frame shows the tab next to it, as tab strips do.
      active.clear();
      if (!tabs.empty()) {
        Tab& shown = tabs[std::min(index, tabs.size() - 1)];
        active = shown.host->InvokeId();
        shown.host->EnterFocus();
      }
    }
    return Ok();
  }

  ApiResponse SelectTab(const ApiRequest& request) {
    Tab& tab = TabOf(request);
    if (tab.host->InvokeId() == active) return Ok();
    if (Tab* before = Active()) before->host->ExitFocus();
    active = tab.host->InvokeId();
    tab.host->EnterFocus();
    return Ok();
  }

  ApiResponse Event(const ApiRequest& request) {
    frame::PageHost& host = *TabOf(request).host;
    const std::string& name = Param(request, "control");
    forms::Control* control = host.Find(name);
    if (!control) throw Refusal{404, "no control " + name + " on " + host.ClassName()};
    const std::string& kind = Param(request, "kind");
    if (kind == "click") {
      host.Click(*control);
    } else if (kind == "set") {
      host.Type(*control, Param(request, "value"));
    } else if (kind == "key") {
      const std::string& key = Param(request, "key");
      std::int16_t code = 0;
      std::optional<std::int16_t> ascii;
      if (!host::ParseKeyName(key, code, ascii)) throw Refusal{400, "unknown key " + key};
      host.PressKey(*control, code, ascii);
    } else if (kind == "focus") {
      host.Focus(*control);
    } else if (kind == "tab") {
      const long long index = NumberParam(request, "index");
      if (index < 1 || index > 99) throw Refusal{400, "index= counts tabs from 1"};
      host.SelectTab(*control, static_cast<std::size_t>(index));
    } else if (kind == "choose") {
      return Choose(host, *control, NumberParam(request, "index"));
    } else {
      throw Refusal{400, "unknown kind " + kind};
    }
    return Ok();
  }

  // A hit of a parameter search (from 1): its field becomes the
  // navigation's target, and the page of its function opens as a new tab,
  // which selects the field as it is shown.
  ApiResponse Choose(frame::PageHost& host, forms::Control& control, long long index) {
    auto* search = dynamic_cast<controls::ctlDTMSearch*>(&control);
    if (!search) throw Refusal{400, "no search control " + control.Name() + " on " + host.ClassName()};
    const std::size_t hits = search->GetState().hits.size();
    if (index < 1 || static_cast<std::size_t>(index) > hits) {
      throw Refusal{404, "the search has no hit " + std::to_string(index)};
    }
    const auto at = static_cast<std::size_t>(index - 1);
    const std::int32_t function = search->FunctionIdOf(at);
    if (function == 0) throw Refusal{404, "no function shows that hit"};
    search->ShowHit(at);
    ApiRequest open;
    open.method = "POST";
    open.path = "/api/open";
    open.params["function"] = std::to_string(function);
    return OpenFunction(open);
  }

  // ---- the frame's actions ----

  bool Connect() {
    session.Channel().SetTransactionLatency(kLineTime);
    if (!session.UseDevice(profile)) return false;
    session.Loop().RunUntilIdle();
    return true;
  }

  void Save(const std::filesystem::path& path) {
    com::MemoryPropertyBag bag;
    session.Dtm().Class_WriteProperties(bag);
    frame::FileStorage(path).Save(bag);
    session.Err() << "vd4625 frame: data set saved to " << path.string() << '\n';
  }

  // The DTM asks for its changed data set to be kept (on its release).
  // True when the data set was saved.
  bool SaveRequested() {
    if (!file) {
      session.Err() << "vd4625 frame: the DTM asked to save its data set, but no file was "
                       "named (--load, or save with a file)\n";
      return false;
    }
    try {
      Save(*file);
      return true;
    } catch (const com::ComError& error) {
      session.Err() << "vd4625 frame: the data set was not saved: " << error.Description() << '\n';
      return false;
    }
  }

  // Each of the frame's actions ends with one line in the user's language:
  // a success goes to the notices, a failure is the refusal's message.
  ApiResponse FrameAction(const ApiRequest& request) {
    const std::string& action = Param(request, "action");
    if (action == "connect") {
      if (Online()) throw Refusal{409, EventLine(LineEvent::kAlreadyConnected, language)};
      bool connected = false;
      try {
        connected = Connect();
      } catch (const com::ComError& error) {
        throw Refusal{409, EventLine(LineEvent::kNotConnected, language, error.Description())};
      }
      if (!connected) throw Refusal{409, EventLine(LineEvent::kNotConnected, language)};
      Told(EventLine(LineEvent::kConnected, language));
      return Ok();
    }
    if (action == "disconnect") {
      if (!Online()) throw Refusal{409, EventLine(LineEvent::kNotOnline, language)};
      if (!session.Dtm().IDtm_PrepareToReleaseCommunication()) {
        throw Refusal{409, EventLine(LineEvent::kNotDisconnected, language)};
      }
      // As the shell's release: the disconnect's end reaches the DTM
      // before the communication is taken from it.
      session.Loop().RunUntil([&] { return !Context().CommMan().ConnectionOpen(); });
      session.Loop().RunUntilIdle();
      if (!session.Dtm().IDtm_ReleaseCommunication()) {
        throw Refusal{409, EventLine(LineEvent::kNotDisconnected, language)};
      }
      Told(EventLine(LineEvent::kDisconnected, language));
      return Ok();
    }
    if (action == "upload" || action == "download") {
      const bool download = action == "download";
      const std::string id = action + "-" + std::to_string(transfers + 1);
      const bool started = download ? session.Dtm().IDtmOnlineParameter_DownloadRequest(id, "")
                                    : session.Dtm().IDtmOnlineParameter_UploadRequest(id, "");
      if (!started) throw Refusal{409, TransferNotStarted(download, language)};
      ++transfers;
      pending.push_back({id, download ? "DownloadFinished" : "UploadFinished", download});
      return Ok("\"invoke\":" + JsonString(id));
    }
    if (action == "save") {
      const auto named = OptionalParam(request, "file");
      if ((!named || named->empty()) && !file) throw Refusal{400, NotSavedLine("", language)};
      const std::filesystem::path path = named && !named->empty() ? std::filesystem::path(*named) : *file;
      const bool over_loaded = file && Shown(path) == Shown(*file);
      try {
        Save(path);
      } catch (const com::ComError& error) {
        throw Refusal{409, NotSavedLine(error.Description(), language)};
      }
      file = path;
      Told(SavedLine(Shown(path), over_loaded, language));
      return Ok("\"file\":" + JsonString(path.string()));
    }
    if (action == "load") {
      const std::string& name = Param(request, "file");
      if (name.empty()) throw Refusal{400, NotLoadedLine("no file was named", language)};
      if (!tabs.empty()) throw Refusal{409, NotLoadedLine("", language)};
      try {
        com::MemoryPropertyBag bag;
        frame::FileStorage(name).Load(bag);
        // The DTM judges the set before it takes it: a refused one changes nothing.
        session.Dtm().Class_ReadProperties(bag);
      } catch (const com::ComError& error) {
        throw Refusal{409, NotLoadedLine(error.Description(), language)};
      }
      session.Loop().RunUntilIdle();
      file = name;
      Told(LoadedLine(Shown(name), language));
      return Ok("\"file\":" + JsonString(name));
    }
    if (action == "language") {
      const std::string& value = Param(request, "value");
      if (value != "de" && value != "en") throw Refusal{400, "value= is de or en"};
      const std::int32_t id = value == "de" ? 7 : 9;
      if (!session.SetLanguage(id)) {
        throw Refusal{409, EventLine(LineEvent::kLanguageRefused, language)};
      }
      language = id;
      for (Tab& tab : tabs) tab.host->SetLocale(Locale());
      Told(EventLine(LineEvent::kLanguage, language));
      return Ok();
    }
    throw Refusal{400, "unknown action " + action};
  }

  ApiResponse AnswerBox(const ApiRequest& request) {
    const long long dialog = NumberParam(request, "dialog");
    const long long button = NumberParam(request, "button");
    const LiveMessages::Dialog* open = messages.Open();
    if (!open || dialog < 0 || static_cast<std::uint64_t>(dialog) != open->id) {
      throw Refusal{409, "no message box " + std::to_string(dialog) + " waits for its answer"};
    }
    if (!messages.Answer(open->id, static_cast<std::int32_t>(button))) {
      throw Refusal{400, "the message box has no button " + std::to_string(button)};
    }
    return Ok();
  }

  ApiResponse Post(const ApiRequest& request) {
    const std::string& path = request.path;
    using Handler = ApiResponse (Impl::*)(const ApiRequest&);
    static const std::pair<const char*, Handler> kPosts[] = {
        {"/api/open", &Impl::OpenFunction}, {"/api/close", &Impl::CloseTab},
        {"/api/select", &Impl::SelectTab},  {"/api/event", &Impl::Event},
        {"/api/frame", &Impl::FrameAction}, {"/api/answer", &Impl::AnswerBox}};
    Handler handler = nullptr;
    for (const auto& [name, h] : kPosts) {
      if (path == name) handler = h;
    }
    if (!handler) throw Refusal{404, "no request " + path};
    if (handler == &Impl::AnswerBox) return AnswerBox(request);
    if (messages.Open()) throw Refusal{409, "a message box waits for its answer"};
    // A request arrives inside another only while that one waits in a box.
    if (handling > 0) throw Refusal{409, "the frame is busy with another request"};
    ++handling;
    struct Done {
      int& count;
      ~Done() { --count; }
    } done{handling};
    // A transfer a page starts on the user's request shows as the frame's
    // progress until it ends; the passes a page repeats on its own do not.
    const bool on_page = handler == &Impl::OpenFunction || handler == &Impl::Event;
    std::vector<runtime::CommMan::TransferId> before;
    if (on_page) {
      for (const auto& t : Context().CommMan().QueuedTransfers()) before.push_back(t.id);
    }
    ApiResponse response = (this->*handler)(request);
    if (on_page) {
      for (const auto& t : Context().CommMan().QueuedTransfers()) {
        if (std::find(before.begin(), before.end(), t.id) != before.end()) continue;
        page_transfers.push_back(t.id);
        // An event names its tab; an opened page is the one shown now.
        const auto named = request.params.find("tab");
        const Tab* tab = named != request.params.end() ? FindTab(named->second) : Active();
        if (tab) page_title = TitleOf(*tab->host);
      }
    }
    ++version;
    TellFailures();
    return response;
  }

  ApiResponse Handle(const ApiRequest& request) {
    try {
      if (request.method == "GET") {
        if (request.path == "/api/state") return StateResponse();
        if (request.path == "/api/page") return PageFragment(request);
        if (request.path == "/api/style") {
          ApiResponse response;
          response.content_type = "text/css; charset=utf-8";
          response.body = render::PageStyle();
          return response;
        }
        throw Refusal{404, "no request " + request.path};
      }
      if (request.method != "POST") throw Refusal{400, request.method + " is not asked for here"};
      return Post(request);
    } catch (const Refusal& refusal) {
      return ErrorResponse(refusal.status, refusal.message);
    } catch (const com::ComError& error) {
      return ErrorResponse(409, error.Description());
    } catch (const std::exception& error) {
      return ErrorResponse(500, error.what());
    }
  }

  ApiResponse StateResponse() {
    ApiResponse response;
    response.body = StateJson();
    return response;
  }
};

FrameApp::FrameApp(const FrameAppSetup& setup) : impl_(std::make_unique<Impl>(setup)) {
  Impl& impl = *impl_;
  // The container answers the DTM whether the set was saved.
  impl.session.Container().SetSaveCallback([&impl](const std::string&) {
    impl.session.Container().SetSaveAnswer(impl.SaveRequested());
  });
}

FrameApp::~FrameApp() { impl_->session.Container().SetSaveCallback({}); }

bool FrameApp::Start() {
  if (impl_->offline) return true;
  bool connected = false;
  try {
    connected = impl_->Connect();
  } catch (const com::ComError& error) {
    // A profile that cannot be read: the frame runs on, and may connect later.
    impl_->session.Err() << "vd4625 frame: " << error.Description() << '\n';
  }
  ++impl_->version;
  return connected;
}

ApiResponse FrameApp::Handle(const ApiRequest& request) { return impl_->Handle(request); }

std::string FrameApp::View() {
  std::string view = impl_->StateJson();
  if (Impl::Tab* shown = impl_->Active()) {
    view += '\n';
    view += render::RenderLiveFragment(host::PageViewOf(*shown->host));
  }
  return view;
}

bool FrameApp::Shutdown() {
  Impl& impl = *impl_;
  impl.messages.CloseAll();
  bool in_order = true;
  // Every page first, in tab order; one that refuses stays, and the DTM's
  // own release will tell.
  for (auto it = impl.tabs.begin(); it != impl.tabs.end();) {
    if (it->host->Release()) {
      impl.KeepFailures(*it);
      it = impl.tabs.erase(it);
    } else {
      impl.session.Err() << "vd4625 frame: " << it->host->ProgId() << " refused to be released\n";
      in_order = false;
      ++it;
    }
  }
  impl.active = impl.tabs.empty() ? "" : impl.tabs.front().host->InvokeId();
  ++impl.version;
  return impl.session.Release() && in_order;
}

}  // namespace dtm::live
