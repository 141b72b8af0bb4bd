#pragma once
// The component's identity and the one device it supports. The device codes
// are shared with the simulated device and the dictionary's device types.

#include <cstdint>
#include <string>

namespace dtm {

inline constexpr const char* kLibraryName = "VD4625FDT";
inline constexpr const char* kApplicationTitle = "VD4625FDT";
inline constexpr const char* kCompanyName = "VELDAR AG";
inline constexpr const char* kFileDescription = "FDT 1.2 DTM for VELDAR HART positioner Type 4625";
inline constexpr const char* kVersionComments = "2003-06-23";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 32;

// The ProgID the library registers a class of its own under: "VD4625FDT."
// and the class name.
inline std::string ProgIdOfClass(const std::string& class_name) {
  return std::string(kLibraryName) + "." + class_name;
}

// HART identity of the model 4625 positioner.
inline constexpr std::int32_t kSupportedManufacturerCode = 165;
inline constexpr std::int32_t kSupportedDeviceTypeCode = 70;
inline constexpr std::int32_t kSupportedDeviceRevision = 1;

}  // namespace dtm
