#pragma once
// Helpers shared by the COM layer's tests.

#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "platform/com/error.h"
#include "tests/testing/raised.h"

namespace dtm::com::test {

constexpr std::int32_t kNoError = 0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

using dtm::testing::ErrorOf;  // answers kNoError when nothing is raised

// Names a table's test after its row.
struct RowName {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
    return row.param.name;
  }
};

}  // namespace dtm::com::test
