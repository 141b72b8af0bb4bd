// Arbitrary device answers through the real response path: the frame's
// channel hands the response document to the runtime's communication
// manager, which has the data model read it into the elements. No error may
// leave the event loop, every transfer ends exactly once, and the
// sanitizers watch the rest.
//
// Input: a series of answers, each read by the same instance in turn (one
// instance's setup serves several transactions, and their order matters):
// byte 0 and 1 choose the element (every element and group of the
// collection, in its order), byte 2 is the command code of the answer (0:
// the request's own), byte 3 the response code, byte 4 the field device
// status, byte 5 the second status, byte 6 the switches below, byte 7 the
// number of data bytes that follow. The monitor and a whole upload follow
// the first answer's switches.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "component/datamodel/data_element.h"
#include "platform/com/variant.h"
#include "platform/runtime/comm.h"
#include "platform/runtime/parameters.h"
#include "platform/runtime/hart_frame.h"
#include "tests/fuzz/fuzz_instance.h"

namespace {

using namespace dtm;

constexpr std::size_t kHeader = 8;
constexpr std::size_t kMostAnswers = 16;

// Switches of byte 6.
constexpr std::uint8_t kWrite = 0x01;
constexpr std::uint8_t kOnlineEdit = 0x02;       // the user edits the element online
constexpr std::uint8_t kMonitor = 0x04;          // the protocol is written
constexpr std::uint8_t kNoResponseCode = 0x08;   // the device said nothing
constexpr std::uint8_t kWholeUpload = 0x10;      // every upload element gets this answer first
constexpr std::uint8_t kSilent = 0x20;           // no answer at all: the transaction times out
constexpr std::uint8_t kRepeatsMask = 0xC0;      // how often the answer comes before a plain 0

struct Answer {
  std::uint16_t element = 0;
  std::uint8_t command = 0;
  std::uint8_t response_code = 0;
  std::uint8_t device_status = 0;
  std::uint8_t comm_status = 0;
  std::uint8_t switches = 0;
  std::vector<std::uint8_t> data;
};

// At least one answer; a short last one reads missing bytes as 0.
std::vector<Answer> Read(const std::uint8_t* bytes, std::size_t size) {
  std::vector<Answer> answers;
  std::size_t at = 0;
  do {
    std::uint8_t header[kHeader] = {};
    for (std::size_t i = 0; i < kHeader && at < size; ++i) header[i] = bytes[at++];
    Answer answer;
    answer.element = static_cast<std::uint16_t>(header[0] << 8 | header[1]);
    answer.command = header[2];
    answer.response_code = header[3];
    answer.device_status = header[4];
    answer.comm_status = header[5];
    answer.switches = header[6];
    const std::size_t length = std::min<std::size_t>(header[7], size - at);
    answer.data.assign(bytes + at, bytes + at + length);
    at += length;
    answers.push_back(std::move(answer));
  } while (at < size && answers.size() < kMostAnswers);
  return answers;
}

// What a response may change of an element.
struct Values {
  com::Variant transient;
  com::Variant device;
  com::Variant persistent;
  // Not-a-number never equals itself: compared by subtype and text.
  static std::string Key(const com::Variant& v) {
    return std::to_string(static_cast<int>(v.Type())) + ":" + ctlMonitor::ValueText(v);
  }
  friend bool operator==(const Values& a, const Values& b) {
    return Key(a.transient) == Key(b.transient) && Key(a.device) == Key(b.device) &&
           Key(a.persistent) == Key(b.persistent);
  }
};

// The element's values, and those of every member when it is a group.
std::vector<Values> ValuesOf(runtime::DTMContext& context, const DataElementPtr& element) {
  std::vector<DataElementPtr> read{element};
  const std::string name = element->IPrivateDataElement_Name();
  if (!name.empty() && name.back() == '/') {
    for (const DataElementPtr& member : context.Parameters().GetGroupMembers(name)) {
      read.push_back(member);
    }
  }
  std::vector<Values> values;
  for (const DataElementPtr& e : read) {
    values.push_back({e->IPrivateDataElement_TransientValue(), e->IPrivateDataElement_DeviceValue(),
                      e->IPrivateDataElement_PersistentValue()});
  }
  return values;
}

// The device gives `answer` (as often as it says), then a plain 0 with its data.
void Answering(fuzz::FuzzInstance& instance, const Answer& answer) {
  instance.Channel().SetTransactionHandler(
      [&answer, remaining = 1 + ((answer.switches & kRepeatsMask) >> 6)](
          const std::string& document) mutable -> std::optional<std::string> {
        runtime::HartRequest request;
        if (!runtime::ParseTransactionRequestXml(document, request)) fuzz::Finding();
        runtime::HartResponse response;
        response.command = answer.command != 0 ? answer.command : request.command;
        response.data = answer.data;
        if (remaining <= 0) {
          response.response_code = 0;
          return runtime::BuildTransactionResponseXml(response);
        }
        --remaining;
        if ((answer.switches & kSilent) != 0) return std::nullopt;
        if ((answer.switches & kNoResponseCode) == 0) response.response_code = answer.response_code;
        response.device_status = answer.device_status;
        response.comm_status = answer.comm_status;
        return runtime::BuildTransactionResponseXml(response);
      });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::vector<Answer> answers = Read(bytes, size);
  fuzz::FuzzInstance instance;
  if (!instance.InitNew() || !instance.Environment()) fuzz::Finding();
  instance.AnswerNo();
  if ((answers.front().switches & kMonitor) != 0) instance.OpenMonitor();
  runtime::DTMContext& context = instance.Context();

  if ((answers.front().switches & kWholeUpload) != 0) {
    Answering(instance, answers.front());
    if (!instance.Dtm().IDtmOnlineParameter_UploadRequest("fuzz-upload", "")) fuzz::Finding();
    instance.Loop().RunUntil([&] { return !instance.Container().LogLines().empty(); });
    // Exactly one end, and nothing still running.
    if (instance.Container().LogLines().size() != 1 || instance.Dtm().UpDownloadAll()) {
      fuzz::Finding();
    }
  }

  const std::vector<DataElementPtr> elements = context.Parameters().Elements();
  if (elements.empty()) fuzz::Finding();
  int transfer = 0;
  for (const Answer& answer : answers) {
    const DataElementPtr element = elements[answer.element % elements.size()];
    if ((answer.switches & kOnlineEdit) != 0) {
      element->IPrivateDataElement_StatusFlags(element->IPrivateDataElement_StatusFlags() |
                                               flags::kOnlineEdit);
    }
    // A refusal the device gives once leaves the values where they were.
    const std::uint8_t code = answer.response_code & 0x7F;
    const bool refused_once = (answer.switches & (kRepeatsMask | kSilent | kNoResponseCode)) == 0 &&
                              ((code >= 2 && code <= 16) || code == 64);
    const std::vector<Values> before = ValuesOf(context, element);
    Answering(instance, answer);
    const std::string id = "fuzz-" + std::to_string(++transfer);
    int ends = 0;
    context.CommMan().StartTransfer(id, {runtime::TransferItem{element, (answer.switches & kWrite) != 0}},
                                    [&](bool) { ++ends; });
    instance.Loop().RunUntil([&] { return ends != 0; });
    instance.Loop().RunUntilIdle();
    if (ends != 1 || context.CommMan().GetResults(id).size() > 1) fuzz::Finding();
    if (refused_once && ValuesOf(context, element) != before) fuzz::Finding();
  }
  return 0;
}
