#pragma once
// The lines the live frame ends its own actions with, in the user's
// language (7 German, else English). A transfer's line carries the same
// summary as the command line's listing.

#include <cstdint>
#include <filesystem>
#include <string>

#include "host/cli/listing.h"

namespace dtm::live {

// How a frame action ended, for the notices' list.
struct Outcome {
  bool error = false;
  std::string text;
};

// The end of an upload or download: "Upload finished: 37 transactions, ...";
// an incomplete one is an error, and a download the device refused for its
// write protection says so.
Outcome TransferOutcome(const host::Listing& listing, bool download, bool ended_well,
                        bool write_protected, std::int32_t language);
// The DTM did not start the upload or download.
std::string TransferNotStarted(bool download, std::int32_t language);

// "Data set saved to FILE"; `over_loaded` when FILE is the data set's own
// (the one loaded or saved last), which the save replaced.
std::string SavedLine(const std::filesystem::path& file, bool over_loaded, std::int32_t language);
// "Data set not saved: WHY"; an empty `why` says no file was named.
std::string NotSavedLine(const std::string& why, std::int32_t language);
std::string LoadedLine(const std::filesystem::path& file, std::int32_t language);
// "Data set not loaded: WHY"; an empty `why` says the pages are to be closed first.
std::string NotLoadedLine(const std::string& why, std::int32_t language);

enum class LineEvent { kConnected, kNotConnected, kAlreadyConnected, kDisconnected,
                       kNotDisconnected, kNotOnline, kLanguage, kLanguageRefused };
// The connection's and the language's lines; `why` is added after a colon
// when not empty.
std::string EventLine(LineEvent event, std::int32_t language, const std::string& why = "");

}  // namespace dtm::live
