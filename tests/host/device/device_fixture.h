#pragma once
// A simulated device on a virtual clock, loaded with the shipped default
// profile, and helpers to send it one request.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "host/device/profile.h"
#include "host/device/sim_device.h"
#include "platform/loop/clock.h"
#include "tests/testing/surroundings.h"

namespace dtm::device::test {

using Bytes = std::vector<std::uint8_t>;

using dtm::testing::SourceDir;

inline std::filesystem::path DefaultProfilePath() {
  return SourceDir() / "data" / "profiles" / "default.xml";
}

inline Profile DefaultProfile() { return LoadProfile(DefaultProfilePath()); }

class DeviceFixture : public ::testing::Test {
 protected:
  runtime::HartResponse Send(std::uint8_t command, Bytes data = {}) {
    return device_.Handle({command, std::move(data)});
  }
  // The data of an answer that must succeed.
  Bytes Data(std::uint8_t command, Bytes request = {}) {
    const runtime::HartResponse response = Send(command, std::move(request));
    EXPECT_EQ(response.response_code, std::optional<std::uint8_t>(0)) << "command " << int{command};
    return response.data;
  }
  // The response code of an answer (nullopt: none).
  std::optional<std::uint8_t> Code(std::uint8_t command, Bytes request = {}) {
    return Send(command, std::move(request)).response_code;
  }
  // Bytes [at, at + count) of an answer to `command`.
  Bytes Slice(std::uint8_t command, std::size_t at, std::size_t count, Bytes request = {}) {
    const Bytes data = Data(command, std::move(request));
    if (data.size() < at + count) return {};
    return Bytes(data.begin() + static_cast<std::ptrdiff_t>(at),
                 data.begin() + static_cast<std::ptrdiff_t>(at + count));
  }

  loop::VirtualClock clock_;
  SimDevice device_{clock_, DefaultProfile()};
};

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Hand-coded fields that several tests share.
// Packed "-/-" in 24 bytes: "-/-" then 29 blanks.
inline const Bytes kPackedDashes24 = {0xB6, 0xFB, 0x60, 0x82, 0x08, 0x20, 0x82, 0x08,
                                      0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82,
                                      0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20};
// Packed "NEW TEXT" in 24 bytes.
inline const Bytes kPackedNewText24 = {0x38, 0x55, 0xE0, 0x50, 0x56, 0x14, 0x82, 0x08,
                                       0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20, 0x82,
                                       0x08, 0x20, 0x82, 0x08, 0x20, 0x82, 0x08, 0x20};

}  // namespace dtm::device::test
