// What a cyclic page keeps as it runs for days of device time: page 4 (the
// observation page, which polls the device without end) opened as the
// vd4625 page command opens it, against the simulated device, on a virtual
// clock, with the line time a real line takes per transaction.
//
// Memory is what the allocator has handed out and not taken back (glibc's
// mallinfo2, which also sees libxml2's documents), read after 1 hour and
// after 48 hours of device time, with the transactions run by then. The
// aim: 48 hours within twice the memory of 1 hour. Nothing is asserted.
//
//   long_run_bench [HOURS]   (default 48; the figure is printed every 12 h too)

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "host/cli/session.h"
#include "host/frame/page_host.h"
#include "platform/loop/clock.h"
#include "platform/runtime/documents.h"

namespace {

using namespace dtm;

constexpr std::int32_t kPage = 4;
constexpr std::chrono::milliseconds kLineTime{100};

std::size_t BytesInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

}  // namespace

int main(int argc, char** argv) {
  const long hours = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 48;
  if (hours < 1 || hours > 24 * 30) {
    std::cerr << "usage: long_run_bench [HOURS from 1 to 720]\n";
    return 2;
  }
  if (::setenv("VD4625_INSTALL", VD_BENCH_INSTALL_DIR, 0) != 0) return 1;

  loop::VirtualClock clock;
  std::ostringstream messages;  // the frame's notices: not what is measured
  host::SessionSetup setup;
  setup.err = &messages;
  setup.clock = &clock;
  host::Session session(setup);
  if (!session.Start()) return 1;
  session.Channel().SetTransactionLatency(kLineTime);
  if (!session.UseDevice(std::nullopt)) return 1;
  session.Loop().RunUntilIdle();

  frame::PageHost host(session.Context().GetServices().registry);
  runtime::FunctionCall call;
  call.SetFunctionID(kPage);
  const std::string document = call.BuildXML(session.Context());
  if (host.Open(kPage, document, session.Dtm().shared_from_this(), 1033) !=
      frame::PageHost::Opened::kOpened) {
    std::cerr << "page " << kPage << " did not open\n";
    return 1;
  }

  std::size_t after_one_hour = 0;
  std::printf("%-8s %14s %14s %12s\n", "hours", "bytes_in_use", "vs_1h", "transactions");
  for (long hour = 1; hour <= hours; ++hour) {
    session.Loop().RunFor(std::chrono::hours(1));
    if (hour != 1 && hour % 12 != 0 && hour != hours) continue;
    const std::size_t bytes = BytesInUse();
    if (hour == 1) after_one_hour = bytes;
    std::printf("%-8ld %14zu %13.2fx %12zu\n", hour, bytes,
                static_cast<double>(bytes) / static_cast<double>(after_one_hour),
                session.Device() ? session.Device()->HandledCount() : std::size_t{0});
  }
  std::printf("target: the last line within 2.00x of the first\n");
  if (!host.Release()) return 1;
  return session.Release() ? 0 : 1;
}
