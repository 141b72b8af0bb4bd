#pragma once
// The device-specific side of the runtime's data model: the DTM's identity,
// the creation of the model, its language, the data-set state and the
// change notices. The HART coding of transactions builds on this class.

#include <chrono>
#include <cstdint>
#include <memory>

#include "component/interfaces/private.h"
#include "platform/com/object.h"
#include "platform/loop/clock.h"
#include "platform/runtime/hart_units.h"
#include "platform/runtime/services.h"

namespace dtm::runtime {
class ByteBuffer;
class Parameters;
}

namespace dtm {

class clsDataElement;
class MonitorSink;
struct DataSetTally;

class clsDataModel : public com::Object, public IPrivateDataModel {
 public:
  explicit clsDataModel(const runtime::Services& services);

  // ---- _clsDataModel ----
  // 1 when no element outside the dynamic and information values holds an
  // input error or a "needed" mark, 2 otherwise. Counted: the first call
  // for a collection (and the first after it gained or lost elements) makes
  // its elements keep a tally; a collection with an element of another kind
  // is walked each time.
  void EvaluateDataSetState(runtime::Parameters& parameters);
  // The same state found by looking at every element.
  static std::int32_t DataSetStateByWalk(const runtime::Parameters& parameters);
  const std::shared_ptr<runtime::HartUnits>& HartUnits() const { return m_HartUnits; }

  // The silent busy-retry window read from "BusyWait".
  std::chrono::seconds BusyWait() const { return m_BusyWait; }
  std::int32_t LanguageId() const { return m_LanguageId; }

  // ---- IPrivateDataModel ----
  std::string IPrivateDataModel_DTMName() override;
  std::string IPrivateDataModel_DTMVendor() override;
  std::string IPrivateDataModel_DTMVersion() override;
  com::DateValue IPrivateDataModel_DTMDate() override;
  std::string IPrivateDataModel_DTMDescriptor() override;
  void IPrivateDataModel_CreateModel(runtime::DTMContext& context) override;
  void IPrivateDataModel_SetLanguage(runtime::DTMContext& context,
                                     std::int32_t language_id) override;
  void IPrivateDataModel_DataChanged(const DataElementPtr& element,
                                     runtime::DTMContext& context) override;
  void IPrivateDataModel_DataSetChanged(runtime::DTMContext& context) override;
  bool IPrivateDataModel_BuildTransactionRequest(runtime::DTMContext& context,
                                                 runtime::HartTransaction& transaction,
                                                 bool write,
                                                 const DataElementPtr& element) override;
  bool IPrivateDataModel_ReadTransactionResponse(runtime::DTMContext& context,
                                                 runtime::HartTransaction& transaction,
                                                 bool write,
                                                 const DataElementPtr& element) override;

 private:
  // Where a decoded value went: nowhere (not this element's command, or
  // the element takes no value), a failure, the transient and device value,
  // or the device value only (the user edits it online).
  enum class Received { kNothing, kFailed, kTransient, kDeviceOnly };

  void BuildRequestData(runtime::DTMContext& context, runtime::HartTransaction& transaction,
                        clsDataElement& element, bool write);
  bool EncodeRequestValue(runtime::ByteBuffer& buffer, const runtime::HartTransaction& transaction,
                          clsDataElement& element, bool write, std::string& prompts,
                          runtime::DTMContext& context);
  void EvaluateResponse(runtime::DTMContext& context, runtime::HartTransaction& transaction,
                        clsDataElement& element, bool write, bool& retry);
  Received DecodeResponseValue(runtime::DTMContext& context, runtime::ByteBuffer& buffer,
                               const runtime::HartTransaction& transaction,
                               clsDataElement& element, bool write);
  // Rounds a received float and writes the value line of a read.
  void ApplyReceived(runtime::DTMContext& context, clsDataElement& element, Received received,
                     bool write, MonitorSink* monitor);
  void LoadUnitTexts(runtime::DTMContext& context);
  // Marks "DataStatus" as changed (2) once the collection reports changes.
  void MarkDataChanged(runtime::DTMContext& context);

  // The tally of the collection and revision it was made for; nullptr
  // when that collection cannot keep one.
  std::shared_ptr<DataSetTally> m_Tally;
  const runtime::Parameters* m_TallyCollection = nullptr;
  std::uint64_t m_TallyRevision = 0;

  std::int32_t m_NestLevel = 0;
  std::int32_t m_LanguageId = 0;
  std::shared_ptr<runtime::HartUnits> m_HartUnits;
  std::chrono::seconds m_BusyWait{0};
  // The busy series: replies counted since the last other reply, and when
  // the first of them came (measured on the clock, so midnight is no edge).
  std::int16_t m_BusyCount = 0;
  loop::Clock::TimePoint m_FirstBusyTime{};
  // Measures the busy window and gives the build day of the dictionary's
  // date element.
  const loop::Clock& clock_;
};

}  // namespace dtm
