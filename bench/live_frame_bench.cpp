// What a browser tab costs the live frame, and what the trend holds after a
// long recording. Nothing is asserted; the figures are printed.
//
// - Requests: the frame's server on 127.0.0.1 with a handler on a loop
//   thread of its own (as the DTM's), answering a 2 KB JSON text; one
//   kept-alive connection asks one request after the other. Requests per
//   second, p50 and p99 of the time from the request's first byte sent to
//   the answer's last byte read; then the same with a new connection for
//   each request, for comparison.
// - Events: the frame's application on the simulated device and the
//   virtual clock, its view looked at after every 100 ms of device time
//   as the pump does after its rounds; every event is followed by the
//   reads a browser tab makes (the state, the page shown), which must
//   cause none. Events per minute of device time on a quiet page (the
//   online parameters, 7) and on the measured values (4), which reads the
//   device every cycle.
// - Trend: the chart as the trend page drives it, four curves, one sample
//   each 4 s, following a 120 s window: the bytes the allocator holds for
//   it and the size of its view (the samples of every curve the renderers
//   get) after 1 h and 24 h of device time.

#include <malloc.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/cli/session.h"
#include "host/live/frame_app.h"
#include "host/live/live_loop.h"
#include "host/live/live_messages.h"
#include "host/live/server.h"
#include "platform/controls/trend.h"
#include "platform/forms/state.h"
#include "platform/loop/clock.h"
#include "platform/loop/event_loop.h"

namespace {

using namespace dtm;
using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

// ---- requests -----------------------------------------------------------------

int Connect(std::uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  inet_pton(AF_INET, "127.0.0.1", &target.sin_addr);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Sends `request` and reads one answer with a Content-Length; false when
// the connection failed.
bool Ask(int fd, const std::string& request, std::string& buffer) {
  if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) return false;
  buffer.clear();
  char chunk[8192];
  for (;;) {
    const std::size_t head = buffer.find("\r\n\r\n");
    if (head != std::string::npos) {
      const std::size_t field = buffer.find("Content-Length: ");
      const std::size_t body = field < head ? std::stoul(buffer.substr(field + 16)) : 0;
      if (buffer.size() >= head + 4 + body) return true;
    }
    const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<std::size_t>(n));
  }
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const std::size_t at = std::min(values.size() - 1, static_cast<std::size_t>(p * static_cast<double>(values.size())));
  return values[at];
}

void Requests() {
  live::LiveClock clock;
  loop::EventLoop loop(clock);
  live::Inbox inbox(clock);
  live::VersionBoard board;
  live::LivePump pump(loop, clock, inbox, board);
  const std::string token = "0123456789abcdef0123456789abcdef";
  const std::string body = "{\"ok\":true,\"text\":\"" + std::string(2000, 'x') + "\"}";
  live::LiveServer server(
      inbox, board,
      [&](const live::ApiRequest&) {
        live::ApiResponse response;
        response.body = body;
        return response;
      },
      token);
  if (!server.Start(0)) {
    std::printf("requests: the server cannot listen\n");
    return;
  }
  std::atomic<bool> done{false};
  std::thread loop_thread([&] { pump.RunUntil([&] { return done.load(); }); });
  const std::string request = "GET /api/state?token=" + token + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                              std::to_string(server.Port()) + "\r\n\r\n";
  const auto measure = [&](const char* name, bool kept_alive, int count) {
    std::vector<double> spans;
    std::string buffer;
    int fd = kept_alive ? Connect(server.Port()) : -1;
    const auto start = SteadyClock::now();
    for (int i = 0; i < count; ++i) {
      const auto asked = SteadyClock::now();
      if (!kept_alive) fd = Connect(server.Port());
      if (fd < 0 || !Ask(fd, request, buffer)) {
        std::printf("%s: request %d failed\n", name, i);
        break;
      }
      if (!kept_alive) {
        close(fd);
        fd = -1;
      }
      spans.push_back(std::chrono::duration<double, std::milli>(SteadyClock::now() - asked).count());
    }
    const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    if (fd >= 0) close(fd);
    if (spans.empty()) return;
    std::printf("%-38s %8.0f requests/s   p50 %6.3f ms   p99 %6.3f ms   (%zu requests)\n", name,
                static_cast<double>(spans.size()) / seconds, Percentile(spans, 0.5), Percentile(spans, 0.99),
                spans.size());
  };
  measure("one kept-alive connection", true, 5000);
  measure("a new connection per request", false, 2000);
  done = true;
  clock.Wake();
  loop_thread.join();
  server.Stop();
}

// ---- events -------------------------------------------------------------------

int EventsPerMinute(int function) {
  loop::VirtualClock clock;
  std::ostringstream err;
  host::Session* session_of = nullptr;
  live::LiveMessages messages(err, [&](const std::function<bool()>& done) {
    // No box is expected here; one that comes is closed.
    if (!done() && session_of) session_of->Loop().RunUntilIdle();
    if (!done()) messages.CloseAll();
  });
  host::SessionSetup setup;
  setup.language = 9;
  setup.err = &err;
  setup.clock = &clock;
  setup.messages = &messages;
  host::Session session(setup);
  session_of = &session;
  if (!session.Start()) return -1;
  live::FrameAppSetup app_setup;
  app_setup.session = &session;
  app_setup.messages = &messages;
  live::FrameApp app(app_setup);
  if (!app.Start()) return -1;
  const live::ApiResponse opened = app.Handle({"POST", "/api/open", {{"function", std::to_string(function)}}});
  if (opened.status != 200) return -1;
  const std::string tab = opened.body.substr(opened.body.find("\"tab\":\"") + 7,
                                             opened.body.rfind('"') - opened.body.find("\"tab\":\"") - 7);
  live::ViewAnnouncer announcer;
  // The page settles first.
  for (int step = 0; step < 100; ++step) {
    session.Loop().RunFor(100ms);
    announcer.Look(app.View(), clock.Now());
    announcer.Due(clock.Now());
  }
  int events = 0;
  for (int step = 0; step < 600; ++step) {  // 60 s
    session.Loop().RunFor(100ms);
    announcer.Look(app.View(), clock.Now());
    if (!announcer.Due(clock.Now())) continue;
    ++events;
    // The tab reads what changed; its reads must announce nothing.
    app.Handle({"GET", "/api/state", {}});
    app.Handle({"GET", "/api/page", {{"tab", tab}}});
    session.Loop().RunUntilIdle();
    announcer.Look(app.View(), clock.Now());
  }
  app.Shutdown();
  return events;
}

// ---- trend --------------------------------------------------------------------

std::size_t BytesInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

std::size_t ViewSize(const controls::Trend& trend) {
  forms::ControlState state;
  trend.Describe(state);
  std::size_t size = 0;
  for (int c = 0; c < 4; ++c) size += state.Attribute("curve." + std::to_string(c) + ".samples").size();
  return size;
}

void TrendAfter() {
  const std::size_t before = BytesInUse();
  auto trend = std::make_unique<controls::Trend>();
  const double start = 1'765'000'000;
  trend->SetXViewMin(0, start);
  trend->SetXViewMax(0, start + 120);
  trend->SetFollowMode(true);
  const int hour = 900;  // samples of 4 s
  for (int n = 1; n <= 24 * hour; ++n) {
    trend->SetSampleTime(0, start + 4.0 * n);
    for (int c = 0; c < 4; ++c) trend->SampleValue(c, 40.0 + (n % 97) * 0.1 + c);
    if (n == hour || n == 24 * hour) {
      std::size_t samples = 0;
      for (int c = 0; c < 4; ++c) samples += trend->GetState().curves[static_cast<std::size_t>(c)].samples.size();
      std::printf("trend after %2d h: %8zu bytes held, %5zu samples, %4zu calls recorded, view %6zu bytes\n",
                  n / hour, BytesInUse() - before, samples, trend->Calls().size(), ViewSize(*trend));
    }
  }
}

}  // namespace

int main() {
  // A registry of the bench's own, so that nothing of the user's is read.
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("live_frame_bench." + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  setenv("VD4625_REGISTRY", (folder / "registry.reg").c_str(), 1);
  setenv("VD4625_INSTALL", VD_BENCH_INSTALL_DIR, 1);

  Requests();
  std::printf("events per minute, one reader, quiet page (7): %d\n", EventsPerMinute(7));
  std::printf("events per minute, one reader, page 4:         %d\n", EventsPerMinute(4));
  TrendAfter();
  std::filesystem::remove_all(folder);
  return 0;
}
