// The live frame's application on the DTM's thread, driven request by
// request on the virtual clock: pages opened, worked and closed, the
// message boxes answered from a script while the DTM waits in them, the
// refused requests, and the shutdown.

#include "host/live/frame_app.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/cli/session.h"
#include "host/live/live_loop.h"
#include "host/live/live_messages.h"
#include "platform/loop/clock.h"
#include "platform/runtime/context.h"
#include "tests/host/cli/cli_driver.h"
#include "tests/testing/temp_folder.h"

namespace dtm::testing {
namespace {

using live::ApiRequest;
using live::ApiResponse;
using namespace std::chrono_literals;

class LiveFrame : public ::testing::Test {
 protected:
  LiveFrame()
      : environment_({{"VD4625_REGISTRY", (folder_.Path() / "registry.reg").string()},
                      {"VD4625_INSTALL", std::nullopt}}) {}

  ~LiveFrame() override {
    app_.reset();
    session_.reset();
  }

  // A session against the simulated device (with `profile`, a body of a
  // device profile, when given), or offline on no device.
  // `file`: the data set's file, as a frame started on one has it.
  void Start(const std::string& profile = "", bool offline = false,
             std::optional<std::filesystem::path> file = std::nullopt) {
    host::SessionSetup setup;
    setup.language = 9;
    setup.err = &err_;
    setup.clock = &clock_;
    setup.messages = &messages_;
    session_ = std::make_unique<host::Session>(setup);
    ASSERT_TRUE(session_->Start());
    live::FrameAppSetup app;
    app.session = session_.get();
    app.messages = &messages_;
    app.offline = offline;
    app.file = file;
    if (!profile.empty()) {
      const auto device = folder_.Path() / "device.xml";
      std::ofstream(device) << "<DeviceProfile version=\"1\">" << profile << "</DeviceProfile>\n";
      app.device_profile = device;
    }
    app_ = std::make_unique<live::FrameApp>(app);
    started_ = app_->Start();
  }

  ApiResponse Get(const std::string& path, std::map<std::string, std::string> params = {}) {
    return app_->Handle({"GET", path, std::move(params)});
  }
  ApiResponse Post(const std::string& path, std::map<std::string, std::string> params = {}) {
    return app_->Handle({"POST", path, std::move(params)});
  }
  // A request that must be taken, then the device time it sets going.
  void Do(const std::string& path, std::map<std::string, std::string> params,
          std::chrono::milliseconds time = 3s) {
    const ApiResponse answer = Post(path, params);
    ASSERT_EQ(answer.status, 200) << path << ": " << answer.body;
    session_->Loop().RunFor(time);
  }
  std::string State() { return Get("/api/state").body; }
  std::string Page(const std::string& tab) { return Get("/api/page", {{"tab", tab}}).body; }

  // The text a field shows in the fragment: its input's value or its span.
  static std::string FieldValue(const std::string& fragment, const std::string& name) {
    const std::size_t field = fragment.find("data-name=\"" + name + "\"");
    if (field == std::string::npos) return "<no field>";
    const std::size_t end = fragment.find("</div>", field);
    const std::string part = fragment.substr(field, end - field);
    for (const std::string& mark : {std::string("<input class=\"value\" value=\""),
                                    std::string("<span class=\"value\">")}) {
      if (const std::size_t at = part.find(mark); at != std::string::npos) {
        const std::size_t from = at + mark.size();
        return part.substr(from, part.find_first_of("\"<", from) - from);
      }
    }
    return "<no value>";
  }

  // A box's wait: the scripted steps run, in order, until it is answered.
  void Wait(const std::function<bool()>& done) {
    session_->Loop().RunUntilIdle();
    while (!done()) {
      if (script_.empty()) {
        ADD_FAILURE() << "a message box waits with nothing to answer it";
        messages_.CloseAll();
        return;
      }
      const std::function<void()> step = std::move(script_.front());
      script_.pop_front();
      step();
      session_->Loop().RunUntilIdle();
    }
  }

  // Every box from now on is answered with its default button.
  void AnswerEveryBox() {
    for (int i = 0; i < 500; ++i) {
      script_.push_back([this] {
        if (const live::LiveMessages::Dialog* open = messages_.Open()) {
          ++boxes_answered_;
          Post("/api/answer", {{"dialog", std::to_string(open->id)},
                               {"button", std::to_string(open->default_button)}});
        }
      });
    }
  }

  TempFolder folder_;
  ScopedEnvironment environment_;
  int boxes_answered_ = 0;
  loop::VirtualClock clock_;
  std::ostringstream err_;
  std::deque<std::function<void()>> script_;
  live::LiveMessages messages_{err_, [this](const std::function<bool()>& done) { Wait(done); }};
  std::unique_ptr<host::Session> session_;
  std::unique_ptr<live::FrameApp> app_;
  int opened_ = 0;
  bool started_ = false;
};

TEST_F(LiveFrame, TheStateListsTheFunctionsWithWhatCanBeOpenedNow) {
  Start();
  EXPECT_TRUE(started_);
  const std::string state = State();
  EXPECT_TRUE(state.starts_with("{\"version\":1,\"language\":\"en\",\"online\":true,\"busy\":false,"
                                "\"functions\":[{\"id\":1,\"text\":\"Identification\",\"enabled\":true},"))
      << state;
  for (const char* part : {"{\"id\":7,\"text\":\"Online parameters\",\"enabled\":true}",
                           "\"hidden\":[11],\"tabs\":[],\"active\":null,\"dialog\":null,\"file\":null,"
                           "\"progress\":null,\"notices\":[],\"failures\":[]}"}) {
    EXPECT_NE(state.find(part), std::string::npos) << part << "\n" << state;
  }
  // The monitor is hidden from the engineer, and the state says so.
  EXPECT_EQ(state.find("\"id\":11,"), std::string::npos) << state;
}

TEST_F(LiveFrame, OfflineTheOnlineFunctionsCannotBeOpened) {
  Start("", true);
  const std::string state = State();
  EXPECT_NE(state.find("\"online\":false"), std::string::npos) << state;
  EXPECT_NE(state.find("{\"id\":7,\"text\":\"Online parameters\",\"enabled\":false}"), std::string::npos)
      << state;
  const ApiResponse answer = Post("/api/open", {{"function", "7"}});
  EXPECT_EQ(answer.status, 409);
  EXPECT_EQ(answer.body, "{\"ok\":false,\"error\":\"function 7 cannot be opened now\"}");
  EXPECT_EQ(State(), state);
}

TEST_F(LiveFrame, AWrittenValueIsWhatTheDeviceHoldsAndShowsWhenReadAgain) {
  Start();
  const ApiResponse opened = Post("/api/open", {{"function", "7"}});
  ASSERT_EQ(opened.status, 200) << opened.body;
  EXPECT_EQ(opened.body, "{\"ok\":true,\"tab\":\"page-1\"}");
  session_->Loop().RunFor(5s);
  EXPECT_NE(State().find("\"tabs\":[{\"id\":\"page-1\",\"function\":7,\"title\":\"Online parameters\"}],"
                         "\"active\":\"page-1\""),
            std::string::npos)
      << State();
  EXPECT_EQ(FieldValue(Page("page-1"), "ctlParameter(13)"), "1.2");

  Do("/api/event", {{"tab", "page-1"}, {"control", "ctlParameter(13)"}, {"kind", "set"}, {"value", "2.5"}});
  EXPECT_EQ(session_->Device()->Memory().floats.at(20), 1.2f);
  Do("/api/event", {{"tab", "page-1"}, {"control", "cmdWriteDynPars"}, {"kind", "click"}});
  EXPECT_EQ(session_->Device()->Memory().floats.at(20), 2.5f);
  // The page reads what the device holds now.
  session_->Device()->Load([&] {
    device::Profile profile = session_->Device()->Memory();
    profile.floats[20] = 3.5f;
    return profile;
  }());
  Do("/api/event", {{"tab", "page-1"}, {"control", "cmdReadDynPars"}, {"kind", "click"}});
  EXPECT_EQ(FieldValue(Page("page-1"), "ctlParameter(13)"), "3.5");
  EXPECT_NE(State().find("\"failures\":[]"), std::string::npos) << State();
}

TEST_F(LiveFrame, TheMeasuredValuesMoveFromCycleToCycle) {
  Start("<Motion wLow=\"4.0\" wHigh=\"20.0\" period=\"60s\" lag=\"2s\"/>");
  Do("/api/open", {{"function", "4"}}, 4s);
  const std::string first = FieldValue(Page("page-1"), "ctlParameter(0)");
  session_->Loop().RunFor(4s);
  const std::string second = FieldValue(Page("page-1"), "ctlParameter(0)");
  EXPECT_NE(first, "<no field>");
  EXPECT_NE(first, second);
  // The measured values are shown, not edited.
  EXPECT_NE(Page("page-1").find("<div class=\"field locked\" data-name=\"ctlParameter(0)\">"
                                "<label>Setpoint w</label><span class=\"value\">"),
            std::string::npos)
      << Page("page-1");
}

TEST_F(LiveFrame, AQuestionWaitsForTheUsersAnswerAndNothingElseGoesThrough) {
  Start();
  Do("/api/open", {{"function", "9"}});
  const std::string question = "Execute the command \\\"Perform cold start\\\" now?";
  std::string before;
  script_.push_back([&] {
    before = State();
    EXPECT_NE(before.find("\"dialog\":{\"id\":1,\"text\":\"" + question +
                          "\",\"title\":\"\",\"style\":292,\"buttons\":[{\"id\":6,\"label\":\"Yes\"},"
                          "{\"id\":7,\"label\":\"No\"}],\"default\":7}"),
              std::string::npos)
        << before;
    const std::string page = Page("page-1");
    struct Refused {
      const char* path;
      std::map<std::string, std::string> params;
      int status;
    };
    const Refused refused[] = {
        {"/api/event", {{"tab", "page-1"}, {"control", "ctlParameter(2)"}, {"kind", "click"}}, 409},
        {"/api/open", {{"function", "7"}}, 409},
        {"/api/close", {{"tab", "page-1"}}, 409},
        {"/api/frame", {{"action", "upload"}}, 409},
        {"/api/answer", {{"dialog", "2"}, {"button", "6"}}, 409},
        {"/api/answer", {{"dialog", "1"}, {"button", "1"}}, 400},
        {"/api/answer", {{"dialog", "1"}}, 400},
    };
    for (const Refused& r : refused) {
      SCOPED_TRACE(r.path);
      EXPECT_EQ(Post(r.path, r.params).status, r.status);
      EXPECT_EQ(State(), before);
      EXPECT_EQ(Page("page-1"), page);
    }
    EXPECT_EQ(Post("/api/answer", {{"dialog", "1"}, {"button", "6"}}).status, 200);
  });
  script_.push_back([&] {
    // The component went on with Yes: the device restarts.
    EXPECT_NE(State().find("\"dialog\":{\"id\":2,\"text\":\"The device restarts. Its values are read "
                           "again afterwards.\",\"title\":\"\",\"style\":64,\"buttons\":[{\"id\":1,"
                           "\"label\":\"OK\"}],\"default\":1}"),
              std::string::npos)
        << State();
    EXPECT_EQ(Post("/api/answer", {{"dialog", "2"}, {"button", "1"}}).status, 200);
  });
  Do("/api/event", {{"tab", "page-1"}, {"control", "ctlParameter(5)"}, {"kind", "click"}}, 5s);
  EXPECT_TRUE(script_.empty());
  EXPECT_NE(State().find("\"dialog\":null"), std::string::npos);
  const auto& received = session_->Device()->Received();
  EXPECT_TRUE(std::any_of(received.begin(), received.end(), [](const runtime::HartRequest& r) {
    return r.command == 132 && r.data == std::vector<std::uint8_t>{254};
  }));
  EXPECT_EQ(err_.str(),
            "[box] Execute the command \"Perform cold start\" now? -> Yes\n"
            "[box] The device restarts. Its values are read again afterwards. -> OK\n");
}

TEST_F(LiveFrame, AQuestionAnsweredNoSendsNothing) {
  Start();
  Do("/api/open", {{"function", "9"}});
  script_.push_back([&] { EXPECT_EQ(Post("/api/answer", {{"dialog", "1"}, {"button", "7"}}).status, 200); });
  // Whatever the page tells afterwards is taken as told.
  for (int i = 0; i < 3; ++i) {
    script_.push_back([&] {
      if (const live::LiveMessages::Dialog* open = messages_.Open()) {
        Post("/api/answer", {{"dialog", std::to_string(open->id)}, {"button", "1"}});
      }
    });
  }
  Do("/api/event", {{"tab", "page-1"}, {"control", "ctlParameter(5)"}, {"kind", "click"}}, 5s);
  const auto& received = session_->Device()->Received();
  EXPECT_FALSE(std::any_of(received.begin(), received.end(),
                           [](const runtime::HartRequest& r) { return r.command == 132; }));
  EXPECT_TRUE(err_.str().starts_with("[box] Execute the command \"Perform cold start\" now? -> No\n"))
      << err_.str();
}

TEST_F(LiveFrame, MalformedAndUnknownRequestsAreRefusedAndChangeNothing) {
  Start();
  Do("/api/open", {{"function", "7"}});
  const std::string state = State();
  const std::string page = Page("page-1");
  struct Case {
    const char* method;
    const char* path;
    std::map<std::string, std::string> params;
    int status;
  };
  const Case cases[] = {
      {"POST", "/api/open", {{"function", "0"}}, 404},
      {"POST", "/api/open", {{"function", "15"}}, 404},
      {"POST", "/api/open", {{"function", "x"}}, 400},
      {"POST", "/api/open", {}, 400},
      {"POST", "/api/close", {{"tab", "page-9"}}, 404},
      {"POST", "/api/select", {{"tab", "page-9"}}, 404},
      {"POST", "/api/event", {{"tab", "page-9"}, {"control", "cmdReadDynPars"}, {"kind", "click"}}, 404},
      {"POST", "/api/event", {{"tab", "page-1"}, {"control", "cmdNone"}, {"kind", "click"}}, 404},
      {"POST", "/api/event", {{"tab", "page-1"}, {"control", "ctlParameter(x)"}, {"kind", "click"}}, 404},
      {"POST", "/api/event", {{"tab", "page-1"}, {"control", "cmdReadDynPars"}, {"kind", "drag"}}, 400},
      {"POST", "/api/event", {{"tab", "page-1"}, {"control", "cmdReadDynPars"}}, 400},
      {"POST", "/api/event", {{"tab", "page-1"}, {"control", "ctlParameter(13)"}, {"kind", "set"}}, 400},
      {"POST", "/api/event", {{"tab", "page-1"}, {"control", "ctlParameter(13)"}, {"kind", "key"}}, 400},
      {"POST", "/api/event",
       {{"tab", "page-1"}, {"control", "ctlParameter(13)"}, {"kind", "key"}, {"key", "Hyper"}}, 400},
      {"POST", "/api/event", {{"tab", "page-1"}, {"control", "cmdReadDynPars"}, {"kind", "tab"}}, 400},
      {"POST", "/api/event",
       {{"tab", "page-1"}, {"control", "cmdReadDynPars"}, {"kind", "tab"}, {"index", "1"}}, 409},
      {"POST", "/api/frame", {{"action", "fly"}}, 400},
      {"POST", "/api/frame", {}, 400},
      {"POST", "/api/frame", {{"action", "connect"}}, 409},
      {"POST", "/api/frame", {{"action", "language"}, {"value", "fr"}}, 400},
      {"POST", "/api/frame", {{"action", "save"}}, 400},
      {"POST", "/api/frame", {{"action", "load"}, {"file", "x.xml"}}, 409},
      {"POST", "/api/answer", {{"dialog", "1"}, {"button", "1"}}, 409},
      {"POST", "/api/nothing", {}, 404},
      {"GET", "/api/page", {{"tab", "page-9"}}, 404},
      {"GET", "/api/page", {}, 400},
      {"GET", "/api/nothing", {}, 404},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " " + c.path);
    const ApiResponse answer = app_->Handle({c.method, c.path, c.params});
    EXPECT_EQ(answer.status, c.status) << answer.body;
    EXPECT_TRUE(answer.body.starts_with("{\"ok\":false,\"error\":\"")) << answer.body;
    EXPECT_EQ(State(), state);
    EXPECT_EQ(Page("page-1"), page);
  }
}

TEST_F(LiveFrame, ClosingATabReleasesItsPage) {
  Start();
  Do("/api/open", {{"function", "7"}});
  Do("/api/open", {{"function", "1"}});
  EXPECT_NE(session_->Context().GUIMan().GetGUIObject("page-1"), nullptr);
  Do("/api/close", {{"tab", "page-1"}});
  EXPECT_EQ(session_->Context().GUIMan().GetGUIObject("page-1"), nullptr);
  EXPECT_NE(session_->Context().GUIMan().GetGUIObject("page-2"), nullptr);
  EXPECT_NE(State().find("\"tabs\":[{\"id\":\"page-2\",\"function\":1,\"title\":\"Identification\"}],"
                         "\"active\":\"page-2\""),
            std::string::npos)
      << State();
  EXPECT_EQ(Get("/api/page", {{"tab", "page-1"}}).status, 404);
  // The shown tab closed: none is shown.
  Do("/api/close", {{"tab", "page-2"}});
  EXPECT_FALSE(session_->Context().GUIMan().HasGUIs());
  EXPECT_NE(State().find("\"tabs\":[],\"active\":null"), std::string::npos) << State();
}

TEST_F(LiveFrame, TheShutdownReleasesEveryPageAndThenTheDtmWhichAsksForTheSave) {
  const std::filesystem::path file = folder_.Path() / "set.xml";
  Start("", false, file);
  Do("/api/open", {{"function", "7"}});
  Do("/api/open", {{"function", "4"}});
  EXPECT_TRUE(app_->Shutdown());
  EXPECT_FALSE(session_->Context().GUIMan().HasGUIs());
  EXPECT_NE(State().find("\"tabs\":[],\"active\":null"), std::string::npos) << State();
  EXPECT_EQ(err_.str(), "vd4625 frame: data set saved to " + file.string() + "\n" +
                            "[frame] CommunicationReleased(VD4625)\n"
                            "[frame] SaveRequest(VD4625)\n"
                            "[frame] PreparedToRelease(VD4625)\n");
  EXPECT_NE(ReadText(file).find("4625_1"), std::string::npos);
  EXPECT_TRUE(session_->Container().SaveAnswer());
}

TEST_F(LiveFrame, ASaveAskedForWithNoFileIsTold) {
  Start();
  Do("/api/open", {{"function", "7"}});
  EXPECT_TRUE(app_->Shutdown());
  EXPECT_EQ(err_.str(),
            "vd4625 frame: the DTM asked to save its data set, but no file was named (--load, or "
            "save with a file)\n"
            "[frame] CommunicationReleased(VD4625)\n"
            "[frame] SaveRequest(VD4625)\n"
            "[frame] PreparedToRelease(VD4625)\n");
  // The DTM is not told it was saved.
  EXPECT_FALSE(session_->Container().SaveAnswer());
}

// The upload's progress counts its transactions as the line takes them;
// its end is told in the listing's words, in the language set.
TEST_F(LiveFrame, AnUploadShowsHowFarItGotAndEndsWithItsSummary) {
  Start();
  const ApiResponse answer = Post("/api/frame", {{"action", "upload"}});
  EXPECT_EQ(answer.body, "{\"ok\":true,\"invoke\":\"upload-1\"}");
  EXPECT_NE(State().find("\"busy\":true"), std::string::npos) << State();
  EXPECT_NE(State().find("\"progress\":{\"what\":\"upload\",\"title\":\"\",\"done\":0,\"queued\":37}"),
            std::string::npos)
      << State();
  session_->Loop().RunFor(1050ms);
  EXPECT_NE(State().find("\"progress\":{\"what\":\"upload\",\"title\":\"\",\"done\":10,\"queued\":37}"),
            std::string::npos)
      << State();
  session_->Loop().RunFor(60s);
  EXPECT_NE(State().find("\"busy\":false"), std::string::npos) << State();
  EXPECT_NE(State().find("\"progress\":null,\"notices\":[{\"kind\":\"notice\",\"text\":\"Upload finished: "
                         "37 transactions, 142 values read, 0 refused, 0 not answered\"}]"),
            std::string::npos)
      << State();
  // The FDT notice itself stays in the frame's log.
  EXPECT_EQ(State().find("UploadFinished"), std::string::npos);

  Do("/api/frame", {{"action", "language"}, {"value", "de"}});
  Do("/api/frame", {{"action", "upload"}}, 60s);
  EXPECT_NE(State().find("{\"kind\":\"notice\",\"text\":\"Sprache: Deutsch\"},{\"kind\":\"notice\",\"text\":"
                         "\"Lesen aus dem Gerät beendet: 37 Transaktionen, 142 Werte gelesen, 0 abgelehnt, "
                         "0 keine Antwort\"}]"),
            std::string::npos)
      << State();
}

// A device that is write-protected refuses the download: the line says
// why, as an error, whatever the boxes on the way were answered.
TEST_F(LiveFrame, ADownloadTheWriteProtectionRefusesSaysSo) {
  struct Case {
    std::int32_t language;
    const char* line;
  };
  const Case cases[] = {
      {9, "{\"kind\":\"error\",\"text\":\"Download refused: the device is write-protected\"}"},
      {7, "{\"kind\":\"error\",\"text\":\"Schreiben in das Gerät abgelehnt: das Gerät ist schreibgeschützt\"}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    app_.reset();
    session_.reset();
    Start("<WriteProtect>1</WriteProtect>");
    if (c.language == 7) Do("/api/frame", {{"action", "language"}, {"value", "de"}});
    boxes_answered_ = 0;
    AnswerEveryBox();
    Do("/api/frame", {{"action", "download"}}, 60s);
    script_.clear();
    const std::string state = State();
    EXPECT_NE(state.find("\"busy\":false"), std::string::npos) << state;
    EXPECT_TRUE(state.ends_with(std::string(c.line) + "],\"failures\":[]}")) << state;
    EXPECT_GT(boxes_answered_, 0);
  }
}

TEST_F(LiveFrame, ThePagesTransferOnTheUsersRequestIsTheFramesProgress) {
  Start();
  ASSERT_EQ(Post("/api/open", {{"function", "7"}}).status, 200);
  EXPECT_NE(State().find("\"busy\":true"), std::string::npos) << State();
  EXPECT_NE(State().find("\"progress\":{\"what\":\"page\",\"title\":\"Online parameters\",\"done\":0,"
                         "\"queued\":"),
            std::string::npos)
      << State();
  session_->Loop().RunFor(10s);
  EXPECT_NE(State().find("\"busy\":false"), std::string::npos) << State();
  EXPECT_NE(State().find("\"progress\":null"), std::string::npos) << State();
  ASSERT_EQ(Post("/api/event", {{"tab", "page-1"}, {"control", "cmdReadDynPars"}, {"kind", "click"}}).status, 200);
  EXPECT_NE(State().find("\"busy\":true"), std::string::npos) << State();
  session_->Loop().RunFor(10s);
  EXPECT_NE(State().find("\"busy\":false"), std::string::npos) << State();
}

// A measured-value page that goes on reading by itself keeps the frame
// free once its first pass has ended.
TEST_F(LiveFrame, APagesOwnCycleLeavesTheFrameFree) {
  Start();
  Do("/api/open", {{"function", "4"}}, 5s);
  for (int i = 0; i < 5; ++i) {
    session_->Loop().RunFor(300ms);
    EXPECT_NE(State().find("\"busy\":false"), std::string::npos) << State();
  }
}

TEST_F(LiveFrame, TheLanguageReachesTheDtmAndThePages) {
  Start();
  Do("/api/open", {{"function", "7"}});
  Do("/api/frame", {{"action", "language"}, {"value", "de"}});
  const std::string state = State();
  EXPECT_NE(state.find("\"language\":\"de\""), std::string::npos) << state;
  EXPECT_NE(state.find("{\"id\":1,\"text\":\"Identifikation\",\"enabled\":true}"), std::string::npos)
      << state;
}

// The save's line names the file written, whole, and says when it is the
// one loaded; a failure reads as the failure.
TEST_F(LiveFrame, TheSaveNamesTheFileItWrote) {
  const std::filesystem::path loaded = folder_.Path() / "loaded.xml";
  Start("", false, loaded);
  EXPECT_NE(State().find("\"file\":\"" + loaded.string() + "\""), std::string::npos) << State();
  const std::filesystem::path other = folder_.Path() / "other.xml";
  const std::filesystem::path missing = folder_.Path() / "no such folder" / "set.xml";
  struct Case {
    const char* name;
    std::string language;
    std::string file;  // "" the file loaded
    int status;
    std::string line;  // the notice, or the refusal's message
  };
  const Case cases[] = {
      {"OverItsOwn", "en", "", 200, "Data set saved to " + loaded.string() + ", replacing the data set's own file"},
      {"ToAnother", "en", other.string(), 200, "Data set saved to " + other.string()},
      // The file saved last is the data set's own now.
      {"NamedAsItsOwn", "en", other.string(), 200,
       "Data set saved to " + other.string() + ", replacing the data set's own file"},
      {"Failed", "en", missing.string(), 409,
       "Data set not saved: cannot write " + missing.string() + ": No such file or directory"},
      {"FailedGerman", "de", missing.string(), 409,
       "Datensatz nicht gespeichert: cannot write " + missing.string() + ": No such file or directory"},
      {"German", "de", loaded.string(), 200, "Datensatz gespeichert in " + loaded.string()},
      {"GermanOverItsOwn", "de", "", 200,
       "Datensatz gespeichert in " + loaded.string() + "; die bisherige Datei des Datensatzes ist ersetzt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Do("/api/frame", {{"action", "language"}, {"value", c.language}});
    std::map<std::string, std::string> params{{"action", "save"}};
    if (!c.file.empty()) params["file"] = c.file;
    const std::string before = State();
    const ApiResponse answer = Post("/api/frame", params);
    EXPECT_EQ(answer.status, c.status) << answer.body;
    if (c.status == 200) {
      EXPECT_NE(State().find("{\"kind\":\"notice\",\"text\":" + live::JsonString(c.line) + "}]"),
                std::string::npos)
          << State();
    } else {
      EXPECT_EQ(answer.body, "{\"ok\":false,\"error\":" + live::JsonString(c.line) + "}");
      EXPECT_EQ(State(), before);
    }
  }
}

TEST_F(LiveFrame, ASaveWithNoFileNamedAndNoneLoadedSaysSo) {
  Start();
  const ApiResponse answer = Post("/api/frame", {{"action", "save"}});
  EXPECT_EQ(answer.status, 400);
  EXPECT_EQ(answer.body,
            "{\"ok\":false,\"error\":\"Data set not saved: no file was named, and none was loaded\"}");
}

// A name without folder is told with the folder it was written to.
TEST_F(LiveFrame, ASavedBareNameIsToldWithItsFolder) {
  Start();
  const std::filesystem::path here = std::filesystem::current_path();
  std::filesystem::current_path(folder_.Path());
  const ApiResponse answer = Post("/api/frame", {{"action", "save"}, {"file", "bare.xml"}});
  const std::string state = State();
  std::filesystem::current_path(here);
  EXPECT_EQ(answer.status, 200) << answer.body;
  const std::string whole = (folder_.Path() / "bare.xml").string();
  EXPECT_NE(state.find("\"text\":\"Data set saved to " + whole + "\"}]"), std::string::npos) << state;
  EXPECT_NE(state.find("\"file\":\"" + whole + "\""), std::string::npos) << state;
}

TEST_F(LiveFrame, TheLoadTellsTheFileOrWhyNot) {
  Start();
  const std::string saved = (folder_.Path() / "saved.xml").string();
  const std::string missing = (folder_.Path() / "missing.xml").string();
  Do("/api/frame", {{"action", "save"}, {"file", saved}});
  Do("/api/open", {{"function", "7"}});
  const ApiResponse open = Post("/api/frame", {{"action", "load"}, {"file", saved}});
  EXPECT_EQ(open.body, "{\"ok\":false,\"error\":\"Data set not loaded: close every page first\"}");
  Do("/api/close", {{"tab", "page-1"}});
  Do("/api/frame", {{"action", "language"}, {"value", "de"}});
  const ApiResponse gone = Post("/api/frame", {{"action", "load"}, {"file", missing}});
  EXPECT_EQ(gone.status, 409);
  EXPECT_TRUE(gone.body.starts_with("{\"ok\":false,\"error\":\"Datensatz nicht geladen: ")) << gone.body;
  EXPECT_NE(gone.body.find(missing), std::string::npos) << gone.body;
  Do("/api/frame", {{"action", "load"}, {"file", saved}});
  EXPECT_NE(State().find("{\"kind\":\"notice\",\"text\":\"Datensatz geladen aus " + saved + "\"}]"),
            std::string::npos)
      << State();
}

TEST_F(LiveFrame, ASavedDataSetIsLoadedAgainWithNoPageOpen) {
  Start();
  const std::string saved = (folder_.Path() / "saved.xml").string();
  const std::string again = (folder_.Path() / "again.xml").string();
  auto set = [&](const char* value) {
    Do("/api/open", {{"function", "7"}});
    const std::string tab = "page-" + std::to_string(++opened_);
    Do("/api/event", {{"tab", tab}, {"control", "ctlParameter(13)"}, {"kind", "set"}, {"value", value}});
    return tab;
  };
  Do("/api/close", {{"tab", set("2.5")}});
  Do("/api/frame", {{"action", "save"}, {"file", saved}});
  const std::string open = set("4.5");
  EXPECT_EQ(Post("/api/frame", {{"action", "load"}, {"file", saved}}).status, 409);
  Do("/api/close", {{"tab", open}});
  Do("/api/frame", {{"action", "load"}, {"file", saved}});
  Do("/api/frame", {{"action", "save"}, {"file", again}});
  EXPECT_EQ(ReadText(again), ReadText(saved));
  EXPECT_NE(ReadText(saved).find("2.5"), std::string::npos);
}

TEST_F(LiveFrame, TheTabShownHasTheFocusAndTheOneLeftLosesIt) {
  Start();
  const runtime::GUIMan& pages = session_->Context().GUIMan();
  Do("/api/open", {{"function", "7"}});
  EXPECT_EQ(pages.FocusedGUI(), "page-1");
  Do("/api/open", {{"function", "1"}});
  EXPECT_EQ(pages.FocusedGUI(), "page-2");
  Do("/api/select", {{"tab", "page-1"}});
  EXPECT_EQ(pages.FocusedGUI(), "page-1");
  EXPECT_NE(State().find("\"active\":\"page-1\""), std::string::npos) << State();
  // The tab after the one closed is shown next.
  Do("/api/open", {{"function", "14"}});
  Do("/api/select", {{"tab", "page-1"}});
  Do("/api/close", {{"tab", "page-1"}});
  EXPECT_EQ(pages.FocusedGUI(), "page-2");
  EXPECT_NE(State().find("\"active\":\"page-2\""), std::string::npos) << State();
}

TEST_F(LiveFrame, APagesOwnTabStripShowsTheTabPicked) {
  Start();
  Do("/api/open", {{"function", "1"}});
  EXPECT_NE(Page("page-1").find("<span class=\"tab selected\" data-tab=\"1\">Ident. operating unit</span>"),
            std::string::npos);
  Do("/api/event", {{"tab", "page-1"}, {"control", "TabStrip"}, {"kind", "tab"}, {"index", "2"}});
  const std::string page = Page("page-1");
  EXPECT_NE(page.find("<span class=\"tab selected\" data-tab=\"2\">Ident. positioner</span>"),
            std::string::npos)
      << page;
  // A tab the strip lacks is refused and changes nothing.
  const std::string state = State();
  const ApiResponse beyond =
      Post("/api/event", {{"tab", "page-1"}, {"control", "TabStrip"}, {"kind", "tab"}, {"index", "4"}});
  EXPECT_EQ(beyond.status, 409);
  EXPECT_EQ(Page("page-1"), page);
  EXPECT_EQ(State(), state);
}

TEST_F(LiveFrame, AFrameOfflineConnectsTheDeviceAndLetsItGoAgain) {
  Start("", true);
  EXPECT_EQ(session_->Device(), nullptr);
  Do("/api/frame", {{"action", "connect"}});
  EXPECT_NE(session_->Device(), nullptr);
  std::string state = State();
  EXPECT_NE(state.find("\"online\":true"), std::string::npos) << state;
  EXPECT_NE(state.find("{\"id\":7,\"text\":\"Online parameters\",\"enabled\":true}"), std::string::npos)
      << state;
  Do("/api/open", {{"function", "7"}});
  EXPECT_EQ(FieldValue(Page("page-1"), "ctlParameter(13)"), "1.2");
  Do("/api/close", {{"tab", "page-1"}});
  Do("/api/frame", {{"action", "disconnect"}});
  state = State();
  EXPECT_NE(state.find("\"online\":false"), std::string::npos) << state;
  EXPECT_NE(state.find("\"notices\":[{\"kind\":\"notice\",\"text\":\"Device connected\"},"
                       "{\"kind\":\"notice\",\"text\":\"Device disconnected\"}]"),
            std::string::npos)
      << state;
  const ApiResponse again = Post("/api/frame", {{"action", "disconnect"}});
  EXPECT_EQ(again.status, 409);
  EXPECT_EQ(again.body, "{\"ok\":false,\"error\":\"Device not disconnected: no device is connected\"}");
}

// Off the line and on again is the same device: what was written to it
// is what the next read finds.
TEST_F(LiveFrame, OnTheLineAgainTheDeviceStillHoldsWhatWasWritten) {
  Start();
  Do("/api/open", {{"function", "7"}}, 5s);
  Do("/api/event", {{"tab", "page-1"}, {"control", "ctlParameter(13)"}, {"kind", "set"}, {"value", "2.5"}});
  Do("/api/event", {{"tab", "page-1"}, {"control", "cmdWriteDynPars"}, {"kind", "click"}});
  Do("/api/close", {{"tab", "page-1"}});
  const device::SimDevice* before = session_->Device();
  Do("/api/frame", {{"action", "disconnect"}});
  Do("/api/frame", {{"action", "connect"}});
  EXPECT_EQ(session_->Device(), before);
  Do("/api/open", {{"function", "7"}}, 5s);
  EXPECT_EQ(FieldValue(Page("page-2"), "ctlParameter(13)"), "2.5");
}

TEST_F(LiveFrame, ADownloadsEndIsANoticeOfItsOwn) {
  Start();
  const ApiResponse first = Post("/api/frame", {{"action", "download"}});
  EXPECT_EQ(first.body, "{\"ok\":true,\"invoke\":\"download-1\"}");
  session_->Loop().RunFor(60s);
  const ApiResponse second = Post("/api/frame", {{"action", "upload"}});
  EXPECT_EQ(second.body, "{\"ok\":true,\"invoke\":\"upload-2\"}");
  session_->Loop().RunFor(60s);
  EXPECT_NE(State().find("\"busy\":false,"), std::string::npos) << State();
  EXPECT_NE(State().find("\"notices\":[{\"kind\":\"notice\",\"text\":\"Download finished: 65 transactions, "
                         "90 values written, 0 refused, 0 not answered\"},{\"kind\":\"notice\",\"text\":"
                         "\"Upload finished: 37 transactions, 142 values read, 0 refused, 0 not answered\"}]"),
            std::string::npos)
      << State();
}

TEST_F(LiveFrame, AProfileThatCannotBeReadLeavesTheFrameOfflineToConnectLater) {
  Start("<Tag>lower case</Tag>");
  EXPECT_FALSE(started_);
  EXPECT_TRUE(err_.str().starts_with("vd4625 frame: device profile ")) << err_.str();
  EXPECT_NE(State().find("\"online\":false"), std::string::npos) << State();
  const ApiResponse again = Post("/api/frame", {{"action", "connect"}});
  EXPECT_EQ(again.status, 409);
  EXPECT_TRUE(again.body.starts_with("{\"ok\":false,\"error\":\"Device not connected: device profile "))
      << again.body;
}

// ---- what a person does on the pages ----------------------------------------------------------

TEST_F(LiveFrame, GermanTypedNumberIsReadAndShownWithItsComma) {
  Start();
  Do("/api/frame", {{"action", "language"}, {"value", "de"}});
  Do("/api/open", {{"function", "2"}});
  Do("/api/event", {{"tab", "page-1"}, {"control", "TabStrip"}, {"kind", "tab"}, {"index", "3"}});
  EXPECT_EQ(FieldValue(Page("page-1"), "ctlParameter(40)"), "1,2");
  Do("/api/event",
     {{"tab", "page-1"}, {"control", "ctlParameter(41)"}, {"kind", "set"}, {"value", "0,7"}});
  EXPECT_EQ(FieldValue(Page("page-1"), "ctlParameter(41)"), "0,7");
  const float stored =
      session_->Context().Parameters().Item("SC128Tr3/Par4")->IPrivateDataElement_TransientValue().ToSingle();
  EXPECT_EQ(stored, 0.7f);
}

TEST_F(LiveFrame, ALockedFieldIsReadOnlyAndRefusesAnEdit) {
  Start();
  Do("/api/open", {{"function", "2"}});
  Do("/api/event", {{"tab", "page-1"}, {"control", "TabStrip"}, {"kind", "tab"}, {"index", "3"}});
  const std::string fragment = Page("page-1");
  const std::size_t field = fragment.find("data-name=\"ctlParameter(47)\"");
  ASSERT_NE(field, std::string::npos);
  const std::string part = fragment.substr(field, fragment.find("</div>", field) - field);
  EXPECT_EQ(part.find("<input"), std::string::npos) << part;
  EXPECT_NE(part.find("<span class=\"lock\">locked</span>"), std::string::npos) << part;

  const ApiResponse refused = Post(
      "/api/event", {{"tab", "page-1"}, {"control", "ctlParameter(47)"}, {"kind", "set"}, {"value", "5"}});
  EXPECT_EQ(refused.status, 409);
  EXPECT_EQ(refused.body, "{\"ok\":false,\"error\":\"ctlParameter(47) is locked\"}");
  EXPECT_EQ(FieldValue(Page("page-1"), "ctlParameter(47)"), "0");
}

TEST_F(LiveFrame, TheHostedPagesControlsGoByTheirPaths) {
  Start();
  Do("/api/open", {{"function", "12"}});
  Do("/api/event", {{"tab", "page-1"}, {"control", "TabStrip"}, {"kind", "tab"}, {"index", "2"}});
  std::string fragment = Page("page-1");
  EXPECT_NE(fragment.find("<nav class=\"tabs\" data-name=\"TabStrip\">"), std::string::npos);
  EXPECT_NE(fragment.find("<nav class=\"tabs\" data-name=\"ctlOfflineParams.TabStrip\">"),
            std::string::npos);
  EXPECT_EQ(FieldValue(fragment, "ctlOfflineParams.ctlParameter(4)"), "99");

  // The child's strip switches the child, the container stays on its tab.
  Do("/api/event", {{"tab", "page-1"}, {"control", "ctlOfflineParams.TabStrip"}, {"kind", "tab"},
                    {"index", "2"}});
  fragment = Page("page-1");
  EXPECT_NE(fragment.find("<span class=\"tab selected\" data-tab=\"2\">Parameters</span>"),
            std::string::npos);
  EXPECT_NE(fragment.find("<span class=\"tab selected\" data-tab=\"2\">Characteristic</span>"),
            std::string::npos);
  EXPECT_NE(fragment.find("data-name=\"ctlOfflineParams.cmdNext\""), std::string::npos);
  Do("/api/event", {{"tab", "page-1"}, {"control", "ctlOfflineParams.cmdNext"}, {"kind", "click"}});
  Do("/api/event", {{"tab", "page-1"}, {"control", "ctlOfflineParams.TabStrip"}, {"kind", "tab"},
                    {"index", "1"}});
  Do("/api/event", {{"tab", "page-1"}, {"control", "ctlOfflineParams.ctlParameter(4)"},
                    {"kind", "set"}, {"value", "98"}});
  EXPECT_EQ(FieldValue(Page("page-1"), "ctlOfflineParams.ctlParameter(4)"), "98");
}

TEST_F(LiveFrame, ASearchHitOpensItsPageOnTheField) {
  Start();
  Do("/api/open", {{"function", "14"}});
  Do("/api/event",
     {{"tab", "page-1"}, {"control", "ctlDTMSearch"}, {"kind", "set"}, {"value", "Rated travel"}});
  const std::string fragment = Page("page-1");
  EXPECT_NE(fragment.find("<li><button type=\"button\" data-name=\"ctlDTMSearch\" data-hit=\"1\">"
                          "Rated travel | SC128Tr2/Par2 | Offline parameterization</button></li>"),
            std::string::npos)
      << fragment;

  // Enter in the search field, as the browser sends it after the text.
  const ApiResponse enter = Post("/api/event", {{"tab", "page-1"}, {"control", "ctlDTMSearch"},
                                                {"kind", "key"}, {"key", "Enter"}});
  EXPECT_EQ(enter.status, 200) << enter.body;
  const ApiResponse none = Post("/api/event", {{"tab", "page-1"}, {"control", "ctlDTMSearch"},
                                               {"kind", "choose"}, {"index", "3"}});
  EXPECT_EQ(none.status, 404);
  EXPECT_EQ(none.body, "{\"ok\":false,\"error\":\"the search has no hit 3\"}");

  const ApiResponse chosen = Post("/api/event", {{"tab", "page-1"}, {"control", "ctlDTMSearch"},
                                                 {"kind", "choose"}, {"index", "1"}});
  EXPECT_EQ(chosen.status, 200);
  EXPECT_EQ(chosen.body, "{\"ok\":true,\"tab\":\"page-2\"}");
  session_->Loop().RunFor(3s);
  EXPECT_NE(State().find("\"active\":\"page-2\""), std::string::npos);
  const std::string opened = Page("page-2");
  EXPECT_NE(opened.find("<span class=\"tab selected\" data-tab=\"3\">Ident. actuator / valve</span>"),
            std::string::npos)
      << opened;
  EXPECT_EQ(FieldValue(opened, "ctlIdent.ctlParameter(43)"), "15");
}

// What the browser is told of: the view the event stream's board follows.
// A read changes it not at all; a request that changes what is shown
// changes it once; a cyclic page changes it once a cycle.
TEST_F(LiveFrame, ReadsLeaveTheViewAsItIsAndChangesMoveItOnce) {
  Start("<Motion wLow=\"4.0\" wHigh=\"20.0\" period=\"60s\" lag=\"2s\"/>");
  Do("/api/open", {{"function", "7"}}, 5s);
  const std::string before = app_->View();
  EXPECT_NE(before.find("\"active\":\"page-1\""), std::string::npos) << before;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Get("/api/state").status, 200);
    EXPECT_EQ(Get("/api/page", {{"tab", "page-1"}}).status, 200);
    EXPECT_EQ(Get("/api/style").status, 200);
    session_->Loop().RunUntilIdle();
  }
  EXPECT_EQ(app_->View(), before);
  Do("/api/frame", {{"action", "language"}, {"value", "de"}}, 0s);
  EXPECT_NE(app_->View(), before);
}

TEST_F(LiveFrame, ACyclicPageIsAnnouncedOnceACycle) {
  Start("<Motion wLow=\"4.0\" wHigh=\"20.0\" period=\"60s\" lag=\"2s\"/>");
  Do("/api/open", {{"function", "4"}}, 8s);
  live::ViewAnnouncer announcer;
  // A pump's rounds, each after whatever was due; a cycle's answers come
  // a line time apart. The first cycle settles what was shown before.
  int told = 0;
  for (int step = 0; step < 440; ++step) {
    session_->Loop().RunFor(100ms);
    announcer.Look(app_->View(), clock_.Now());
    if (announcer.Due(clock_.Now()) && step >= 40) ++told;
  }
  EXPECT_EQ(told, 10) << "40 s of a page that reads every 4 s";
}

}  // namespace
}  // namespace dtm::testing
