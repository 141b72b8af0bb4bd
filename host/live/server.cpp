#include "host/live/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "host/live/app_page.h"
#include "host/live/http_wire.h"

namespace dtm::live {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kLocalAddress = "127.0.0.1";
// An idle event stream says so this often, so that a proxy or the browser
// does not take it for dead and the server notices a vanished client.
constexpr std::chrono::milliseconds kKeepAlive{5000};
constexpr std::size_t kMaxHead = 16 * 1024;
// What a connection may have sent before its request is whole: a chunked
// body carries a few bytes of its own per chunk.
constexpr std::size_t kMaxInput = kMaxHead + 2 * LiveServer::kMaxBody;
// A browser keeps about six connections and a stream per tab; the rest
// would only hold descriptors. One more is closed at once.
constexpr std::size_t kMaxConnections = 64;
// After an answer that closes the connection, what the client still sends
// is read and dropped for this long, so that closing does not reset the
// connection under the answer before the client has read it.
constexpr std::chrono::milliseconds kLinger{500};
// How long the stop lets the last answers and the streams' ends leave.
constexpr std::chrono::milliseconds kStopFlush{500};
// A full descriptor table: accepting waits this long before it tries again.
constexpr std::chrono::milliseconds kAcceptPause{100};

const std::string kEndOfStream = "0\r\n\r\n";

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

std::string Chunk(const std::string& data) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string size;
  for (std::size_t n = data.size(); n > 0; n /= 16) size.insert(size.begin(), kDigits[n % 16]);
  return size + "\r\n" + data + "\r\n";
}

int MillisUntil(Clock::time_point now, Clock::time_point then) {
  if (then <= now) return 0;
  // Rounded up: a wait that ends early would only wake the thread twice.
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(then - now).count();
  return static_cast<int>(std::min<long long>(left, 60'000));
}

}  // namespace

// What the requests waiting for the DTM's thread share with the tasks that
// answer them; the tasks may outlive the server in the inbox.
struct Waiting {
  ~Waiting() {
    if (wake >= 0) close(wake);
  }
  // Any thread: the server's thread looks at what changed.
  void Wake() const {
    const std::uint64_t one = 1;
    // Fails only when the counter is full, which means a wake is due anyway.
    if (write(wake, &one, sizeof one) < 0) return;
  }

  std::mutex mutex;
  bool stopped = false;
  std::uint64_t next_id = 1;
  std::set<std::uint64_t> asked;  // posted to the loop, not answered yet
  std::vector<std::pair<std::uint64_t, ApiResponse>> answered;  // for the server's thread
  LiveServer::Handler handler;
  int wake = -1;  // an eventfd the server's thread polls
};

struct LiveServer::Impl {
  struct Connection {
    enum class Phase {
      kReading,    // a request is arriving, by `deadline`
      kCalling,    // the loop makes its answer
      kAnswering,  // the answer leaves, by `deadline`
      kStream,     // an event stream; what is written leaves by `deadline`
      kLingering,  // the last answer left; closed at the client's end or `deadline`
    };
    int fd = -1;
    Phase phase = Phase::kReading;
    Clock::time_point deadline;
    std::string in;
    std::string out;
    std::size_t sent = 0;
    bool close_after = false;  // once `out` has left
    bool continued = false;    // "100 Continue" was sent for this request
    bool peer_gone = false;    // the client closed its side while it waited
    bool keep_alive = false;   // the request's wish, for its answer
    std::uint64_t call = 0;
    // An event stream's.
    std::uint64_t seen = 0;
    bool ending = false;
    Clock::time_point quiet_since;
  };
  using Phase = Connection::Phase;

  Impl(Inbox& to_loop, VersionBoard& changes, Handler handler, std::string access_token)
      : inbox(to_loop), board(changes), token(std::move(access_token)), waiting(std::make_shared<Waiting>()) {
    waiting->handler = std::move(handler);
    waiting->wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (waiting->wake < 0) throw std::runtime_error("the frame's server cannot make its wake-up");
  }
  ~Impl() {
    if (listener >= 0) close(listener);
  }

  // ---- the requests ----

  bool Allowed(const HttpRequest& request) const {
    const std::string host = Lower(request.Header("host"));
    const std::string suffix = ":" + std::to_string(port);
    if (host != kLocalAddress + suffix && host != "localhost" + suffix) return false;
    const std::optional<std::string> param = request.Param("token");
    return SameToken(param ? *param : request.Header("x-frame-token"), token);
  }

  void Answer(Connection& c, int status, const std::string& content_type, std::string body, bool close) {
    if (content_type.starts_with("application/json")) body = ValidUtf8(body);
    const bool keep = c.keep_alive && !close && !c.peer_gone && !stop_begun;
    c.out += HttpHead(status, content_type, body.size(), keep);
    c.out += body;
    c.phase = Phase::kAnswering;
    c.close_after = !keep;
    c.deadline = Clock::now() + kRequestTime;
  }

  void AnswerText(Connection& c, int status, bool close = false) {
    Answer(c, status, "text/plain; charset=utf-8", Lower(StatusText(status)) + "\n", close);
  }

  void Route(Connection& c, const HttpRequest& request) {
    c.keep_alive = request.keep_alive;
    // Before anything else: a request without the token, or one for another
    // host name (a page elsewhere whose name was pointed at this address),
    // reaches nothing.
    if (!Allowed(request)) return AnswerText(c, 403);
    const bool get = request.method == "GET";
    if (!get && request.method != "POST") return AnswerText(c, 501);
    if (get && request.path == "/") {
      return Answer(c, 200, "text/html; charset=utf-8", std::string(AppPage()), false);
    }
    if (get && request.path == "/api/events") return OpenStream(c);
    if (request.path.starts_with("/api/") && request.path.size() > 5) return Call(c, request);
    AnswerText(c, 404);
  }

  void Call(Connection& c, const HttpRequest& request) {
    ApiRequest call;
    call.method = request.method;
    call.path = request.path;
    // The query's fields and, for a form, the body's; the first of a
    // repeated name counts.
    for (const auto& [name, value] : request.params) {
      if (name != "token") call.params.emplace(name, value);
    }
    std::uint64_t id = 0;
    {
      const std::lock_guard lock(waiting->mutex);
      if (waiting->stopped) {
        return Answer(c, 503, "application/json; charset=utf-8",
                      ErrorResponse(503, "the frame is stopping").body, true);
      }
      id = waiting->next_id++;
      waiting->asked.insert(id);
    }
    c.phase = Phase::kCalling;
    c.call = id;
    inbox.Post([waiting = waiting, id, call = std::move(call)] {
      {
        const std::lock_guard lock(waiting->mutex);
        if (waiting->stopped || !waiting->asked.contains(id)) return;
      }
      ApiResponse response;
      // A failing handler answers its request; it never ends the loop.
      try {
        response = waiting->handler(call);
      } catch (const std::exception& e) {
        response = ErrorResponse(500, e.what());
      } catch (...) {
        response = ErrorResponse(500, "unknown failure");
      }
      {
        const std::lock_guard lock(waiting->mutex);
        if (waiting->asked.erase(id) == 0) return;  // the stop answered it
        waiting->answered.emplace_back(id, std::move(response));
      }
      waiting->Wake();
    });
  }

  void TakeAnswers() {
    std::vector<std::pair<std::uint64_t, ApiResponse>> answered;
    {
      const std::lock_guard lock(waiting->mutex);
      answered.swap(waiting->answered);
    }
    for (auto& [id, response] : answered) {
      for (Connection& c : connections) {
        if (c.fd >= 0 && c.phase == Phase::kCalling && c.call == id) {
          Answer(c, response.status, response.content_type, std::move(response.body), false);
          Advance(c);
          break;
        }
      }
    }
  }

  // ---- the event streams ----

  void OpenStream(Connection& c) {
    const auto open = std::count_if(connections.begin(), connections.end(), [](const Connection& other) {
      return other.fd >= 0 && other.phase == Phase::kStream;
    });
    if (static_cast<std::size_t>(open) >= kMaxStreams) {
      return Answer(c, 503, "application/json; charset=utf-8",
                    ErrorResponse(503, "too many event streams are open").body, false);
    }
    c.phase = Phase::kStream;
    c.in.clear();
    c.seen = board.Version();
    c.ending = false;
    Write(c, HttpHead(200, "text/event-stream", std::nullopt, false) +
                 Chunk("data: " + std::to_string(c.seen) + "\n\n"));
    if (board.Closed() || stop_begun) EndStream(c);
  }

  // Adds to a stream's output; what is written must leave in time.
  void Write(Connection& c, const std::string& bytes) {
    const Clock::time_point now = Clock::now();
    if (c.out.empty()) c.deadline = now + kRequestTime;
    c.out += bytes;
    c.quiet_since = now;
  }

  void EndStream(Connection& c) {
    if (c.ending) return;
    Write(c, kEndOfStream);
    c.ending = true;
    c.close_after = true;
  }

  void TellStreams(Clock::time_point now) {
    const std::uint64_t version = board.Version();
    const bool closed = board.Closed();
    for (Connection& c : connections) {
      if (c.fd < 0 || c.phase != Phase::kStream || c.ending) continue;
      if (closed || stop_begun) {
        EndStream(c);
      } else if (version > c.seen) {
        c.seen = version;
        Write(c, Chunk("data: " + std::to_string(version) + "\n\n"));
      } else if (now - c.quiet_since >= kKeepAlive) {
        Write(c, Chunk(": keep\n\n"));
      } else {
        continue;
      }
      Advance(c);
    }
  }

  // ---- the connections ----

  void Close(Connection& c) {
    if (c.fd < 0) return;
    close(c.fd);
    c.fd = -1;
  }

  // Sends what waits; false when the connection failed (it is closed).
  bool Flush(Connection& c) {
    while (c.sent < c.out.size()) {
      const ssize_t n = send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL);
      if (n < 0) {
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
        Close(c);
        return false;
      }
      c.sent += static_cast<std::size_t>(n);
    }
    c.out.clear();
    c.sent = 0;
    return true;
  }

  void Linger(Connection& c) {
    if (stop_begun) return Close(c);
    shutdown(c.fd, SHUT_WR);
    c.phase = Phase::kLingering;
    c.deadline = Clock::now() + kLinger;
  }

  // Takes in what arrived; false when the client closed its side or the
  // connection failed.
  bool Receive(Connection& c) {
    char buffer[16 * 1024];
    for (;;) {
      const ssize_t n = recv(c.fd, buffer, sizeof buffer, 0);
      if (n > 0) {
        // Only a request being read keeps its bytes.
        if (c.phase == Phase::kReading) c.in.append(buffer, static_cast<std::size_t>(n));
        if (c.phase == Phase::kReading && c.in.size() > kMaxInput) return true;
        continue;
      }
      if (n == 0) return false;
      if (errno == EINTR) continue;
      return errno == EAGAIN || errno == EWOULDBLOCK;
    }
  }

  // Moves the connection on as far as what it holds allows: sends what
  // waits, then reads the next request from what arrived.
  void Advance(Connection& c) {
    while (c.fd >= 0) {
      if (!c.out.empty()) {
        if (!Flush(c) || !c.out.empty()) return;
        if (c.close_after) return Linger(c);
        if (c.phase == Phase::kAnswering) {
          c.phase = Phase::kReading;
          c.deadline = Clock::now() + kRequestTime;
        }
      }
      if (c.phase != Phase::kReading) return;
      HttpParse parse = ParseHttpRequest(c.in, kMaxHead, kMaxBody);
      if (parse.kind == HttpParse::Kind::kIncomplete) {
        if (c.in.size() > kMaxInput) {
          AnswerText(c, 413, true);
          continue;
        }
        if (parse.wants_continue && !c.continued) {
          c.continued = true;
          c.out += "HTTP/1.1 100 Continue\r\n\r\n";
          if (!Flush(c)) return;
        }
        return;
      }
      if (parse.kind == HttpParse::Kind::kRefused) {
        AnswerText(c, parse.status, true);
        continue;
      }
      c.in.erase(0, parse.consumed);
      c.continued = false;
      Route(c, parse.request);
    }
  }

  void Accept(Clock::time_point now) {
    for (;;) {
      const int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
          accept_paused_until = now + kAcceptPause;
        }
        return;
      }
      const auto open = std::count_if(connections.begin(), connections.end(),
                                      [](const Connection& c) { return c.fd >= 0; });
      if (static_cast<std::size_t>(open) >= kMaxConnections) {
        close(fd);
        continue;
      }
      // An answer leaves as it is written, not after the client's delayed
      // acknowledgement of the one before.
      const int yes = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
      Connection c;
      c.fd = fd;
      c.deadline = now + kRequestTime;
      connections.push_back(std::move(c));
    }
  }

  // Closes what ran out of time.
  void Expire(Clock::time_point now) {
    for (Connection& c : connections) {
      if (c.fd < 0) continue;
      const bool timed = c.phase == Phase::kReading || c.phase == Phase::kAnswering ||
                         c.phase == Phase::kLingering || (c.phase == Phase::kStream && !c.out.empty());
      if (timed && now >= c.deadline) Close(c);
    }
  }

  void BeginStop(Clock::time_point now) {
    stop_begun = true;
    stop_deadline = now + kStopFlush;
    if (listener >= 0) {
      close(listener);
      listener = -1;
    }
    TakeAnswers();
    for (Connection& c : connections) {
      if (c.fd < 0) continue;
      if (c.phase == Phase::kReading || c.phase == Phase::kLingering) {
        Close(c);
      } else if (c.phase == Phase::kCalling) {
        Answer(c, 503, "application/json; charset=utf-8", ErrorResponse(503, "the frame is stopping").body, true);
        Advance(c);
      } else if (c.phase == Phase::kAnswering) {
        c.close_after = true;
      }
    }
    TellStreams(now);
  }

  void Serve() {
    std::vector<pollfd> polled;
    for (;;) {
      Clock::time_point now = Clock::now();
      if (stopping && !stop_begun) BeginStop(now);
      std::erase_if(connections, [](const Connection& c) { return c.fd < 0; });
      if (stop_begun && (connections.empty() || now >= stop_deadline)) break;

      Clock::time_point wake_at = now + std::chrono::seconds(60);
      polled.clear();
      polled.push_back({waiting->wake, POLLIN, 0});
      const bool accepting = listener >= 0 && now >= accept_paused_until;
      polled.push_back({accepting ? listener : -1, POLLIN, 0});
      if (listener >= 0 && !accepting) wake_at = std::min(wake_at, accept_paused_until);
      if (stop_begun) wake_at = std::min(wake_at, stop_deadline);
      for (const Connection& c : connections) {
        short events = 0;
        switch (c.phase) {
          case Phase::kReading:
          case Phase::kLingering:
          case Phase::kStream:
            events = POLLIN;
            break;
          case Phase::kCalling:
            events = c.peer_gone ? 0 : POLLRDHUP;
            break;
          case Phase::kAnswering:
            break;
        }
        if (!c.out.empty()) events |= POLLOUT;
        polled.push_back({c.fd, events, 0});
        if (c.phase != Phase::kCalling && (c.phase != Phase::kStream || !c.out.empty())) {
          wake_at = std::min(wake_at, c.deadline);
        }
        if (c.phase == Phase::kStream && !c.ending) wake_at = std::min(wake_at, c.quiet_since + kKeepAlive);
      }

      const int ready = poll(polled.data(), polled.size(), MillisUntil(now, wake_at));
      if (ready < 0 && errno != EINTR) break;
      now = Clock::now();
      if (polled[0].revents != 0) {
        std::uint64_t count = 0;
        while (read(waiting->wake, &count, sizeof count) > 0) {
        }
      }
      const std::size_t known = connections.size();
      for (std::size_t i = 0; i < known; ++i) {
        Connection& c = connections[i];
        const short revents = polled[i + 2].revents;
        if (c.fd < 0 || revents == 0) continue;
        if (c.phase == Phase::kCalling) {
          // The client closed its side; its answer is still written, then
          // the connection closed.
          if (revents & (POLLHUP | POLLERR)) {
            Close(c);
          } else {
            c.peer_gone = true;
          }
          continue;
        }
        if ((revents & (POLLIN | POLLHUP | POLLERR)) && !Receive(c)) {
          // Nothing more will come: a request that arrived whole is still
          // answered, then the connection ends.
          if (c.phase == Phase::kReading) {
            c.peer_gone = true;
            Advance(c);
            if (c.fd >= 0 && c.phase == Phase::kReading) Close(c);
          } else {
            Close(c);
          }
          continue;
        }
        Advance(c);
      }
      TakeAnswers();
      TellStreams(now);
      if (polled[1].revents != 0) Accept(now);
      Expire(now);
    }
    for (Connection& c : connections) Close(c);
    connections.clear();
  }

  // Tells the server's thread whenever the board moves (or closes).
  void WatchBoard() {
    std::uint64_t told = board.Version();
    while (!board.Closed()) {
      const std::uint64_t version = board.WaitBeyond(told, kKeepAlive);
      if (version != told) {
        told = version;
        waiting->Wake();
      }
    }
    waiting->Wake();
  }

  Inbox& inbox;
  VersionBoard& board;
  const std::string token;
  std::shared_ptr<Waiting> waiting;
  int listener = -1;
  std::uint16_t port = 0;
  bool stopped = false;  // Stop ran (the caller's thread)
  std::atomic<bool> stopping{false};
  std::thread thread;
  std::thread watcher;
  // The server's thread alone.
  std::vector<Connection> connections;
  bool stop_begun = false;
  Clock::time_point stop_deadline;
  Clock::time_point accept_paused_until;
};

LiveServer::LiveServer(Inbox& inbox, VersionBoard& board, Handler handler, std::string token)
    : impl_(std::make_unique<Impl>(inbox, board, std::move(handler), std::move(token))) {}

LiveServer::~LiveServer() { Stop(); }

bool LiveServer::Start(std::uint16_t port) {
  Impl& impl = *impl_;
  if (impl.thread.joinable() || impl.stopped) return false;
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // A frame takes its port alone, or fails; a port left in TIME_WAIT by a
  // frame before is taken again.
  const int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  inet_pton(AF_INET, kLocalAddress, &address.sin_addr);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(fd, SOMAXCONN) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return false;
  }
  impl.listener = fd;
  impl.port = ntohs(address.sin_port);
  impl.thread = std::thread([&impl] { impl.Serve(); });
  impl.watcher = std::thread([&impl] { impl.WatchBoard(); });
  return true;
}

std::uint16_t LiveServer::Port() const { return impl_->port; }

std::string LiveServer::Address() const {
  return std::string("http://") + kLocalAddress + ":" + std::to_string(impl_->port) + "/?token=" + impl_->token;
}

void LiveServer::Stop() {
  Impl& impl = *impl_;
  if (impl.stopped) return;
  impl.stopped = true;
  {
    const std::lock_guard lock(impl.waiting->mutex);
    impl.waiting->stopped = true;
    for (const std::uint64_t id : impl.waiting->asked) {
      impl.waiting->answered.emplace_back(id, ErrorResponse(503, "the frame is stopping"));
    }
    impl.waiting->asked.clear();
  }
  // The event streams end with the board: the browser sees an ended
  // stream, not a broken one.
  impl.board.Close();
  impl.stopping = true;
  impl.waiting->Wake();
  if (impl.thread.joinable()) impl.thread.join();
  if (impl.watcher.joinable()) impl.watcher.join();
  if (impl.listener >= 0) {
    close(impl.listener);
    impl.listener = -1;
  }
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
