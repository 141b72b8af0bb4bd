#pragma once
// The frame's web server, on 127.0.0.1 only. Every request must carry the
// access token (query "token" or header "X-Frame-Token") and name this
// host in its Host header, else it is refused with 403 and reaches nothing.
// "/" answers the application page; "/api/events" is a server-sent event
// stream of the board's versions; any other "/api/..." request is handed to
// the DTM's thread through the inbox and answered with what the handler
// returns there; everything else is 404.
//
// One thread of the server's own serves every connection, so neither the
// event streams nor a slow client hold up anyone else:
// - at most kMaxStreams event streams are open at once; the next is
//   answered 503;
// - a request must arrive whole within kRequestTime of the connection's
//   opening or of the answer before it (a kept-alive connection that stays
//   quiet that long is closed), and an answer must be taken within that
//   time, else the connection is closed;
// - a request whose body is over kMaxBody bytes is answered 413 before its
//   token is looked at or any handler runs;
// - every JSON answer is valid UTF-8, whatever bytes the request held;
// - answers leave at once (no-delay sockets), and a kept-alive connection
//   serves any number of requests.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/live/api.h"
#include "host/live/live_loop.h"

namespace dtm::live {

class LiveServer {
 public:
  static constexpr std::size_t kMaxStreams = 8;
  static constexpr std::size_t kMaxBody = 64 * 1024;
  static constexpr std::chrono::milliseconds kRequestTime{2000};

  // Runs on the loop's thread, never on the server's.
  using Handler = std::function<ApiResponse(const ApiRequest&)>;

  LiveServer(Inbox& inbox, VersionBoard& board, Handler handler, std::string token);
  ~LiveServer();  // Stop()
  LiveServer(const LiveServer&) = delete;
  LiveServer& operator=(const LiveServer&) = delete;

  // Binds 127.0.0.1:`port` (0: any free port) and serves on threads of its
  // own; false when the port cannot be bound.
  bool Start(std::uint16_t port);
  std::uint16_t Port() const;
  // "http://127.0.0.1:PORT/?token=TOKEN"
  std::string Address() const;
  // Ends the event streams and the server; requests still waiting for the
  // loop are answered 503. Returns within about a second whatever the
  // clients do. Safe to call twice.
  void Stop();

  // 32 hexadecimal digits from the system's random source.
  static std::string NewToken();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace dtm::live
