#pragma once
// Data elements on fake surroundings: a context whose data model holds its
// unit table, one whose model has none yet (before CreateModel), and one
// without a data model. The virtual clock and loop, recorded messages and
// an in-memory registry stand in for the host.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model.h"
#include "platform/com/error.h"
#include "platform/com/variant.h"
#include "platform/loop/event_loop.h"
#include "platform/runtime/context.h"
#include "platform/runtime/services.h"
#include "platform/win/registry.h"
#include "platform/win/shell.h"
#include "tests/testing/raised.h"
#include "tests/testing/show.h"
#include "tests/testing/surroundings.h"

namespace dtm::testing::element {

using dtm::testing::ErrorOf;
using dtm::testing::Show;

class ElementFixture : public ::testing::Test, protected FakeSurroundings {
 protected:
  ElementFixture() {
    context_->Init(nullptr, model_, nullptr, nullptr);
    model_->IPrivateDataModel_CreateModel(*context_);
    tableless_context_->Init(nullptr, tableless_model_, nullptr, nullptr);
  }

  // A context whose data model has the standard unit table (mm 49, cm 48,
  // m 45, kPa 12, bar 7, % 57).
  runtime::DTMContext& Context() { return *context_; }
  // A data model that has not built its unit table.
  runtime::DTMContext& TablelessContext() { return *tableless_context_; }
  // No data model at all.
  runtime::DTMContext& BareContext() { return *bare_context_; }

  std::shared_ptr<clsDataModel> model_ = std::make_shared<clsDataModel>(services_);
  std::shared_ptr<clsDataModel> tableless_model_ = std::make_shared<clsDataModel>(services_);
  std::shared_ptr<runtime::DTMContext> context_ = std::make_shared<runtime::DTMContext>(services_);
  std::shared_ptr<runtime::DTMContext> tableless_context_ =
      std::make_shared<runtime::DTMContext>(services_);
  std::shared_ptr<runtime::DTMContext> bare_context_ =
      std::make_shared<runtime::DTMContext>(services_);
  clsDataElement element_;
};

// Typed Variant makers for the tables.
inline com::Variant Long(std::int64_t value) {
  return com::Variant(static_cast<std::int32_t>(value));
}
inline com::Variant Int16(int value) { return com::Variant(static_cast<std::int16_t>(value)); }
inline com::Variant Byte(int value) { return com::Variant(static_cast<std::uint8_t>(value)); }

// Names a parameterised case after its row.
struct RowName {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
    return row.param.name;
  }
};

}  // namespace dtm::testing::element
