#include "host/live/server.h"

#include <sys/random.h>
#include <sys/socket.h>

#include <httplib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>

#include "host/live/app_page.h"

namespace dtm::live {
namespace {

constexpr const char* kLocalAddress = "127.0.0.1";
// An idle event stream says so this often, so that a proxy or the browser
// does not take it for dead and the server notices a vanished client.
constexpr std::chrono::milliseconds kKeepAlive{5000};
// Each open event stream and each request waiting for the DTM holds a
// thread; a browser keeps a few of each.
constexpr std::size_t kThreads = 16;
// How long the stop waits for the event streams to write their end.
constexpr std::chrono::milliseconds kStreamsEnd{2000};

// The same time for every string of the token's length, so that an answer
// tells nothing of how much of a guess was right.
bool SameToken(const std::string& given, const std::string& token) {
  if (given.size() != token.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < token.size(); ++i) {
    difference |= static_cast<unsigned char>(given[i] ^ token[i]);
  }
  return difference == 0;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

// What the requests waiting for the DTM's thread share with the tasks that
// answer them; the tasks may outlive the server in the inbox.
struct Waiting {
  std::mutex mutex;
  bool stopped = false;
  std::uint64_t next_id = 0;
  std::map<std::uint64_t, std::shared_ptr<std::promise<ApiResponse>>> answers;
  LiveServer::Handler handler;
};

struct LiveServer::Impl {
  Impl(Inbox& to_loop, VersionBoard& changes, Handler handler, std::string access_token)
      : inbox(to_loop),
        board(changes),
        token(std::move(access_token)),
        waiting(std::make_shared<Waiting>()) {
    waiting->handler = std::move(handler);
  }

  bool Allowed(const httplib::Request& request) const {
    const std::string host = Lower(request.get_header_value("Host"));
    const std::string suffix = ":" + std::to_string(port);
    if (host != kLocalAddress + suffix && host != "localhost" + suffix) return false;
    const std::string given = request.has_param("token") ? request.get_param_value("token")
                                                         : request.get_header_value("X-Frame-Token");
    return SameToken(given, token);
  }

  ApiResponse Call(ApiRequest request) {
    auto answer = std::make_shared<std::promise<ApiResponse>>();
    std::future<ApiResponse> answered = answer->get_future();
    std::uint64_t id = 0;
    {
      const std::lock_guard lock(waiting->mutex);
      if (waiting->stopped) return ErrorResponse(503, "the frame is stopping");
      id = waiting->next_id++;
      waiting->answers.emplace(id, answer);
    }
    inbox.Post([waiting = waiting, id, request = std::move(request)] {
      {
        const std::lock_guard lock(waiting->mutex);
        if (waiting->stopped || !waiting->answers.contains(id)) return;
      }
      ApiResponse response;
      // A failing handler answers its request; it never ends the loop.
      try {
        response = waiting->handler(request);
      } catch (const std::exception& e) {
        response = ErrorResponse(500, e.what());
      } catch (...) {
        response = ErrorResponse(500, "unknown failure");
      }
      std::shared_ptr<std::promise<ApiResponse>> waiter;
      {
        const std::lock_guard lock(waiting->mutex);
        const auto it = waiting->answers.find(id);
        if (it == waiting->answers.end()) return;  // Stop answered it
        waiter = std::move(it->second);
        waiting->answers.erase(it);
      }
      waiter->set_value(std::move(response));
    });
    return answered.get();
  }

  void Events(httplib::Response& response) {
    response.set_header("Cache-Control", "no-store");
    {
      const std::lock_guard lock(streams_mutex);
      ++open_streams;
    }
    auto seen = std::make_shared<std::optional<std::uint64_t>>();
    response.set_chunked_content_provider(
        "text/event-stream",
        [this, seen](std::size_t, httplib::DataSink& sink) {
          std::uint64_t version = 0;
          if (!board.Closed()) {
            version = seen->has_value() ? board.WaitBeyond(**seen, kKeepAlive) : board.Version();
          }
          if (board.Closed()) {
            sink.done();
            return true;
          }
          std::string chunk = ": keep\n\n";
          if (!seen->has_value() || version > **seen) {
            chunk = "data: " + std::to_string(version) + "\n\n";
            *seen = version;
          }
          return sink.write(chunk.data(), chunk.size());
        },
        // Once the stream's last byte is written, or it failed.
        [this](bool) {
          {
            const std::lock_guard lock(streams_mutex);
            --open_streams;
          }
          streams_ended.notify_all();
        });
  }

  void Routes() {
    server.new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
    // The library's default lets a second server share a port that is in
    // use (SO_REUSEPORT); a frame takes its port alone, or fails.
    server.set_socket_options([](socket_t sock) {
      const int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // The token rides in the address; the page must not hand it on.
    server.set_default_headers({{"Referrer-Policy", "no-referrer"},
                                {"X-Content-Type-Options", "nosniff"},
                                {"Cache-Control", "no-store"}});
    // Before any route: a request without the token, or one for another
    // host name (a page elsewhere whose name was pointed at this address),
    // reaches nothing.
    server.set_pre_routing_handler([this](const httplib::Request& request,
                                          httplib::Response& response) {
      if (Allowed(request)) return httplib::Server::HandlerResponse::Unhandled;
      response.status = 403;
      response.set_content("forbidden\n", "text/plain; charset=utf-8");
      return httplib::Server::HandlerResponse::Handled;
    });
    server.Get("/", [](const httplib::Request&, httplib::Response& response) {
      const std::string_view page = AppPage();
      response.set_content(page.data(), page.size(), "text/html; charset=utf-8");
    });
    server.Get("/api/events", [this](const httplib::Request&, httplib::Response& response) {
      Events(response);
    });
    const auto api = [this](const httplib::Request& request, httplib::Response& response) {
      ApiRequest call;
      call.method = request.method;
      call.path = request.path;
      // The query's fields and, for a form, the body's; the first of a
      // repeated name counts.
      for (const auto& [name, value] : request.params) {
        if (name != "token") call.params.emplace(name, value);
      }
      const ApiResponse answer = Call(std::move(call));
      response.status = answer.status;
      response.set_content(answer.body, answer.content_type);
    };
    server.Get("/api/.+", api);
    server.Post("/api/.+", api);
  }

  Inbox& inbox;
  VersionBoard& board;
  const std::string token;
  std::shared_ptr<Waiting> waiting;
  httplib::Server server;
  std::thread thread;
  std::uint16_t port = 0;
  bool stopped = false;
  std::atomic<bool> listen_ended{false};
  std::mutex streams_mutex;
  std::condition_variable streams_ended;
  int open_streams = 0;  // event streams not yet written to their end
};

LiveServer::LiveServer(Inbox& inbox, VersionBoard& board, Handler handler, std::string token)
    : impl_(std::make_unique<Impl>(inbox, board, std::move(handler), std::move(token))) {
  impl_->Routes();
}

LiveServer::~LiveServer() { Stop(); }

bool LiveServer::Start(std::uint16_t port) {
  Impl& impl = *impl_;
  if (impl.thread.joinable() || impl.stopped) return false;
  if (port == 0) {
    const int bound = impl.server.bind_to_any_port(kLocalAddress);
    if (bound <= 0) return false;
    impl.port = static_cast<std::uint16_t>(bound);
  } else {
    if (!impl.server.bind_to_port(kLocalAddress, port)) return false;
    impl.port = port;
  }
  impl.thread = std::thread([&impl] {
    impl.server.listen_after_bind();
    impl.listen_ended = true;
  });
  // A stop before the server runs would be lost and leave it running: the
  // server is running once Start returns.
  while (!impl.server.is_running() && !impl.listen_ended) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

std::uint16_t LiveServer::Port() const { return impl_->port; }

std::string LiveServer::Address() const {
  return std::string("http://") + kLocalAddress + ":" + std::to_string(impl_->port) +
         "/?token=" + impl_->token;
}

void LiveServer::Stop() {
  Impl& impl = *impl_;
  if (impl.stopped) return;
  impl.stopped = true;
  std::map<std::uint64_t, std::shared_ptr<std::promise<ApiResponse>>> unanswered;
  {
    const std::lock_guard lock(impl.waiting->mutex);
    impl.waiting->stopped = true;
    unanswered.swap(impl.waiting->answers);
  }
  for (auto& [id, answer] : unanswered) {
    answer->set_value(ErrorResponse(503, "the frame is stopping"));
  }
  // The event streams wait on the board; closing it lets them end. They
  // are let finish before the server stops, which would cut them short of
  // their last chunk, so that the browser sees an ended stream, not a
  // broken one. A client that takes nothing is not waited for long.
  impl.board.Close();
  {
    std::unique_lock lock(impl.streams_mutex);
    impl.streams_ended.wait_for(lock, kStreamsEnd, [&impl] { return impl.open_streams == 0; });
  }
  impl.server.stop();
  if (impl.thread.joinable()) impl.thread.join();
}

std::string LiveServer::NewToken() {
  unsigned char bytes[16];
  std::size_t filled = 0;
  while (filled < sizeof bytes) {
    const ssize_t got = getrandom(bytes + filled, sizeof bytes - filled, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("the system's random source failed");
    }
    filled += static_cast<std::size_t>(got);
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string token;
  for (const unsigned char byte : bytes) {
    token += kDigits[byte >> 4];
    token += kDigits[byte & 0x0f];
  }
  return token;
}

}  // namespace dtm::live
