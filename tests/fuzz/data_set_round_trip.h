#pragma once
// The round trip every data set the DTM saves must survive: what an
// instance holds, saved to a file, loads into a new instance that reads as
// the first did and, saved again, writes the same file.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "host/frame/file_storage.h"
#include "platform/com/error.h"
#include "platform/com/property_bag.h"
#include "tests/fuzz/fuzz_instance.h"

namespace dtm::fuzz {

inline std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What went wrong in the round trip of `instance`'s data set through
// `file` (overwritten), or nullopt when it came back as it went.
inline std::optional<std::string> DataSetRoundTripFault(FuzzInstance& instance,
                                                        const std::filesystem::path& file) {
  com::MemoryPropertyBag saved;
  instance.Dtm().Class_WriteProperties(saved);
  frame::FileStorage(file).Save(saved);
  const std::string first = FileText(file);

  FuzzInstance again;
  try {
    com::MemoryPropertyBag reloaded;
    frame::FileStorage(file).Load(reloaded);
    again.Dtm().Class_ReadProperties(reloaded);
  } catch (const com::ComError& error) {
    return "the saved set does not load: " + error.Description();
  }
  const std::int32_t state = instance.Context().Parameters().DataSetState();
  const std::int32_t state_again = again.Context().Parameters().DataSetState();
  if (state != state_again) {
    return "the data set state was " + std::to_string(state) + " and reads " +
           std::to_string(state_again) + " after the round trip";
  }
  com::MemoryPropertyBag resaved;
  again.Dtm().Class_WriteProperties(resaved);
  frame::FileStorage(file).Save(resaved);
  if (FileText(file) != first) return "saved again, the set differs:\n" + first + "\n" + FileText(file);
  return std::nullopt;
}

}  // namespace dtm::fuzz
