#pragma once
// Which error a call raised, for tests that check the number, source or
// description of a ComError.

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "platform/com/error.h"

namespace dtm::testing {

// The error number `call` raises, or 0 when it raises none.
template <class F>
std::int32_t ErrorOf(F&& call) {
  try {
    std::forward<F>(call)();
  } catch (const com::ComError& error) {
    return error.Number();
  }
  return 0;
}

// The ComError `call` raises; fails the test when it raises none.
template <class F>
com::ComError RaisedBy(F&& call) {
  try {
    std::forward<F>(call)();
  } catch (const com::ComError& error) {
    return error;
  }
  ADD_FAILURE() << "raised nothing";
  return com::ComError(0, "");
}

}  // namespace dtm::testing
