#include "host/cli/page_command.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>

#include "component/dtm/function_man.h"
#include "component/ui/framework/ctl_monitor.h"
#include "host/cli/exit_status.h"
#include "host/cli/read_command.h"
#include "host/cli/session.h"
#include "host/frame/page_host.h"
#include "platform/forms/state.h"
#include "platform/forms/user_control.h"
#include "host/render/html_render.h"
#include "host/render/text_render.h"
#include "platform/com/error.h"
#include "platform/controls/collection.h"
#include "platform/controls/dtm_search.h"
#include "platform/controls/web_browser.h"
#include "platform/forms/controls.h"
#include "platform/runtime/context.h"
#include "platform/runtime/documents.h"

namespace dtm::host {
namespace {

// A page that keeps a timer running (a cyclic measurement) never leaves the
// loop idle; after this much device time it is shown as it stands.
constexpr std::chrono::minutes kSettleLimit{2};
constexpr std::chrono::milliseconds kLineTime{100};

struct Key {
  const char* name;
  std::int16_t code;
  std::int16_t ascii;  // 0: the key has no character
};

constexpr Key kKeys[] = {
    {"Enter", 13, 13}, {"Escape", 27, 27}, {"Tab", 9, 9},     {"Back", 8, 8},
    {"Space", 32, 32}, {"Up", 38, 0},      {"Down", 40, 0},   {"Left", 37, 0},
    {"Right", 39, 0},  {"Delete", 46, 0},  {"Home", 36, 0},   {"End", 35, 0},
};

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : text) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

std::optional<long long> Whole(const std::string& text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool ParseKey(const std::string& name, PageStep& step) {
  for (const Key& key : kKeys) {
    if (controls::SameText(name, key.name)) {
      step.key_code = key.code;
      if (key.ascii != 0) step.key_ascii = key.ascii;
      return true;
    }
  }
  if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
    const auto number = Whole(name.substr(1));
    if (number && *number >= 1 && *number <= 12) {
      step.key_code = static_cast<std::int16_t>(111 + *number);
      return true;
    }
  }
  if (name.size() == 1 && static_cast<unsigned char>(name[0]) > 32 &&
      static_cast<unsigned char>(name[0]) < 127) {
    const char c = name[0];
    step.key_code = static_cast<std::int16_t>(std::toupper(static_cast<unsigned char>(c)));
    step.key_ascii = static_cast<std::int16_t>(c);
    return true;
  }
  return false;
}

// The longest wait a step may ask for: beyond it a page's timers and the
// device's time would overrun what the loop's clock can hold.
constexpr long long kLongestWaitMs = 24LL * 3600 * 1000;

enum class WaitParse { kTaken, kMalformed, kTooLong };

WaitParse ParseWait(const std::string& text, PageStep& step) {
  const std::size_t digits = text.find_first_not_of("0123456789");
  if (digits == 0 || digits == std::string::npos) return WaitParse::kMalformed;
  const std::string unit = text.substr(digits);
  long long factor = 0;
  if (unit == "ms") factor = 1;
  else if (unit == "s") factor = 1000;
  else if (unit == "min") factor = 60 * 1000;
  else if (unit == "h") factor = 3600 * 1000;
  else return WaitParse::kMalformed;
  // Compared before multiplying: a number of any length is judged without
  // overflow (one too long for a whole number is beyond the limit anyway).
  const auto number = Whole(text.substr(0, digits));
  if (!number || *number > kLongestWaitMs / factor) return WaitParse::kTooLong;
  step.wait = std::chrono::milliseconds(*number * factor);
  return WaitParse::kTaken;
}

// The loop runs until nothing is pending, or for kSettleLimit of device time.
void Settle(Session& session) {
  loop::Clock& clock = session.Loop().GetClock();
  const loop::Clock::TimePoint end = clock.Now() + kSettleLimit;
  session.Loop().RunUntil([&] { return clock.Now() >= end; });
}

// A step that could not be done: what to tell and the exit status.
struct StepError {
  std::string message;
  int status;
};

// The field bound to the parameter `path` on `page`, else on a page shown
// inside it; nullptr for none.
forms::Control* FieldShowing(const forms::UserControl& page, const std::string& path) {
  for (const forms::ControlPtr& control : page.Controls()) {
    if (control->Kind() != forms::ControlKind::kParameter) continue;
    try {
      if (control->GetProperty("ParameterTag").ToString() == path) return control.get();
    } catch (const com::ComError&) {
      // a field that tells no tag is bound to none
    }
  }
  for (const forms::ControlPtr& control : page.Controls()) {
    const auto* child = dynamic_cast<const forms::UserControl*>(control.get());
    if (!child || !child->Visible()) continue;
    if (forms::Control* field = FieldShowing(*child, path)) return field;
  }
  return nullptr;
}

// The control a step names; a usage error when the page has none.
forms::Control& ControlOf(frame::PageHost& host, const PageStep& step) {
  if (forms::Control* control = host.Find(step.target)) return *control;
  // A parameter path names the field bound to it.
  if (step.kind == PageStep::Kind::kSet && step.target.find('/') != std::string::npos) {
    if (forms::Control* field = FieldShowing(host.Form(), step.target)) return *field;
    throw StepError{"no field on " + host.ClassName() + " shows " + StepTextInMessage(step.target),
                    exit_status::kUsage};
  }
  throw StepError{"no control " + StepTextInMessage(step.target) + " on " + host.ClassName(),
                  exit_status::kUsage};
}

forms::Control& TabStripOf(frame::PageHost& host, const PageStep& step) {
  if (!step.target.empty()) {
    forms::Control& named = ControlOf(host, step);
    if (named.Kind() == forms::ControlKind::kTabStrip ||
        named.Kind() == forms::ControlKind::kTabbedDialog) {
      return named;
    }
    throw StepError{StepTextInMessage(step.target) + " has no tabs", exit_status::kUsage};
  }
  for (const forms::ControlPtr& control : host.Form().Controls()) {
    if (control->Kind() == forms::ControlKind::kTabStrip ||
        control->Kind() == forms::ControlKind::kTabbedDialog) {
      return *control;
    }
  }
  throw StepError{host.ClassName() + " has no tabs", exit_status::kUsage};
}

std::size_t TabCountOf(const forms::Control& strip) {
  if (const auto* tabs = dynamic_cast<const forms::TabStrip*>(&strip)) return tabs->TabCount();
  if (const auto* dialog = dynamic_cast<const forms::TabbedDialog*>(&strip)) {
    return static_cast<std::size_t>(std::max<std::int16_t>(dialog->Tabs(), 0));
  }
  return 0;
}

// A tab the page lacks is the user's mistake: said with the tabs it has,
// not with the strip's own range error.
void CheckTab(const std::string& page, const forms::Control& strip, std::size_t tab) {
  const std::size_t count = TabCountOf(strip);
  if (tab >= 1 && tab <= count) return;
  std::string has;
  if (count == 0) has = " has no tabs";
  else if (count == 1) has = " has tab 1 only";
  else if (count == 2) has = " has tabs 1 and 2";
  else has = " has tabs 1 to " + std::to_string(count);
  throw StepError{page + has, exit_status::kUsage};
}

// Waits for the frame's notice `name` about the request `invoke_id`.
bool AwaitNotice(Session& session, const std::string& name, const std::string& invoke_id) {
  auto notice = [&]() -> const frame::FrameContainerStandIn::Notice* {
    for (const auto& entry : session.Container().Log()) {
      if (entry.name == name && !entry.arguments.empty() && entry.arguments[0] == invoke_id) {
        return &entry;
      }
    }
    return nullptr;
  };
  session.Loop().RunUntil([&] { return notice() != nullptr; });
  const auto* end = notice();
  return end && end->arguments.size() > 1 && end->arguments[1] == "true";
}

controls::ctlDTMSearch& SearchOf(frame::PageHost& host) {
  for (const forms::ControlPtr& control : host.Form().Controls()) {
    if (auto* search = dynamic_cast<controls::ctlDTMSearch*>(control.get())) return *search;
  }
  throw StepError{host.ClassName() + " has no search", exit_status::kUsage};
}

// `open_next`: the function whose page is to take the open page's place.
void Perform(Session& session, frame::PageHost& host, const PageStep& step,
             std::size_t& requests, std::optional<std::int32_t>& open_next) {
  using K = PageStep::Kind;
  switch (step.kind) {
    case K::kSearch: host.Type(SearchOf(host), step.value); break;
    case K::kChoose: {
      controls::ctlDTMSearch& search = SearchOf(host);
      const std::size_t hits = search.GetState().hits.size();
      if (step.tab > hits) {
        throw StepError{"the search has " + std::to_string(hits) +
                            (hits == 1 ? " hit" : " hits"),
                        exit_status::kUsage};
      }
      // The hit's field becomes the navigation's target, which its page
      // selects when it is shown.
      search.ShowHit(step.tab - 1);
      const std::int32_t function = search.FunctionIdOf(step.tab - 1);
      if (function == 0) throw StepError{"no function shows that hit", exit_status::kUsage};
      open_next = function;
      return;
    }
    case K::kClick: host.Click(ControlOf(host, step)); break;
    case K::kSet: host.Type(ControlOf(host, step), step.value); break;
    case K::kKey: host.PressKey(ControlOf(host, step), step.key_code, step.key_ascii); break;
    case K::kTab: {
      forms::Control& strip = TabStripOf(host, step);
      CheckTab(step.target.empty() ? "page " + std::to_string(host.FunctionId())
                                   : StepTextInMessage(step.target),
               strip, step.tab);
      host.SelectTab(strip, step.tab);
      break;
    }
    case K::kWait: session.Loop().RunFor(step.wait); return;
    case K::kUpload:
    case K::kDownload: {
      const bool download = step.kind == K::kDownload;
      const std::string id =
          std::string(download ? "download-" : "upload-") + std::to_string(++requests);
      const bool started = download ? session.Dtm().IDtmOnlineParameter_DownloadRequest(id, "")
                                    : session.Dtm().IDtmOnlineParameter_UploadRequest(id, "");
      if (!started) {
        throw StepError{std::string("the DTM refused the ") + (download ? "download" : "upload"),
                        exit_status::kError};
      }
      AwaitNotice(session, download ? "DownloadFinished" : "UploadFinished", id);
      break;
    }
    case K::kLanguage:
      if (!session.SetLanguage(step.value == "de" ? 7 : 9)) {
        throw StepError{"the DTM refused the language " + step.value, exit_status::kError};
      }
      host.SetLocale(LocaleIdOfLanguage(session.Language()));
      break;
  }
  Settle(session);
}

// The browser controls on the page, in form order.
std::vector<controls::WebBrowser*> BrowsersOf(frame::PageHost& host) {
  std::vector<controls::WebBrowser*> browsers;
  for (const forms::ControlPtr& control : host.Form().Controls()) {
    if (auto* browser = dynamic_cast<controls::WebBrowser*>(control.get())) browsers.push_back(browser);
  }
  return browsers;
}

// The frame gives a page's browser the installed headless browser to
// print with; a PDF goes next to the HTML file asked for.
void EquipBrowsers(frame::PageHost& host, const PageOptions& options) {
  const std::shared_ptr<controls::ChromiumPrintEngine> engine = controls::ChromiumPrintEngine::Find();
  for (controls::WebBrowser* browser : BrowsersOf(host)) {
    browser->SetEngine(engine);
    if (options.html) {
      std::filesystem::path pdf = *options.html;
      browser->SetPrintTarget(pdf.replace_extension("pdf"));
    }
  }
}

// What the HTML file shows: the document of the page's browser where it
// shows one, else the page itself.
std::string HtmlOf(frame::PageHost& host, const render::PageView& view) {
  for (controls::WebBrowser* browser : BrowsersOf(host)) {
    if (browser->LocationURL().empty()) continue;
    std::ifstream in(browser->LocationURL(), std::ios::binary);
    if (in) return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return render::RenderHtml(view);
}

render::PageView ViewOf(Session& session, frame::PageHost& host, std::size_t first_box) {
  render::PageView view = PageViewOf(host);
  const auto& boxes = session.Messages().Boxes();
  for (std::size_t i = first_box; i < boxes.size(); ++i) {
    view.boxes.push_back({boxes[i].text, boxes[i].style, boxes[i].answer});
  }
  view.failures = host.Failures();
  return view;
}

}  // namespace

render::PageView PageViewOf(frame::PageHost& host) {
  render::PageView view;
  view.function_id = host.FunctionId();
  view.class_name = host.ClassName();
  view.prog_id = host.ProgId();
  view.invoke_id = host.InvokeId();
  view.form = forms::DescribeTree(host.Form());
  view.german = (host.Form().AmbientLocaleID() & 0x3FF) == 7;
  return view;
}

bool ParseKeyName(const std::string& name, std::int16_t& key_code,
                  std::optional<std::int16_t>& key_ascii) {
  PageStep step;
  if (!ParseKey(name, step)) return false;
  key_code = step.key_code;
  key_ascii = step.key_ascii;
  return true;
}

std::string StepTextInMessage(const std::string& text) {
  constexpr std::size_t kLongest = 40;
  if (text.size() <= kLongest) return text;
  // Cut on a character's first byte, so no character is left half.
  std::size_t cut = kLongest;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "...";
}

std::variant<PageStep, std::string> ParsePageStep(const std::string& text) {
  const std::vector<std::string> words = Words(text);
  PageStep step;
  step.text = text;
  if (words.empty()) return std::string("an empty step");
  const std::string& verb = words[0];
  const std::size_t arguments = words.size() - 1;
  if (verb == "click" && arguments == 1) {
    step.kind = PageStep::Kind::kClick;
    step.target = words[1];
    return step;
  }
  if (verb == "set" && arguments >= 1) {
    // The value is everything after "=", blanks included.
    const std::size_t after_verb = text.find("set") + 3;
    const std::string rest = text.substr(text.find_first_not_of(" \t", after_verb));
    const std::size_t equals = rest.find('=');
    if (equals == std::string::npos || equals == 0) return "'set' wants TARGET=VALUE";
    step.kind = PageStep::Kind::kSet;
    step.target = rest.substr(0, equals);
    step.value = rest.substr(equals + 1);
    if (step.target.find_first_of(" \t") != std::string::npos) return "'set' wants TARGET=VALUE";
    return step;
  }
  if (verb == "key" && arguments == 2) {
    step.kind = PageStep::Kind::kKey;
    step.target = words[1];
    if (!ParseKey(words[2], step)) return "unknown key '" + StepTextInMessage(words[2]) + "'";
    return step;
  }
  if (verb == "tab" && (arguments == 1 || arguments == 2)) {
    const auto number = Whole(words.back());
    if (!number || *number < 1 || *number > 99) return "'tab' wants a tab number from 1";
    step.kind = PageStep::Kind::kTab;
    if (arguments == 2) step.target = words[1];
    step.tab = static_cast<std::size_t>(*number);
    return step;
  }
  if (verb == "wait" && arguments == 1) {
    step.kind = PageStep::Kind::kWait;
    switch (ParseWait(words[1], step)) {
      case WaitParse::kTaken: return step;
      case WaitParse::kTooLong: return std::string("'wait' waits 24h at most");
      case WaitParse::kMalformed: break;
    }
    return std::string("'wait' wants a time such as 500ms, 5s, 3min or 1h");
    return step;
  }
  if ((verb == "upload" || verb == "download") && arguments == 0) {
    step.kind = verb == "upload" ? PageStep::Kind::kUpload : PageStep::Kind::kDownload;
    return step;
  }
  if (verb == "language" && arguments == 1) {
    if (words[1] != "de" && words[1] != "en") return "'language' wants de or en";
    step.kind = PageStep::Kind::kLanguage;
    step.value = words[1];
    return step;
  }
  if (verb == "search" && arguments >= 1) {
    // The text is everything after the verb, blanks inside included.
    const std::size_t after_verb = text.find("search") + 6;
    step.kind = PageStep::Kind::kSearch;
    step.value = text.substr(text.find_first_not_of(" \t", after_verb));
    step.value.erase(step.value.find_last_not_of(" \t") + 1);
    return step;
  }
  if (verb == "choose" && arguments == 1) {
    const auto number = Whole(words[1]);
    if (!number || *number < 1 || *number > 9999) return "'choose' wants a hit number from 1";
    step.kind = PageStep::Kind::kChoose;
    step.tab = static_cast<std::size_t>(*number);
    return step;
  }
  for (const char* known : {"click", "set", "key", "tab", "wait", "upload", "download", "language",
                            "search", "choose"}) {
    if (verb == known) return "wrong arguments for '" + verb + "'";
  }
  return "unknown step '" + StepTextInMessage(verb) + "'";
}

int RunPage(Session& session, const PageOptions& options, std::ostream& out) {
  if (!options.offline) {
    device::TransactionObserver trace;
    if (options.trace) {
      trace = [&session](const runtime::HartRequest& request,
                         const runtime::HartResponse& response) {
        session.Err() << TraceLine(request) << '\n' << TraceLine(response) << '\n';
      };
    }
    // Each transaction takes device time, as on a real line: a page that
    // polls for a span of time (an output test's watch) would otherwise
    // never see it pass.
    session.Channel().SetTransactionLatency(kLineTime);
    if (!session.UseDevice(options.device_profile, trace)) return exit_status::kError;
    session.Loop().RunUntilIdle();
  }

  // What the device refused, left busy or did not answer from here on is
  // the page's run.
  const std::size_t unaccepted_before = session.Context().CommMan().UnacceptedResults();
  const std::size_t first_box = session.Messages().Boxes().size();
  const com::ObjectPtr dtm = session.Dtm().shared_from_this();
  std::unique_ptr<frame::PageHost> page;
  std::uint32_t opened = 0;
  // Opens the page of `function` in place of the one open; the exit
  // status when it did not open.
  auto open = [&](std::int32_t function) -> std::optional<int> {
    if (page && !page->Release()) {
      session.Err() << "vd4625 page: " << page->ProgId() << " refused to be released\n";
      return exit_status::kError;
    }
    page = std::make_unique<frame::PageHost>(session.Context().GetServices().registry, opened);
    frame::PageHost& host = *page;
    runtime::FunctionCall call;
    call.SetFunctionID(function);
    const std::string document = call.BuildXML(session.Context());
    // The documentation page's dialogs are the headless browser's, which
    // write files and open no window: the frame lets it use them.
    if (clsFunctionMan::PageClassOf(function) == "ctlPrint") {
      session.Dtm().IDtm_PrivateDialogEnabled(true);
    }
    switch (host.Open(function, document, dtm, LocaleIdOfLanguage(session.Language()))) {
      case frame::PageHost::Opened::kOpened: break;
      case frame::PageHost::Opened::kUnknownFunction:
      case frame::PageHost::Opened::kNotBuilt:
        session.Err() << "vd4625 page: the page of function " << function << " ("
                      << clsFunctionMan::PageClassOf(function) << ") is not built yet\n";
        return exit_status::kUsage;
      case frame::PageHost::Opened::kRefused:
        for (const std::string& failure : host.Failures()) session.Err() << "vd4625: " << failure << '\n';
        session.Err() << "vd4625 page: " << host.ProgId() << " refused to open\n";
        return exit_status::kError;
    }
    ++opened;
    EquipBrowsers(host, options);
    Settle(session);
    return std::nullopt;
  };
  if (const std::optional<int> failed = open(options.function)) return *failed;

  // A step the page cannot take ends the run; a request the DTM refuses
  // is told and the steps go on, as they would in a frame.
  int status = exit_status::kOk;
  std::size_t requests = 0;
  for (const PageStep& step : options.steps) {
    std::optional<StepError> failed;
    std::optional<std::int32_t> open_next;
    try {
      Perform(session, *page, step, requests, open_next);
    } catch (const StepError& error) {
      failed = error;
    } catch (const com::ComError& error) {
      failed = StepError{error.Description(), exit_status::kUsage};
    }
    if (!failed && open_next) {
      if (const std::optional<int> refused = open(*open_next)) {
        if (!page->IsOpen()) return *refused;
        status = *refused;
        break;
      }
      continue;
    }
    if (!failed) continue;
    session.Messages().Flush();
    session.Err() << "vd4625 page: step '" << StepTextInMessage(step.text)
                  << "': " << failed->message << '\n';
    if (failed->status == exit_status::kUsage) {
      status = exit_status::kUsage;
      break;
    }
    status = failed->status;
  }

  frame::PageHost& host = *page;
  if (status != exit_status::kUsage) {
    session.Messages().Flush();
    const render::PageView view = ViewOf(session, host, first_box);
    out << render::RenderText(view);
    if (options.html) {
      std::ofstream file(*options.html, std::ios::binary | std::ios::trunc);
      file << HtmlOf(host, view);
      file.close();
      if (!file) {
        session.Err() << "vd4625 page: cannot write " << options.html->string() << '\n';
        status = exit_status::kError;
      }
    }
    if (!view.failures.empty()) {
      for (const std::string& failure : view.failures) session.Err() << "vd4625: " << failure << '\n';
      status = exit_status::kError;
    }
    const auto* monitor = dynamic_cast<const ctlMonitor*>(&host.Form());
    if (monitor && monitor->SaveFailed()) status = exit_status::kError;
    if (status == exit_status::kOk &&
        session.Context().CommMan().UnacceptedResults() != unaccepted_before) {
      status = exit_status::kIncomplete;
    }
  }
  if (!host.Release()) {
    session.Err() << "vd4625 page: " << host.ProgId() << " refused to be released\n";
    if (status == exit_status::kOk) status = exit_status::kError;
  }
  return status;
}

}  // namespace dtm::host
