#pragma once
// A DTMContext on fake surroundings for the dictionary and document tests:
// virtual clock and loop, recording messages and shell, in-memory registry,
// the tree's data/ as install folder and data/XMLData as data folder. The
// data model answers the identity it is given.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "component/interfaces/private.h"
#include "platform/loop/clock.h"
#include "platform/loop/event_loop.h"
#include "platform/runtime/context.h"
#include "platform/runtime/services.h"
#include "platform/win/registry.h"
#include "platform/win/shell.h"
#include "tests/testing/surroundings.h"

namespace dtm::runtime::testing {

using dtm::testing::SourceDir;

class IdentityModel final : public IPrivateDataModel {
 public:
  std::string IPrivateDataModel_DTMName() override { return name; }
  std::string IPrivateDataModel_DTMVendor() override { return vendor; }
  std::string IPrivateDataModel_DTMVersion() override { return version; }
  com::DateValue IPrivateDataModel_DTMDate() override { return date; }
  std::string IPrivateDataModel_DTMDescriptor() override { return descriptor; }
  void IPrivateDataModel_CreateModel(DTMContext&) override {}
  void IPrivateDataModel_SetLanguage(DTMContext&, std::int32_t) override {}
  void IPrivateDataModel_DataChanged(const DataElementPtr&, DTMContext&) override {}
  void IPrivateDataModel_DataSetChanged(DTMContext&) override {}
  bool IPrivateDataModel_BuildTransactionRequest(DTMContext&, HartTransaction&, bool,
                                                 const DataElementPtr&) override {
    return false;
  }
  bool IPrivateDataModel_ReadTransactionResponse(DTMContext&, HartTransaction&, bool,
                                                 const DataElementPtr&) override {
    return false;
  }

  std::string name = "VD 4625 DTM";
  std::string vendor = "VELDAR AG";
  std::string version = "1.0.0";
  com::DateValue date{45443};  // 2024-05-31
  std::string descriptor = "HART positioner 4625";
};

// Without a data model until BindModel(); the dictionary is not loaded.
class ContextFixture : public ::testing::Test, protected dtm::testing::FakeSurroundings {
 protected:
  ContextFixture() { context_->XMLMan().SetDataFolder(DataFolder().string()); }

  static std::filesystem::path DataFolder() { return SourceDir() / "data" / "XMLData"; }
  void BindModel() { context_->Init(nullptr, model_, nullptr, nullptr); }
  void LoadShippedDictionary() {
    ASSERT_TRUE(context_->Dictionary().Load(*context_, "DTMDictionary"))
        << "from " << context_->XMLMan().DataFolder();
  }

  std::shared_ptr<IdentityModel> model_ = std::make_shared<IdentityModel>();
  std::shared_ptr<DTMContext> context_ = std::make_shared<DTMContext>(services_);
};

}  // namespace dtm::runtime::testing
