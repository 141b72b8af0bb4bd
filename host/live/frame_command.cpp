#include "host/live/frame_command.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <utility>

#include "host/cli/exit_status.h"
#include "host/cli/session.h"
#include "host/frame/file_storage.h"
#include "host/live/frame_app.h"
#include "host/live/live_loop.h"
#include "host/live/live_messages.h"
#include "host/live/server.h"
#include "platform/com/property_bag.h"

namespace dtm::live {
namespace {

// The stop signals, blocked in the calling thread before any other thread
// starts: every thread started later inherits the mask, so only the
// watcher's sigwait ever takes them and no handler runs inside the DTM.
sigset_t BlockStopSignals() {
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  return stops;
}

// Takes the stop signals on a thread of its own and tells `on_stop` (on
// that thread) of each.
class StopSignals {
 public:
  StopSignals(const sigset_t& stops, std::function<void()> on_stop)
      : stops_(stops), on_stop_(std::move(on_stop)), thread_([this] { Watch(); }) {}
  ~StopSignals() {
    ending_ = true;
    // A signal for the watcher alone wakes its wait.
    pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  void Watch() {
    for (;;) {
      int signal = 0;
      if (sigwait(&stops_, &signal) != 0) continue;
      if (ending_) return;
      on_stop_();
    }
  }

  const sigset_t stops_;
  const std::function<void()> on_stop_;
  std::atomic<bool> ending_{false};
  std::thread thread_;
};

}  // namespace

int RunFrame(const FrameOptions& options, host::Console& console) {
  std::ostream& err = console.err;
  com::MemoryPropertyBag stored;
  if (options.load) frame::FileStorage(*options.load).Load(stored);
  const sigset_t stops = BlockStopSignals();

  LiveClock clock;
  Inbox inbox(clock);
  VersionBoard board;
  // The boxes keep the DTM's thread going through the pump, which needs
  // the session's loop: it is set once the session stands.
  LivePump* pump = nullptr;
  LiveMessages messages(
      err, [&pump](const std::function<bool()>& done) { pump->RunUntil(done); },
      [&pump] {
        if (pump) pump->Touch();
      });

  host::SessionSetup setup;
  setup.language = options.language;
  setup.err = &err;
  setup.clock = &clock;
  setup.messages = &messages;
  setup.on_device = console.on_device;
  host::Session session(setup);
  LivePump live_pump(session.Loop(), clock, inbox, board);
  pump = &live_pump;

  // The server runs before the DTM starts, so that a box the start asks is
  // answered in the browser; until the application stands its requests are
  // turned away.
  std::unique_ptr<FrameApp> app;
  LiveServer server(
      inbox, board,
      [&app](const ApiRequest& request) {
        return app ? app->Handle(request) : ErrorResponse(503, "the frame is starting");
      },
      LiveServer::NewToken());
  if (!server.Start(options.port)) {
    err << "vd4625 frame: cannot listen on 127.0.0.1:";
    if (options.port == 0) {
      err << "any port\n";
    } else {
      err << options.port << " (in use, or not this user's to take)\n";
    }
    return host::exit_status::kError;
  }
  console.out << server.Address() << std::endl;
  err << "vd4625 frame: open the address above in a web browser; Ctrl-C stops the frame\n";

  std::atomic<bool> stopping{false};
  // A box waiting for its answer holds the loop's thread in its own wait:
  // closing the boxes ends that wait, so the stop is seen.
  const StopSignals signals(stops, [&] {
    stopping = true;
    inbox.Post([&messages] { messages.CloseAll(); });
  });

  bool in_order = session.Start(options.load ? &stored : nullptr);
  if (in_order) {
    FrameAppSetup app_setup;
    app_setup.session = &session;
    app_setup.messages = &messages;
    app_setup.device_profile = options.device_profile;
    app_setup.offline = options.load.has_value() && !options.device_profile.has_value();
    app_setup.file = options.load;
    app = std::make_unique<FrameApp>(app_setup);
    // A device that cannot be put on the line leaves the frame running:
    // the user may connect it again. The refusal still counts at the end.
    in_order = app->Start();
    live_pump.SetView([&app] { return app->View(); });
    live_pump.RunUntil([&] { return stopping.load(); });
    err << "vd4625 frame: stopping\n";
  }
  messages.CloseAll();
  const bool released = app ? app->Shutdown() : session.Release();
  server.Stop();
  return in_order && released ? host::exit_status::kOk : host::exit_status::kError;
}

}  // namespace dtm::live
