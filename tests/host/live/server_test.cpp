// The frame's web server, on a loop thread of the test's own: who gets in,
// what reaches the DTM's thread, the event stream and the stop.

#include "host/live/server.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "host/live/app_page.h"

namespace dtm::live {
namespace {

using namespace std::chrono_literals;

constexpr auto kLost = 60s;
const std::string kToken = "0123456789abcdef0123456789abcdef";

std::string Joined(const std::map<std::string, std::string>& params) {
  std::string text;
  for (const auto& [name, value] : params) text += name + "=" + value + ";";
  return text;
}

// A server whose handler records what reached it and on which thread.
class LiveServerTest : public ::testing::Test {
 protected:
  LiveServerTest() {
    server_ = std::make_unique<LiveServer>(
        inbox_, board_,
        [this](const ApiRequest& request) {
          ++calls_;
          handler_thread_ = std::this_thread::get_id();
          if (request.path == "/api/fail") throw std::runtime_error("handler failed");
          ApiResponse response;
          if (request.path == "/api/json") {
            // A handler that quotes what it was given as it came.
            const auto x = request.params.find("x");
            response.body = "{\"echo\":\"" + (x == request.params.end() ? "" : x->second) + "\"}";
            return response;
          }
          response.status = 202;
          response.content_type = "text/x-echo";
          response.body = request.method + " " + request.path + " " + Joined(request.params);
          return response;
        },
        kToken);
  }
  ~LiveServerTest() override {
    StopPump();
    server_->Stop();
  }

  void SetUp() override { ASSERT_TRUE(server_->Start(0)); }

  // The loop's thread, pumping until the test ends.
  void StartPump() {
    pump_thread_ = std::thread([this] {
      loop_thread_ = std::this_thread::get_id();
      pump_.RunUntil([this] { return pump_done_.load(); });
    });
  }
  void StopPump() {
    if (!pump_thread_.joinable()) return;
    pump_done_ = true;
    clock_.Wake();
    pump_thread_.join();
  }

  httplib::Client Client() const {
    httplib::Client client("127.0.0.1", server_->Port());
    client.set_read_timeout(kLost);
    return client;
  }
  std::string WithToken(const std::string& path) const {
    return path + (path.find('?') == std::string::npos ? "?" : "&") + "token=" + kToken;
  }

  LiveClock clock_;
  loop::EventLoop loop_{clock_};
  Inbox inbox_{clock_};
  VersionBoard board_;
  LivePump pump_{loop_, clock_, inbox_, board_};
  std::unique_ptr<LiveServer> server_;
  std::atomic<int> calls_{0};
  std::thread::id handler_thread_;
  std::thread::id loop_thread_;
  std::thread pump_thread_;
  std::atomic<bool> pump_done_{false};
};

TEST_F(LiveServerTest, AddressNamesTheLocalPortAndTheToken) {
  EXPECT_NE(server_->Port(), 0);
  EXPECT_EQ(server_->Address(),
            "http://127.0.0.1:" + std::to_string(server_->Port()) + "/?token=" + kToken);
}

struct Refusal {
  const char* name;
  std::string path;
  httplib::Headers headers;  // "PORT" in a value stands for the server's port
};

class RefusedRequest : public LiveServerTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedRequest, IsForbiddenAndReachesNothing) {
  StartPump();
  httplib::Headers headers;
  for (auto [name, value] : GetParam().headers) {
    if (const auto at = value.find("PORT"); at != std::string::npos) {
      value.replace(at, 4, std::to_string(server_->Port()));
    }
    headers.emplace(name, value);
  }
  httplib::Client client = Client();
  const auto got = client.Get(GetParam().path, headers);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->status, 403);
  const auto posted = client.Post(GetParam().path, headers, "a=1", "application/x-www-form-urlencoded");
  ASSERT_TRUE(posted);
  EXPECT_EQ(posted->status, 403);
  EXPECT_EQ(calls_, 0);
}

const Refusal kRefusals[] = {
    {"NoToken", "/api/state", {}},
    {"NoTokenForThePage", "/", {}},
    {"NoTokenForTheEvents", "/api/events", {}},
    {"NoTokenForAnUnknownPath", "/elsewhere", {}},
    {"WrongToken", "/api/state?token=0123456789abcdef0123456789abcdee", {}},
    {"ShorterToken", "/api/state?token=0123456789abcdef0123456789abcde", {}},
    {"LongerToken", "/api/state?token=0123456789abcdef0123456789abcdef0", {}},
    {"EmptyToken", "/api/state?token=", {}},
    {"WrongTokenInTheHeader", "/api/state", {{"X-Frame-Token", "ffffffffffffffffffffffffffffffff"}}},
    {"OtherHostName", "/api/state?token=0123456789abcdef0123456789abcdef",
     {{"Host", "evil.example:PORT"}}},
    {"OtherPort", "/api/state?token=0123456789abcdef0123456789abcdef",
     {{"Host", "127.0.0.1:1"}}},
    {"HostWithoutPort", "/api/state?token=0123456789abcdef0123456789abcdef",
     {{"Host", "127.0.0.1"}}},
};
INSTANTIATE_TEST_SUITE_P(Table, RefusedRequest, ::testing::ValuesIn(kRefusals),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(LiveServerTest, TokenIsTakenFromTheQueryOrTheHeader) {
  StartPump();
  httplib::Client client = Client();
  const auto by_query = client.Get(WithToken("/api/state"));
  ASSERT_TRUE(by_query);
  EXPECT_EQ(by_query->status, 202);
  const auto by_header = client.Get("/api/state", {{"X-Frame-Token", kToken}});
  ASSERT_TRUE(by_header);
  EXPECT_EQ(by_header->status, 202);
  const auto by_name = client.Get(
      WithToken("/api/state"), {{"Host", "localhost:" + std::to_string(server_->Port())}});
  ASSERT_TRUE(by_name);
  EXPECT_EQ(by_name->status, 202);
  EXPECT_EQ(calls_, 3);
}

TEST_F(LiveServerTest, UnknownPathsAreNotFoundAndReachNothing) {
  StartPump();
  httplib::Client client = Client();
  for (const char* path : {"/elsewhere", "/favicon.ico", "/api", "/index.html"}) {
    const auto got = client.Get(WithToken(path));
    ASSERT_TRUE(got) << path;
    EXPECT_EQ(got->status, 404) << path;
  }
  EXPECT_EQ(calls_, 0);
}

TEST_F(LiveServerTest, RootAnswersTheApplicationPage) {
  httplib::Client client = Client();
  const auto got = client.Get(WithToken("/"));
  ASSERT_TRUE(got);
  EXPECT_EQ(got->status, 200);
  EXPECT_EQ(got->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(got->body, std::string(AppPage()));
  // The address holds the token: the page must not pass it on.
  EXPECT_EQ(got->get_header_value("Referrer-Policy"), "no-referrer");
  EXPECT_EQ(calls_, 0);
}

TEST_F(LiveServerTest, ApiRequestRunsOnTheLoopThreadWithItsDecodedQuery) {
  StartPump();
  httplib::Client client = Client();
  const auto got = client.Get(WithToken("/api/page?tab=a%20b&name=%C3%A4%26x"));
  ASSERT_TRUE(got);
  EXPECT_EQ(got->status, 202);
  EXPECT_EQ(got->get_header_value("Content-Type"), "text/x-echo");
  EXPECT_EQ(got->body, "GET /api/page name=\xC3\xA4&x;tab=a b;");
  EXPECT_EQ(handler_thread_, loop_thread_);
  EXPECT_NE(handler_thread_, std::this_thread::get_id());
}

TEST_F(LiveServerTest, ApiPostTakesTheFormBody) {
  StartPump();
  httplib::Client client = Client();
  const auto got = client.Post("/api/event?tab=7", {{"X-Frame-Token", kToken}},
                               "control=ctlParameter%283%29&kind=set&value=1%2C5+bar",
                               "application/x-www-form-urlencoded; charset=UTF-8");
  ASSERT_TRUE(got);
  EXPECT_EQ(got->status, 202);
  EXPECT_EQ(got->body, "POST /api/event control=ctlParameter(3);kind=set;tab=7;value=1,5 bar;");
  EXPECT_EQ(handler_thread_, loop_thread_);
}

TEST_F(LiveServerTest, FailingHandlerAnswers500AndTheLoopGoesOn) {
  StartPump();
  httplib::Client client = Client();
  const auto failed = client.Post(WithToken("/api/fail"), "", "application/x-www-form-urlencoded");
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->status, 500);
  EXPECT_EQ(failed->body, "{\"ok\":false,\"error\":\"handler failed\"}");
  const auto next = client.Get(WithToken("/api/state"));
  ASSERT_TRUE(next);
  EXPECT_EQ(next->status, 202);
}

// Collects an event stream on a thread of its own.
class EventReader {
 public:
  EventReader(std::uint16_t port, const std::string& path) {
    thread_ = std::thread([this, port, path] {
      httplib::Client client("127.0.0.1", port);
      client.set_read_timeout(kLost);
      const auto got = client.Get(path, [this](const char* data, std::size_t length) {
        const std::lock_guard lock(mutex_);
        text_.append(data, length);
        changed_.notify_all();
        return !give_up_;
      });
      const std::lock_guard lock(mutex_);
      ended_ = true;
      content_type_ = got ? got->get_header_value("Content-Type") : "";
      changed_.notify_all();
    });
  }
  ~EventReader() {
    give_up_ = true;
    thread_.join();
  }
  // Whether the stream's text came to end with `tail` in time.
  bool WaitForTail(const std::string& tail) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kLost, [&] { return text_.ends_with(tail); });
  }
  bool WaitForEnd() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kLost, [&] { return ended_; });
  }
  std::string Text() {
    const std::lock_guard lock(mutex_);
    return text_;
  }
  std::string ContentType() {
    const std::lock_guard lock(mutex_);
    return content_type_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string text_, content_type_;
  bool ended_ = false;
  std::atomic<bool> give_up_{false};
  std::thread thread_;
};

TEST_F(LiveServerTest, EventStreamSendsTheVersionOnEachBumpAndEndsOnStop) {
  board_.Bump();
  EventReader reader(server_->Port(), WithToken("/api/events"));
  ASSERT_TRUE(reader.WaitForTail("data: 1\n\n")) << reader.Text();
  board_.Bump();
  ASSERT_TRUE(reader.WaitForTail("data: 2\n\n")) << reader.Text();
  board_.Bump();
  board_.Bump();
  ASSERT_TRUE(reader.WaitForTail("data: 4\n\n")) << reader.Text();
  server_->Stop();
  ASSERT_TRUE(reader.WaitForEnd());
  EXPECT_EQ(reader.ContentType(), "text/event-stream");
  // Keep-alive comments may come between, but no version twice.
  std::string versions;
  const std::regex event("data: (\\d+)\n\n");
  const std::string text = reader.Text();
  for (auto it = std::sregex_iterator(text.begin(), text.end(), event); it != std::sregex_iterator();
       ++it) {
    versions += (*it)[1].str() + ",";
  }
  EXPECT_TRUE(versions == "1,2,4," || versions == "1,2,3,4,") << versions;
  EXPECT_TRUE(board_.Closed());
  EXPECT_EQ(calls_, 0);
}

TEST_F(LiveServerTest, StopAnswersRequestsWaitingForTheLoop) {
  // No pump: the request stays in the inbox until the loop takes it.
  auto answer = std::async(std::launch::async, [this] {
    httplib::Client client = Client();
    const auto got = client.Get(WithToken("/api/state"));
    return got ? got->status : -1;
  });
  const auto give_up = clock_.Now() + kLost;
  while (!inbox_.Drain(loop_) && clock_.Now() < give_up) clock_.WaitUntil(give_up);
  ASSERT_TRUE(loop_.HasPending());
  server_->Stop();
  ASSERT_EQ(answer.wait_for(kLost), std::future_status::ready);
  EXPECT_EQ(answer.get(), 503);
  // The task that would have answered it runs later and calls nothing.
  loop_.RunUntilIdle();
  EXPECT_EQ(calls_, 0);
  server_->Stop();
}

TEST_F(LiveServerTest, StopTwiceIsSafeAndNothingIsServedAfter) {
  const std::uint16_t port = server_->Port();
  server_->Stop();
  server_->Stop();
  httplib::Client client("127.0.0.1", port);
  client.set_connection_timeout(5s);
  EXPECT_FALSE(client.Get(WithToken("/")));
  EXPECT_FALSE(server_->Start(0));
}

TEST_F(LiveServerTest, PortInUseIsNotBound) {
  LiveServer second(inbox_, board_, [](const ApiRequest&) { return ApiResponse{}; }, kToken);
  EXPECT_FALSE(second.Start(server_->Port()));
}

// True when a TCP connect to `address`:`port` is accepted.
bool Connects(const in_addr& address, std::uint16_t port) {
  const int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  target.sin_addr = address;
  const bool connected = connect(sock, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
  close(sock);
  return connected;
}

TEST_F(LiveServerTest, OnlyTheLoopbackAddressIsServed) {
  in_addr loopback{};
  inet_pton(AF_INET, "127.0.0.1", &loopback);
  EXPECT_TRUE(Connects(loopback, server_->Port()));
  // Another address of the loopback network reaches the same machine.
  in_addr other_loopback{};
  inet_pton(AF_INET, "127.0.0.2", &other_loopback);
  EXPECT_FALSE(Connects(other_loopback, server_->Port()));

  ifaddrs* list = nullptr;
  ASSERT_EQ(getifaddrs(&list), 0);
  std::vector<in_addr> others;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    const in_addr address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr;
    if ((ntohl(address.s_addr) >> 24) != 127) others.push_back(address);
  }
  freeifaddrs(list);
  for (const in_addr& address : others) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    EXPECT_FALSE(Connects(address, server_->Port())) << text;
  }
  if (others.empty()) GTEST_SKIP() << "this machine has no address but the loopback's";
}

// ---- what no client may do to the others ----

using SteadyClock = std::chrono::steady_clock;

// A connection of the test's own that writes exactly what a case says.
class RawClient {
 public:
  explicit RawClient(std::uint16_t port) : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    inet_pton(AF_INET, "127.0.0.1", &target.sin_addr);
    connected_ = connect(fd_, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
  }
  ~RawClient() { close(fd_); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool Connected() const { return connected_; }
  bool Send(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      const ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return false;
      sent += static_cast<std::size_t>(n);
    }
    return true;
  }
  // Reads for at most `limit`; true when the server closed the connection
  // meanwhile. What arrived is in Received().
  bool ReadUntilClosed(std::chrono::milliseconds limit) {
    const auto give_up = SteadyClock::now() + limit;
    while (SteadyClock::now() < give_up) {
      if (ReadSome(give_up) == 0) return true;
    }
    return false;
  }
  // Reads until `text` has arrived, the connection closed or `limit` passed.
  bool ReadUntil(const std::string& text, std::chrono::milliseconds limit = kLost) {
    const auto give_up = SteadyClock::now() + limit;
    while (received_.find(text) == std::string::npos) {
      if (SteadyClock::now() >= give_up || ReadSome(give_up) == 0) return false;
    }
    return true;
  }
  // One whole answer with a Content-Length, taken off what arrived.
  std::optional<std::string> Answer() {
    const auto give_up = SteadyClock::now() + kLost;
    for (;;) {
      const std::size_t head_end = received_.find("\r\n\r\n");
      if (head_end != std::string::npos) {
        const std::string head = received_.substr(0, head_end);
        const std::size_t field = head.find("\r\nContent-Length: ");
        const std::size_t body = field == std::string::npos ? 0 : std::stoul(head.substr(field + 18));
        if (received_.size() >= head_end + 4 + body) {
          std::string answer = received_.substr(0, head_end + 4 + body);
          received_.erase(0, answer.size());
          return answer;
        }
      }
      if (SteadyClock::now() >= give_up || ReadSome(give_up) == 0) return std::nullopt;
    }
  }
  const std::string& Received() const { return received_; }

 private:
  // -1 when nothing came before `give_up`, 0 when the connection closed.
  int ReadSome(SteadyClock::time_point give_up) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(give_up - SteadyClock::now());
    pollfd readable{fd_, POLLIN, 0};
    if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) != 1) return -1;
    char buffer[4096];
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) return 0;
    received_.append(buffer, static_cast<std::size_t>(n));
    return 1;
  }

  int fd_;
  bool connected_ = false;
  std::string received_;
};

// Well past the server's time for a request, and short of a test's patience.
constexpr auto kClosedBy = LiveServer::kRequestTime + 1s;

TEST_F(LiveServerTest, ConnectionThatSendsNothingIsClosedInTime) {
  RawClient silent(server_->Port());
  ASSERT_TRUE(silent.Connected());
  const auto start = SteadyClock::now();
  EXPECT_TRUE(silent.ReadUntilClosed(std::chrono::duration_cast<std::chrono::milliseconds>(kClosedBy)));
  EXPECT_LT(SteadyClock::now() - start, kClosedBy);
  EXPECT_EQ(silent.Received(), "");
}

// A client that sends its request a byte at a time keeps the connection
// no longer than one that sends nothing, and the others are served meanwhile.
TEST_F(LiveServerTest, SlowClientIsClosedInTimeAndDelaysNoOne) {
  StartPump();
  RawClient slow(server_->Port());
  ASSERT_TRUE(slow.Connected());
  const auto start = SteadyClock::now();
  const std::string request = "GET " + WithToken("/api/state") + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                              std::to_string(server_->Port()) + "\r\n\r\n";
  std::size_t dripped = 0;
  bool others_served = false;
  bool closed = false;
  while (!closed && SteadyClock::now() - start < kClosedBy) {
    if (dripped < request.size() && !slow.Send(request.substr(dripped++, 1))) break;
    closed = slow.ReadUntilClosed(100ms);
    if (dripped == 3) {
      httplib::Client client = Client();
      const auto got = client.Get(WithToken("/api/state"));
      others_served = got && got->status == 202;
    }
  }
  EXPECT_TRUE(closed || slow.ReadUntilClosed(100ms));
  EXPECT_LT(SteadyClock::now() - start, kClosedBy);
  EXPECT_LT(dripped, request.size()) << "the request arrived whole";
  EXPECT_EQ(slow.Received(), "");
  EXPECT_TRUE(others_served);
  EXPECT_EQ(calls_, 1);
}

// A browser asks every request of a tab on few connections: none of them
// runs out of requests, and each answer leaves as a whole.
TEST_F(LiveServerTest, KeptAliveConnectionAnswersEveryRequest) {
  StartPump();
  RawClient client(server_->Port());
  ASSERT_TRUE(client.Connected());
  const std::string request = "GET " + WithToken("/api/page?tab=1") + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                              std::to_string(server_->Port()) + "\r\n\r\n";
  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(client.Send(request)) << i;
    const std::optional<std::string> answer = client.Answer();
    ASSERT_TRUE(answer) << i;
    EXPECT_TRUE(answer->starts_with("HTTP/1.1 202 Accepted\r\n")) << *answer;
    EXPECT_NE(answer->find("\r\nConnection: keep-alive\r\n"), std::string::npos) << *answer;
    EXPECT_TRUE(answer->ends_with("\r\n\r\nGET /api/page tab=1;")) << *answer;
  }
  EXPECT_EQ(calls_, 40);
}

TEST_F(LiveServerTest, RequestsSentTogetherAreAnsweredInOrder) {
  StartPump();
  RawClient client(server_->Port());
  const std::string host = "Host: 127.0.0.1:" + std::to_string(server_->Port()) + "\r\n";
  ASSERT_TRUE(client.Send("GET " + WithToken("/api/a") + " HTTP/1.1\r\n" + host + "\r\n" + "GET " +
                          WithToken("/api/b") + " HTTP/1.1\r\n" + host + "Connection: close\r\n\r\n"));
  const auto first = client.Answer();
  const auto second = client.Answer();
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(first->ends_with("GET /api/a ")) << *first;
  EXPECT_TRUE(second->ends_with("GET /api/b ")) << *second;
  EXPECT_NE(second->find("\r\nConnection: close\r\n"), std::string::npos) << *second;
  EXPECT_TRUE(client.ReadUntilClosed(std::chrono::duration_cast<std::chrono::milliseconds>(kClosedBy)));
}

struct BodyCase {
  const char* name;
  bool token;
  std::string framing;  // the headers that give the body's length
  std::string body;
  std::string status_line;
};

class BodyLimit : public LiveServerTest, public ::testing::WithParamInterface<BodyCase> {};

std::string Chunked(std::size_t total) {
  std::string body;
  for (std::size_t left = total; left > 0;) {
    const std::size_t size = std::min<std::size_t>(left, 0x1000);
    char line[16];
    std::snprintf(line, sizeof line, "%zx\r\n", size);
    body += line + std::string(size, 'a') + "\r\n";
    left -= size;
  }
  return body + "0\r\n\r\n";
}

TEST_P(BodyLimit, IsHeldBeforeAnyHandler) {
  StartPump();
  const BodyCase& c = GetParam();
  RawClient client(server_->Port());
  const std::string request = "POST /api/event" + std::string(c.token ? "?token=" + kToken : "") +
                              " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server_->Port()) +
                              "\r\nContent-Type: text/plain\r\n" + c.framing + "\r\n" + c.body;
  ASSERT_TRUE(client.Send(request));
  const std::optional<std::string> answer = client.Answer();
  ASSERT_TRUE(answer);
  EXPECT_TRUE(answer->starts_with(c.status_line)) << answer->substr(0, 200);
  EXPECT_EQ(calls_, c.status_line == "HTTP/1.1 202 Accepted\r\n" ? 1 : 0);
}

const BodyCase kBodyCases[] = {
    {"OverTheLimitWithTheToken", true, "Content-Length: 65537\r\n", std::string(65537, 'a'),
     "HTTP/1.1 413 Content Too Large\r\n"},
    {"OverTheLimitWithoutTheToken", false, "Content-Length: 65537\r\n", std::string(65537, 'a'),
     "HTTP/1.1 413 Content Too Large\r\n"},
    {"OverTheLimitSaidButNotSent", true, "Content-Length: 1000000000\r\n", "",
     "HTTP/1.1 413 Content Too Large\r\n"},
    {"ChunkedOverTheLimit", true, "Transfer-Encoding: chunked\r\n", Chunked(65537),
     "HTTP/1.1 413 Content Too Large\r\n"},
    {"AtTheLimit", true, "Content-Length: 65536\r\n", std::string(65536, 'a'), "HTTP/1.1 202 Accepted\r\n"},
    {"ChunkedAtTheLimit", true, "Transfer-Encoding: chunked\r\n", Chunked(65536), "HTTP/1.1 202 Accepted\r\n"},
    {"AtTheLimitWithoutTheToken", false, "Content-Length: 65536\r\n", std::string(65536, 'a'),
     "HTTP/1.1 403 Forbidden\r\n"},
};
INSTANTIATE_TEST_SUITE_P(Table, BodyLimit, ::testing::ValuesIn(kBodyCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(LiveServerTest, JsonAnswerIsUtf8WhateverTheRequestHeld) {
  StartPump();
  httplib::Client client = Client();
  const auto got = client.Get(WithToken("/api/json?x=a%FF%C3%28%ED%A0%80z"));
  ASSERT_TRUE(got);
  EXPECT_EQ(got->status, 200);
  EXPECT_EQ(got->body,
            "{\"echo\":\"a\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz\"}");
  // Other answers pass as they are.
  const auto echo = client.Get(WithToken("/api/echo?x=%FF"));
  ASSERT_TRUE(echo);
  EXPECT_EQ(echo->body, "GET /api/echo x=\xFF;");
}

TEST_F(LiveServerTest, TwentyEventStreamsLeaveTheFrameAnswering) {
  StartPump();
  board_.Bump();
  std::vector<std::unique_ptr<RawClient>> streams;
  const std::string request = "GET " + WithToken("/api/events") + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                              std::to_string(server_->Port()) + "\r\n\r\n";
  int open = 0, refused = 0;
  for (int i = 0; i < 20; ++i) {
    streams.push_back(std::make_unique<RawClient>(server_->Port()));
    RawClient& stream = *streams.back();
    ASSERT_TRUE(stream.Send(request));
    ASSERT_TRUE(stream.ReadUntil("\r\n\r\n")) << i;
    if (stream.Received().starts_with("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\n")) {
      EXPECT_TRUE(stream.ReadUntil("\r\n\r\n9\r\ndata: 1\n\n\r\n")) << stream.Received();
      ++open;
    } else {
      const std::optional<std::string> answer = stream.Answer();
      ASSERT_TRUE(answer) << i;
      EXPECT_TRUE(answer->starts_with("HTTP/1.1 503 Service Unavailable\r\n")) << *answer;
      EXPECT_TRUE(answer->ends_with("\r\n\r\n{\"ok\":false,\"error\":\"too many event streams are open\"}"))
          << *answer;
      ++refused;
    }
  }
  EXPECT_EQ(open, 8);
  EXPECT_EQ(refused, 12);
  for (int i = 0; i < 10; ++i) {
    httplib::Client client = Client();
    const auto got = client.Get(WithToken("/api/state"));
    ASSERT_TRUE(got) << i;
    EXPECT_EQ(got->status, 202);
  }
  // The open ones still hear of each change.
  board_.Bump();
  const std::string change = "data: " + std::to_string(board_.Version()) + "\n\n";
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(streams[static_cast<std::size_t>(i)]->ReadUntil(change)) << i;
  // A stream that ends gives its place to the next.
  streams.erase(streams.begin());
  bool taken = false;
  const auto give_up = SteadyClock::now() + kLost;
  while (!taken && SteadyClock::now() < give_up) {
    RawClient next(server_->Port());
    ASSERT_TRUE(next.Send(request));
    ASSERT_TRUE(next.ReadUntil("\r\n\r\n"));
    taken = next.Received().starts_with("HTTP/1.1 200 OK\r\n");
  }
  EXPECT_TRUE(taken);
}

// Whatever the clients do, the stop is over within the time a request may
// take: a client dripping its request, a stream that reads nothing, a
// request the loop never took, a kept-alive connection left quiet.
TEST_F(LiveServerTest, StopEndsInTimeWhateverTheClientsDo) {
  const std::string host = "Host: 127.0.0.1:" + std::to_string(server_->Port()) + "\r\n";
  RawClient stream(server_->Port());
  ASSERT_TRUE(stream.Send("GET " + WithToken("/api/events") + " HTTP/1.1\r\n" + host + "\r\n"));
  ASSERT_TRUE(stream.ReadUntil("data: 0\n\n"));
  RawClient waiting(server_->Port());
  ASSERT_TRUE(waiting.Send("GET " + WithToken("/api/state") + " HTTP/1.1\r\n" + host + "\r\n"));
  RawClient quiet(server_->Port());
  RawClient slow(server_->Port());
  std::atomic<bool> dripping{true};
  std::thread drip([&] {
    const std::string request = "POST " + WithToken("/api/event") + " HTTP/1.1\r\n" + host +
                                "Content-Length: 60000\r\n\r\n" + std::string(60000, 'a');
    for (std::size_t i = 0; dripping && i < request.size(); ++i) {
      if (!slow.Send(request.substr(i, 1))) return;
      std::this_thread::sleep_for(20ms);
    }
  });
  // The waiting request is in the loop's inbox by now, or soon.
  const auto give_up = clock_.Now() + kLost;
  while (!inbox_.Drain(loop_) && clock_.Now() < give_up) clock_.WaitUntil(give_up);
  std::this_thread::sleep_for(100ms);
  const auto start = SteadyClock::now();
  server_->Stop();
  const auto took = SteadyClock::now() - start;
  dripping = false;
  drip.join();
  EXPECT_LT(took, LiveServer::kRequestTime);
  ASSERT_TRUE(stream.ReadUntilClosed(1000ms));
  EXPECT_TRUE(stream.Received().ends_with("data: 0\n\n\r\n0\r\n\r\n")) << stream.Received();
  ASSERT_TRUE(waiting.ReadUntilClosed(1000ms));
  EXPECT_TRUE(waiting.Received().starts_with("HTTP/1.1 503 Service Unavailable\r\n")) << waiting.Received();
  EXPECT_TRUE(waiting.Received().ends_with("{\"ok\":false,\"error\":\"the frame is stopping\"}"))
      << waiting.Received();
  EXPECT_TRUE(quiet.ReadUntilClosed(1000ms));
  EXPECT_TRUE(slow.ReadUntilClosed(1000ms));
  EXPECT_EQ(slow.Received(), "");
  loop_.RunUntilIdle();
  EXPECT_EQ(calls_, 0);
}

TEST(LiveServerToken, IsThirtyTwoHexDigitsAndNewEachTime) {
  const std::string first = LiveServer::NewToken();
  const std::string second = LiveServer::NewToken();
  EXPECT_TRUE(std::regex_match(first, std::regex("[0-9a-f]{32}"))) << first;
  EXPECT_TRUE(std::regex_match(second, std::regex("[0-9a-f]{32}"))) << second;
  EXPECT_NE(first, second);
}

}  // namespace
}  // namespace dtm::live
