// The frame's web server, on a loop thread of the test's own: who gets in,
// what reaches the DTM's thread, the event stream and the stop.

#include "host/live/server.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
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

TEST(LiveServerToken, IsThirtyTwoHexDigitsAndNewEachTime) {
  const std::string first = LiveServer::NewToken();
  const std::string second = LiveServer::NewToken();
  EXPECT_TRUE(std::regex_match(first, std::regex("[0-9a-f]{32}"))) << first;
  EXPECT_TRUE(std::regex_match(second, std::regex("[0-9a-f]{32}"))) << second;
  EXPECT_NE(first, second);
}

}  // namespace
}  // namespace dtm::live
