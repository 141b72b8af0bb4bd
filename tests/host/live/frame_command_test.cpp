// `vd4625 frame` as the built program: its one line on standard output,
// the stop by signal, and its usage errors. Every wait has a deadline, so a
// program that hangs fails here instead of holding the test run.

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <httplib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "host/cli/exit_status.h"
#include "tests/host/cli/cli_driver.h"

extern char** environ;

namespace dtm::testing {
namespace {

using namespace std::chrono_literals;

constexpr auto kLost = 60s;

int Millis(std::chrono::milliseconds span) { return static_cast<int>(span.count()); }

// The program running, its standard output on a pipe of ours and its
// standard error in a file.
class FrameProgram {
 public:
  FrameProgram(const std::vector<std::string>& args, const TempFolder& folder)
      : err_file_(folder.Path() / "stderr") {
    const ScopedEnvironment environment(
        {{"VD4625_REGISTRY", (folder.Path() / "registry.reg").string()},
         {"VD4625_INSTALL", std::nullopt}});
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const std::string err = err_file_.string();
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> argv_text = {VD4625_PROGRAM};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argv_text) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, VD4625_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0];
    if (pid_ > 0) exited_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
  }
  ~FrameProgram() {
    if (pid_ > 0 && !status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (exited_ >= 0) close(exited_);
  }
  FrameProgram(const FrameProgram&) = delete;
  FrameProgram& operator=(const FrameProgram&) = delete;

  bool Started() const { return pid_ > 0 && exited_ >= 0; }

  // The next line of standard output without its newline; none when the
  // output ended or nothing came in time.
  std::optional<std::string> ReadLine() {
    const auto give_up = std::chrono::steady_clock::now() + kLost;
    for (;;) {
      if (const auto end = out_text_.find('\n'); end != std::string::npos) {
        std::string line = out_text_.substr(0, end);
        out_text_.erase(0, end + 1);
        return line;
      }
      if (!ReadSome(give_up)) return std::nullopt;
    }
  }
  // The rest of standard output, to its end.
  std::string RestOfOut() {
    const auto give_up = std::chrono::steady_clock::now() + kLost;
    while (ReadSome(give_up)) {
    }
    return std::exchange(out_text_, {});
  }

  void Signal(int signal) const { kill(pid_, signal); }

  // The exit status, or none when the program did not end in time or was
  // killed by a signal.
  std::optional<int> Wait() {
    pollfd ended{exited_, POLLIN, 0};
    if (poll(&ended, 1, Millis(kLost)) != 1) return std::nullopt;
    int wait_status = 0;
    if (waitpid(pid_, &wait_status, 0) != pid_) return std::nullopt;
    status_ = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    return status_;
  }

  std::string Err() const { return ReadText(err_file_); }

 private:
  bool ReadSome(std::chrono::steady_clock::time_point give_up) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(give_up - std::chrono::steady_clock::now());
    pollfd readable{out_, POLLIN, 0};
    if (left <= 0ms || poll(&readable, 1, Millis(left)) != 1) return false;
    char buffer[4096];
    const ssize_t got = read(out_, buffer, sizeof buffer);
    if (got <= 0) return false;
    out_text_.append(buffer, static_cast<std::size_t>(got));
    return true;
  }

  std::filesystem::path err_file_;
  pid_t pid_ = 0;
  int out_ = -1;
  int exited_ = -1;  // readable once the program has ended
  std::string out_text_;
  std::optional<int> status_;
};

struct Address {
  int port = 0;
  std::string token;
};

std::optional<Address> ParseAddress(const std::string& line) {
  std::smatch match;
  if (!std::regex_match(line, match, std::regex(R"(http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]{32}))"))) {
    return std::nullopt;
  }
  return Address{std::stoi(match[1].str()), match[2].str()};
}

// The program started and serving: its first line is its address.
void AwaitAddress(FrameProgram& program, Address& address) {
  ASSERT_TRUE(program.Started());
  const std::optional<std::string> line = program.ReadLine();
  ASSERT_TRUE(line) << program.Err();
  const std::optional<Address> parsed = ParseAddress(*line);
  ASSERT_TRUE(parsed) << *line;
  address = *parsed;
}

std::vector<std::string> FrameNotices(const std::string& err) {
  std::vector<std::string> notices;
  for (const std::string& line : Lines(err)) {
    if (line.starts_with("[frame] ")) notices.push_back(line);
  }
  return notices;
}

class FrameStops : public ::testing::TestWithParam<int> {};

TEST_P(FrameStops, OnTheSignalAfterServingItsAddress) {
  TempFolder folder;
  FrameProgram program({"frame", "--port", "0"}, folder);
  Address address;
  ASSERT_NO_FATAL_FAILURE(AwaitAddress(program, address));

  httplib::Client client("127.0.0.1", address.port);
  client.set_read_timeout(kLost);
  const auto refused = client.Get("/api/state");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 403);
  // Answered once the DTM stands, its device on the line, and its loop runs.
  const auto state = client.Get("/api/state?token=" + address.token);
  ASSERT_TRUE(state);
  EXPECT_EQ(state->status, 200) << state->body;
  EXPECT_NE(state->body.find("\"online\":true"), std::string::npos) << state->body;

  program.Signal(GetParam());
  EXPECT_EQ(program.Wait(), host::exit_status::kOk) << program.Err();
  EXPECT_EQ(program.RestOfOut(), "");
  const std::string err = program.Err();
  EXPECT_EQ(FrameNotices(err),
            (std::vector<std::string>{"[frame] CommunicationReleased(VD4625)",
                                      "[frame] PreparedToRelease(VD4625)"}))
      << err;
  EXPECT_EQ(Occurrences(err, "vd4625 frame: stopping\n"), 1u) << err;
}

INSTANTIATE_TEST_SUITE_P(Signals, FrameStops, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& i) { return i.param == SIGINT ? "Interrupt" : "Terminate"; });

// A connection that sends what it is given and nothing else.
int ConnectTo(int port) {
  const int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<std::uint16_t>(port));
  target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(sock, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    close(sock);
    return -1;
  }
  return sock;
}

// The stop is over in two seconds whatever the clients do: one that
// sends its request a byte at a time, an event stream never read, a
// kept-alive connection left quiet.
TEST_P(FrameStops, InTimeWhateverTheClientsDo) {
  TempFolder folder;
  FrameProgram program({"frame", "--port", "0"}, folder);
  Address address;
  ASSERT_NO_FATAL_FAILURE(AwaitAddress(program, address));
  httplib::Client client("127.0.0.1", address.port);
  client.set_read_timeout(kLost);
  ASSERT_TRUE(client.Get("/api/state?token=" + address.token));

  const std::string host = "Host: 127.0.0.1:" + std::to_string(address.port) + "\r\n";
  const int stream = ConnectTo(address.port);
  const int quiet = ConnectTo(address.port);
  const int slow = ConnectTo(address.port);
  ASSERT_TRUE(stream >= 0 && quiet >= 0 && slow >= 0);
  const std::string events = "GET /api/events?token=" + address.token + " HTTP/1.1\r\n" + host + "\r\n";
  ASSERT_EQ(send(stream, events.data(), events.size(), MSG_NOSIGNAL), static_cast<ssize_t>(events.size()));
  std::atomic<bool> dripping{true};
  std::thread drip([&] {
    const std::string request = "POST /api/event?token=" + address.token + " HTTP/1.1\r\n" + host +
                                "Content-Length: 1000\r\n\r\n" + std::string(1000, 'a');
    for (std::size_t i = 0; dripping && i < request.size(); ++i) {
      if (send(slow, request.data() + i, 1, MSG_NOSIGNAL) != 1) return;
      std::this_thread::sleep_for(50ms);
    }
  });
  std::this_thread::sleep_for(300ms);

  const auto signalled = std::chrono::steady_clock::now();
  program.Signal(GetParam());
  const std::optional<int> status = program.Wait();
  const auto took = std::chrono::steady_clock::now() - signalled;
  dripping = false;
  drip.join();
  for (const int sock : {stream, quiet, slow}) close(sock);
  EXPECT_EQ(status, host::exit_status::kOk) << program.Err();
  EXPECT_LT(took, 2s);
  EXPECT_EQ(program.RestOfOut(), "");
}

// What arrives on `sock` within `span`.
std::string ReadFor(int sock, std::chrono::milliseconds span) {
  std::string text;
  const auto until = std::chrono::steady_clock::now() + span;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    pollfd readable{sock, POLLIN, 0};
    if (left <= 0ms || poll(&readable, 1, Millis(left)) != 1) return text;
    char buffer[4096];
    const ssize_t got = recv(sock, buffer, sizeof buffer, 0);
    if (got <= 0) return text;
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

std::size_t Events(const std::string& stream) { return Occurrences(stream, "data: "); }

// A tab left open reads after each event; its reads announce nothing, and
// a change is announced once.
TEST(FrameProgram, ReadsAnnounceNothingAndAChangeOnce) {
  TempFolder folder;
  FrameProgram program({"frame", "--port", "0"}, folder);
  Address address;
  ASSERT_NO_FATAL_FAILURE(AwaitAddress(program, address));
  const httplib::Headers token = {{"X-Frame-Token", address.token}};
  httplib::Client client("127.0.0.1", address.port);
  client.set_read_timeout(kLost);
  ASSERT_TRUE(client.Get("/api/state", token));
  const int stream = ConnectTo(address.port);
  ASSERT_GE(stream, 0);
  const std::string events = "GET /api/events?token=" + address.token + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                             std::to_string(address.port) + "\r\n\r\n";
  ASSERT_EQ(send(stream, events.data(), events.size(), MSG_NOSIGNAL), static_cast<ssize_t>(events.size()));
  // The start settles: no event for a while.
  const auto give_up = std::chrono::steady_clock::now() + kLost;
  std::string heard = ReadFor(stream, 1500ms);
  ASSERT_GE(Events(heard), 1u) << heard;
  while (std::chrono::steady_clock::now() < give_up) {
    const std::string more = ReadFor(stream, 1500ms);
    heard += more;
    if (Events(more) == 0) break;
  }

  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(client.Get("/api/state", token));
  }
  EXPECT_EQ(Events(ReadFor(stream, 1500ms)), 0u) << "reads announce nothing";

  const auto changed = client.Post("/api/frame", token, "action=language&value=de",
                                   "application/x-www-form-urlencoded");
  ASSERT_TRUE(changed);
  EXPECT_EQ(changed->status, 200) << changed->body;
  std::string after;
  while (Events(after) == 0 && std::chrono::steady_clock::now() < give_up) after += ReadFor(stream, 200ms);
  after += ReadFor(stream, 1500ms);
  EXPECT_EQ(Events(after), 1u) << after;
  close(stream);

  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(), host::exit_status::kOk) << program.Err();
  EXPECT_EQ(program.RestOfOut(), "");
}

// Whether GET `path` comes to answer what `holds` in time.
bool Eventually(httplib::Client& client, const std::string& path, const httplib::Headers& headers,
                const std::function<bool(const std::string&)>& holds) {
  const auto give_up = std::chrono::steady_clock::now() + kLost;
  while (std::chrono::steady_clock::now() < give_up) {
    const auto got = client.Get(path, headers);
    if (got && got->status == 200 && holds(got->body)) return true;
  }
  return false;
}

// The stop closes a box that waits for its answer: the request that
// raised it is answered and the release goes on.
TEST(FrameProgram, SignalWhileAQuestionWaitsCancelsIt) {
  TempFolder folder;
  FrameProgram program({"frame"}, folder);
  Address address;
  ASSERT_NO_FATAL_FAILURE(AwaitAddress(program, address));
  const httplib::Headers token = {{"X-Frame-Token", address.token}};
  httplib::Client client("127.0.0.1", address.port);
  client.set_read_timeout(kLost);

  const auto opened = client.Post("/api/open", token, "function=8", "application/x-www-form-urlencoded");
  ASSERT_TRUE(opened);
  std::smatch tab;
  ASSERT_TRUE(std::regex_search(opened->body, tab, std::regex("\"tab\":\"([^\"]+)\""))) << opened->body;
  const std::string page = "/api/page?tab=" + tab[1].str();
  // The page reads the device first; its button is enabled then. Each look
  // goes through the DTM's thread, which keeps running meanwhile.
  ASSERT_TRUE(Eventually(client, page, token, [](const std::string& body) {
    return body.find("data-name=\"cmdInitialization\" title=") != std::string::npos;
  }));
  const std::string click_body = "tab=" + tab[1].str() + "&control=cmdInitialization&kind=click";
  auto click = std::async(std::launch::async, [&] {
    httplib::Client clicker("127.0.0.1", address.port);
    clicker.set_read_timeout(kLost);
    const auto clicked = clicker.Post("/api/event", token, click_body, "application/x-www-form-urlencoded");
    return clicked ? clicked->status : -1;
  });
  ASSERT_TRUE(Eventually(client, "/api/state", token, [](const std::string& body) {
    return body.find("\"dialog\":null") == std::string::npos;
  }));
  EXPECT_EQ(click.wait_for(0s), std::future_status::timeout);

  program.Signal(SIGINT);
  ASSERT_EQ(click.wait_for(kLost), std::future_status::ready);
  EXPECT_EQ(click.get(), 200);
  EXPECT_EQ(program.Wait(), host::exit_status::kOk) << program.Err();
  EXPECT_EQ(program.RestOfOut(), "");
  const std::string err = program.Err();
  const std::size_t cancelled = err.find("[box] The initialisation moves the valve");
  ASSERT_NE(cancelled, std::string::npos) << err;
  EXPECT_NE(err.find("? -> Cancel\n", cancelled), std::string::npos) << err;
  EXPECT_LT(cancelled, err.find("vd4625 frame: stopping\n")) << err;
}

// A device that cannot be put on the line leaves the frame serving, for
// the user to connect again; the refusal still tells in the status.
TEST(FrameProgram, RefusedStartKeepsServingAndEndsWithAnError) {
  TempFolder folder;
  const std::string profile = (folder.Path() / "missing.xml").string();
  FrameProgram program({"frame", "--device-profile", profile}, folder);
  Address address;
  ASSERT_NO_FATAL_FAILURE(AwaitAddress(program, address));
  httplib::Client client("127.0.0.1", address.port);
  client.set_read_timeout(kLost);
  const auto state = client.Get("/api/state", {{"X-Frame-Token", address.token}});
  ASSERT_TRUE(state);
  EXPECT_EQ(state->status, 200);
  EXPECT_NE(state->body.find("\"online\":false"), std::string::npos) << state->body;

  program.Signal(SIGINT);
  EXPECT_EQ(program.Wait(), host::exit_status::kError) << program.Err();
  EXPECT_EQ(program.RestOfOut(), "");
  const std::string err = program.Err();
  EXPECT_NE(err.find(profile), std::string::npos) << err;
  EXPECT_EQ(FrameNotices(err),
            (std::vector<std::string>{"[frame] CommunicationReleased(VD4625)",
                                      "[frame] PreparedToRelease(VD4625)"}))
      << err;
}

TEST(FrameProgram, TakenPortIsAnErrorNamingIt) {
  const int taken = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof local;
  ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
  ASSERT_EQ(listen(taken, 1), 0);
  ASSERT_EQ(getsockname(taken, reinterpret_cast<sockaddr*>(&local), &size), 0);
  const std::string port = std::to_string(ntohs(local.sin_port));

  TempFolder folder;
  FrameProgram program({"frame", "--port", port}, folder);
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(program.Wait(), host::exit_status::kError);
  EXPECT_EQ(program.RestOfOut(), "");
  EXPECT_NE(program.Err().find("vd4625 frame: cannot listen on 127.0.0.1:" + port + " "),
            std::string::npos)
      << program.Err();
  close(taken);
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
  std::string names;  // what the message must name
};

class FrameUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(FrameUsage, IsRefusedOnStderrWithNothingOnStdout) {
  TempFolder folder;
  FrameProgram program(GetParam().args, folder);
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(program.Wait(), host::exit_status::kUsage);
  EXPECT_EQ(program.RestOfOut(), "");
  const std::string err = program.Err();
  EXPECT_TRUE(err.starts_with("vd4625 frame: ")) << err;
  EXPECT_NE(err.find(GetParam().names), std::string::npos) << err;
  EXPECT_NE(err.find("Usage: vd4625 frame"), std::string::npos) << err;
}

const UsageCase kUsageCases[] = {
    {"PortTooLarge", {"frame", "--port", "70000"}, "70000"},
    {"PortNegative", {"frame", "--port", "-1"}, "--port"},
    {"PortNotANumber", {"frame", "--port", "http"}, "--port"},
    {"UnknownLanguage", {"frame", "--lang", "fr"}, "fr"},
    {"StrayArgument", {"frame", "7"}, "7"},
};
INSTANTIATE_TEST_SUITE_P(Table, FrameUsage, ::testing::ValuesIn(kUsageCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm::testing
