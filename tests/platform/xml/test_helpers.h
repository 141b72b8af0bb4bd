#pragma once
// Helpers of the XML tests: the ComError a call raises, and temporary file
// names that concurrent runs of the tests do not share.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/com/error.h"

namespace dtm::xml::testing {

// Runs `call` and answers the ComError it raises; fails the test when it
// raises nothing or something else.
template <class F>
std::optional<com::ComError> RaisedBy(F&& call) {
  try {
    call();
  } catch (const com::ComError& e) {
    return e;
  } catch (...) {
    ADD_FAILURE() << "raised something other than ComError";
    return std::nullopt;
  }
  ADD_FAILURE() << "raised nothing";
  return std::nullopt;
}

inline std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("vd_xml_" + std::to_string(::getpid()) + "_" + name);
}

}  // namespace dtm::xml::testing
