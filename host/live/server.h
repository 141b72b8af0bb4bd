#pragma once
// The frame's web server, on 127.0.0.1 only. Every request must carry the
// access token (query "token" or header "X-Frame-Token") and name this
// host in its Host header, else it is refused with 403 and reaches nothing.
// "/" answers the application page; "/api/events" is a server-sent event
// stream of the board's versions; any other "/api/..." request is handed to
// the DTM's thread through the inbox and answered with what the handler
// returns there; everything else is 404.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/live/api.h"
#include "host/live/live_loop.h"

namespace dtm::live {

class LiveServer {
 public:
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
  // loop are answered 503. Safe to call twice.
  void Stop();

  // 32 hexadecimal digits from the system's random source.
  static std::string NewToken();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace dtm::live
