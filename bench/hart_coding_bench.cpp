// The cost of coding one request, decoding one response and creating the
// model, measured on the in-memory stand-ins.

#include <benchmark/benchmark.h>

#include <memory>

#include "component/common/identity.h"
#include "component/datamodel/data_element.h"
#include "component/dtm/dtm_main.h"
#include "component/dtm/library.h"
#include "host/frame/frame_container.h"
#include "platform/loop/event_loop.h"
#include "platform/runtime/documents.h"
#include "platform/runtime/hart_transaction.h"
#include "platform/runtime/services.h"
#include "platform/win/registry.h"
#include "platform/win/shell.h"
#include "tests/testing/surroundings.h"

namespace {

using namespace dtm;

// One DTM instance with its model, as a frame sets it up.
struct Instance : testing::FakeSurroundings {
  Library library{services_};
  std::shared_ptr<DTMMain> dtm;

  Instance() : FakeSurroundings(VD_BENCH_INSTALL_DIR) {
    std::shared_ptr<com::ClassFactory> factory;
    library.DllGetClassObject(Library::Classes()[0].clsid, factory);
    dtm = std::dynamic_pointer_cast<DTMMain>(factory->CreateInstance());
    runtime::DeviceType type;
    type.SetIdValue(1, std::to_string(kSupportedManufacturerCode));
    type.SetIdValue(2, std::to_string(kSupportedDeviceTypeCode));
    type.SetIdValue(3, std::to_string(kSupportedDeviceRevision));
    dtm->IDtm_InitNew(type.BuildXML());
    dtm->IDtm_Environment("BENCH", std::make_shared<frame::FrameContainerStandIn>());
    dtm->IDtm_SetLanguage(9);
  }
  runtime::DTMContext& Context() { return dtm->Context(); }
};

void BM_BuildGroupReadRequest(benchmark::State& state) {
  Instance instance;
  auto& context = instance.Context();
  const DataElementPtr group = context.Parameters().Item("SC128Tr2/");
  for (auto _ : state) {
    runtime::HartTransaction transaction;
    context.DataModel()->IPrivateDataModel_BuildTransactionRequest(context, transaction, false,
                                                                   group);
    benchmark::DoNotOptimize(transaction.RequestData);
  }
}
BENCHMARK(BM_BuildGroupReadRequest);

void BM_DecodeGroupReadResponse(benchmark::State& state) {
  Instance instance;
  auto& context = instance.Context();
  const DataElementPtr group = context.Parameters().Item("SC128Tr2/");
  runtime::HartTransaction transaction;
  transaction.Command = com::Variant(std::int16_t{128});
  transaction.ResponseCode = com::Variant(std::uint8_t{0});
  transaction.DeviceStatus = com::Variant(std::uint8_t{0});
  transaction.CommStatus = com::Variant(std::uint8_t{0});
  transaction.ResponseData = com::Variant(com::ByteArray{
      0x2E, 0x42, 0x28, 0x00, 0x00, 0x2F, 0x41, 0xA0, 0x00, 0x00,
      0x30, 0x41, 0x20, 0x00, 0x00, 0x31, 0x42, 0xC8, 0x00, 0x00});
  for (auto _ : state) {
    context.DataModel()->IPrivateDataModel_ReadTransactionResponse(context, transaction, false,
                                                                   group);
  }
}
BENCHMARK(BM_DecodeGroupReadResponse);

void BM_CreateModel(benchmark::State& state) {
  Instance instance;
  auto& context = instance.Context();
  for (auto _ : state) {
    context.DataModel()->IPrivateDataModel_CreateModel(context);
    benchmark::DoNotOptimize(context.Parameters().Count());
  }
}
BENCHMARK(BM_CreateModel);

}  // namespace

BENCHMARK_MAIN();
