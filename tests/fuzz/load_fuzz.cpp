// Arbitrary bytes as a data-set file through the real load path: the
// frame's file storage reads the file into a property bag, the DTM takes
// the bag as its instance data set, saves it again, and downloads it to the
// simulated device. A file or a bag may be refused, with the errors their
// contracts name; no other error may come out, a saved set must load back
// to the same state and save again to the same entries, and a download
// must run to its one end.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "host/device/attach.h"
#include "host/device/profile.h"
#include "host/device/sim_device.h"
#include "host/frame/file_storage.h"
#include "platform/com/error.h"
#include "platform/com/property_bag.h"
#include "tests/fuzz/data_set_round_trip.h"
#include "tests/fuzz/fuzz_instance.h"

namespace {

using namespace dtm;

constexpr std::int32_t kFileNotFound = 53;
constexpr std::int32_t kPathError = 75;
constexpr std::int32_t kInvalidFormat = 321;

// The file the inputs pass through: one per process, gone when it ends.
struct TempDataSetFile {
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("vd4625_load_fuzz_" + std::to_string(getpid()) + ".xml");
  ~TempDataSetFile() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

const std::filesystem::path& DataSetFile() {
  static const TempDataSetFile file;
  return file.path;
}

void WriteFile(const std::uint8_t* bytes, std::size_t size) {
  std::ofstream out(DataSetFile(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  if (!out) fuzz::Finding();
}

// Reads the file; false when it is refused as its contract allows.
bool Load(com::MemoryPropertyBag& bag) {
  try {
    frame::FileStorage(DataSetFile()).Load(bag);
  } catch (const com::ComError& error) {
    if (error.Number() != kFileNotFound && error.Number() != kPathError &&
        error.Number() != kInvalidFormat) {
      fuzz::Finding();
    }
    return false;
  }
  return true;
}

// The DTM takes the bag; false when it refuses it as a data set.
bool Take(fuzz::FuzzInstance& instance, com::MemoryPropertyBag& bag) {
  try {
    instance.Dtm().Class_ReadProperties(bag);
  } catch (const com::ComError& error) {
    if (error.Number() != kInvalidFormat) fuzz::Finding();
    return false;
  }
  return true;
}

const device::Profile& DefaultProfile() {
  static const device::Profile profile =
      device::LoadProfile(fuzz::FuzzInstallFolder() / "profiles" / "default.xml");
  return profile;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  WriteFile(bytes, size);
  com::MemoryPropertyBag bag;
  if (!Load(bag)) return 0;

  fuzz::FuzzInstance instance;
  instance.OpenMonitor();
  if (!Take(instance, bag)) return 0;
  if (!instance.Environment()) fuzz::Finding();

  // What the instance holds now is a data set of its own: saved, it loads
  // back to the same state and, saved again, gives the same entries.
  if (fuzz::DataSetRoundTripFault(instance, DataSetFile())) fuzz::Finding();

  device::SimDevice device(instance.Clock(), DefaultProfile());
  device::AttachDevice(instance.Channel(), device);
  if (instance.Dtm().IDtmOnlineParameter_DownloadRequest("fuzz-download", "")) {
    instance.Loop().RunUntil([&] { return !instance.Container().LogLines().empty(); });
    if (instance.Container().LogLines().size() != 1 || instance.Dtm().UpDownloadAll()) {
      fuzz::Finding();
    }
  }
  instance.Channel().SetTransactionHandler({});
  return 0;
}
