#include "host/live/frame_app.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <exception>
#include <vector>

#include "component/dtm/function_man.h"
#include "host/cli/page_command.h"
#include "host/cli/session.h"
#include "host/frame/file_storage.h"
#include "host/frame/page_host.h"
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

std::string JsonList(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + JsonString(items[i]);
  return out + "]";
}

}  // namespace

struct FrameApp::Impl {
  struct Tab {
    std::unique_ptr<frame::PageHost> host;
    std::size_t failures_told = 0;
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
  std::vector<std::pair<std::string, std::string>> pending;  // invoke id, its end's notice
  std::uint64_t version = 0;
  std::vector<std::string> notices;
  std::size_t log_seen = 0, reports_seen = 0;
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
  // ones are left out.
  std::vector<Function> Functions() {
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
      if (state && *state == kStateHidden) continue;
      functions.push_back({static_cast<std::int32_t>(*number), node.Attribute("text").value_or(""),
                           state && *state == kStateOn});
    }
    return functions;
  }

  void SyncNotices() {
    const auto& log = session.Container().Log();
    for (; log_seen < log.size(); ++log_seen) notices.push_back(log[log_seen].ToString());
    const auto& reports = messages.Reports();
    for (; reports_seen < reports.size(); ++reports_seen) notices.push_back(reports[reports_seen]);
  }

  bool Busy() {
    const auto& log = session.Container().Log();
    return std::any_of(pending.begin(), pending.end(), [&](const auto& request) {
      return std::none_of(log.begin(), log.end(), [&](const frame::FrameContainerStandIn::Notice& n) {
        return n.name == request.second && !n.arguments.empty() && n.arguments[0] == request.first;
      });
    });
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
    const std::vector<std::string> failures = tab.host->Failures();
    for (std::size_t i = tab.failures_told; i < failures.size(); ++i) {
      session.Err() << "vd4625: " << failures[i] << '\n';
    }
    past_failures.insert(past_failures.end(), failures.begin(), failures.end());
  }

  std::string StateJson() {
    SyncNotices();
    const std::vector<Function> functions = Functions();
    std::string out = "{\"version\":" + std::to_string(version) +
                      ",\"language\":" + (language == 7 ? "\"de\"" : "\"en\"") +
                      ",\"online\":" + (Online() ? "true" : "false") +
                      ",\"busy\":" + (Busy() ? "true" : "false") + ",\"functions\":[";
    for (std::size_t i = 0; i < functions.size(); ++i) {
      const Function& f = functions[i];
      out += std::string(i ? "," : "") + "{\"id\":" + std::to_string(f.id) +
             ",\"text\":" + JsonString(f.text) + ",\"enabled\":" + (f.enabled ? "true" : "false") + "}";
    }
    out += "],\"tabs\":[";
    std::vector<std::string> failures = past_failures;
    for (std::size_t i = 0; i < tabs.size(); ++i) {
      const frame::PageHost& host = *tabs[i].host;
      std::string title = host.ClassName();
      for (const Function& f : functions) {
        if (f.id == host.FunctionId() && !f.text.empty()) title = f.text;
      }
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
    out += ",\"notices\":" + JsonList(notices) + ",\"failures\":" + JsonList(failures) + "}";
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

  ApiResponse FrameAction(const ApiRequest& request) {
    const std::string& action = Param(request, "action");
    if (action == "connect") {
      if (Online()) throw Refusal{409, "the device is on the line already"};
      if (!Connect()) throw Refusal{409, "the DTM refused the communication"};
      return Ok();
    }
    if (action == "disconnect") {
      if (!Online()) throw Refusal{409, "no device is on the line"};
      if (!session.Dtm().IDtm_PrepareToReleaseCommunication()) {
        throw Refusal{409, "the DTM refused to release the communication"};
      }
      // As the shell's release: the disconnect's end reaches the DTM
      // before the communication is taken from it.
      session.Loop().RunUntil([&] { return !Context().CommMan().ConnectionOpen(); });
      session.Loop().RunUntilIdle();
      if (!session.Dtm().IDtm_ReleaseCommunication()) {
        throw Refusal{409, "the DTM refused to release the communication"};
      }
      return Ok();
    }
    if (action == "upload" || action == "download") {
      const bool download = action == "download";
      const std::string id = action + "-" + std::to_string(transfers + 1);
      const bool started = download ? session.Dtm().IDtmOnlineParameter_DownloadRequest(id, "")
                                    : session.Dtm().IDtmOnlineParameter_UploadRequest(id, "");
      if (!started) throw Refusal{409, "the DTM refused the " + action};
      ++transfers;
      pending.emplace_back(id, download ? "DownloadFinished" : "UploadFinished");
      return Ok("\"invoke\":" + JsonString(id));
    }
    if (action == "save") {
      const auto named = OptionalParam(request, "file");
      if ((!named || named->empty()) && !file) {
        throw Refusal{400, "save wants file= (no data set file was loaded)"};
      }
      const std::filesystem::path path = named && !named->empty() ? std::filesystem::path(*named) : *file;
      Save(path);
      file = path;
      return Ok("\"file\":" + JsonString(path.string()));
    }
    if (action == "load") {
      const std::string& name = Param(request, "file");
      if (name.empty()) throw Refusal{400, "load wants file="};
      if (!tabs.empty()) throw Refusal{409, "a data set is loaded only with every page closed"};
      com::MemoryPropertyBag bag;
      frame::FileStorage(name).Load(bag);
      // The DTM judges the set before it takes it: a refused one changes nothing.
      session.Dtm().Class_ReadProperties(bag);
      session.Loop().RunUntilIdle();
      file = name;
      return Ok("\"file\":" + JsonString(name));
    }
    if (action == "language") {
      const std::string& value = Param(request, "value");
      if (value != "de" && value != "en") throw Refusal{400, "value= is de or en"};
      const std::int32_t id = value == "de" ? 7 : 9;
      if (!session.SetLanguage(id)) throw Refusal{409, "the DTM refused the language " + value};
      language = id;
      for (Tab& tab : tabs) tab.host->SetLocale(Locale());
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
    ApiResponse response = (this->*handler)(request);
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
