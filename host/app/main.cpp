// vd4625: runs the DTM component the way an FDT frame does, against
// stand-ins for the frame and the device.

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "host/app/app.h"
#include "platform/loop/clock.h"

int main(int argc, char** argv) {
  dtm::loop::SystemClock clock;
  dtm::host::Console console{std::cout, std::cerr, clock, isatty(STDOUT_FILENO) != 0,
                             isatty(STDERR_FILENO) != 0};
  const int status = dtm::host::RunVd4625(std::vector<std::string>(argv + 1, argv + argc), console);
  std::cout.flush();
  return status;
}
