// The HART coding of the data model: requests built from element values,
// responses classified and decoded into element values and status flags,
// busy replies retried, and the transactions written to the monitor.

#include <cmath>
#include <limits>
#include <optional>

#include "component/common/bas_cvmk.h"
#include "component/common/language_helpers.h"
#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model.h"
#include "component/datamodel/monitor_sink.h"
#include "platform/com/error.h"
#include "platform/com/format.h"
#include "platform/runtime/byte_buffer.h"
#include "platform/runtime/context.h"
#include "platform/runtime/hart_transaction.h"
#include "platform/runtime/services.h"

namespace dtm {
namespace {

// The class of a response whose data the element cannot take.
constexpr std::int32_t kTooFewDataBytes = 0x500000;

bool IsGroup(const std::string& name) { return !name.empty() && name.back() == '/'; }

// The DTM's flag of a whole-data-set transfer, read by name.
bool UpDownloadAll(runtime::DTMContext& context) {
  const com::ObjectPtr dtm = context.DTM();
  return dtm && dtm->GetProperty("UpDownloadAll").ToBoolean();
}

// Packed text: three bytes carry four characters; the count rounds halves to even.
std::int32_t PackedByteCount(std::int32_t characters) {
  return static_cast<std::int32_t>(com::RoundHalfEven(characters * 3.0 / 4.0, 0));
}

bool Matches(const clsDataElement& element, const com::Variant& command, bool write) {
  if (command.IsEmpty()) return false;
  const std::int32_t number = command.ToLong();
  return write ? number == element.HARTParamWriteCommand
               : number == element.HARTParamReadCommand;
}

com::ByteArray DumpBytes(const com::Variant& data) {
  if (data.IsByteArray() && !data.Bytes().empty()) return data.Bytes();
  return com::ByteArray{0};
}

// Whether rounding changed a received value, judged at the precision it
// arrived in: a Single of 42.3 rounded to the Double 42.3 is unchanged.
bool SameAtReceivedPrecision(const com::Variant& received, const com::Variant& rounded) {
  const double a = received.ToDouble();
  const double b = rounded.ToDouble();
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  if (received.Type() == com::VarType::Single && std::fabs(b) <= std::numeric_limits<float>::max()) {
    return static_cast<float>(b) == static_cast<float>(a);
  }
  return a == b;
}

std::shared_ptr<clsDataElement> AsElement(const DataElementPtr& element) {
  auto typed = std::dynamic_pointer_cast<clsDataElement>(element);
  if (!typed) throw com::ComError(com::vb::kTypeMismatch, "Not a data element", "clsDataModel");
  return typed;
}

// The input error a value that could not be coded stands for: the
// element's own check of it, else what the coding raised.
std::int32_t InputErrorOf(runtime::DTMContext& context, const clsDataElement& element,
                          const com::ComError& error) {
  std::int32_t code = 0;
  try {
    code = element.CalcParamErrorFlags(context, element.TransientValue) & flags::kInputErrorMask;
  } catch (const com::ComError&) {
    code = 0;
  }
  if (code != 0) return code;
  return error.Number() == com::vb::kOverflow ? flags::kOutOfRange : flags::kNotNumeric;
}

// Codes one element; a value it cannot code (one loaded or set that does
// not fit it) marks the element with its input error and a command error
// that names it, and the error goes on to the runtime, which does not send
// the transaction.
template <class Encode>
void EncodedOrMarked(runtime::DTMContext& context, clsDataElement& element, Encode encode) {
  try {
    encode();
  } catch (const com::ComError& error) {
    element.SetStatusFlags((element.StatusFlags() & ~flags::kInputErrorMask) |
                           InputErrorOf(context, element, error));
    element.CmdErr = element.Name + ": " + error.Description();
    context.Parameters().NotifyChanged(
        std::dynamic_pointer_cast<IPrivateDataElement>(element.shared_from_this()), "");
    throw;
  }
}

}  // namespace

// ---- Requests ------------------------------------------------------------------

bool clsDataModel::IPrivateDataModel_BuildTransactionRequest(runtime::DTMContext& context,
                                                             runtime::HartTransaction& transaction,
                                                             bool write,
                                                             const DataElementPtr& element_ptr) {
  const auto element = AsElement(element_ptr);
  const std::int32_t command =
      write ? element->HARTParamWriteCommand : element->HARTParamReadCommand;
  if (command < 0 || command > 255) return false;
  transaction.Command = com::Variant(static_cast<std::int16_t>(command));

  if (const auto monitor = MonitorSink::Find(context); monitor && !UpDownloadAll(context)) {
    std::string phrase;
    if (command == 48 && element->Name == "CC048/") phrase = "Upload device state";
    if (command == 132 && (element->Name == "SC132Inx1" || element->Name == "SC132Inx2")) {
      phrase = "Polling status";
    }
    if (command == 136) phrase = "Upload dynamic parameters";
    if (!phrase.empty()) {
      monitor->MonitorHeading("DTM: " + monitor->GetText(phrase) + " (" + context.SystemTag() +
                              ")");
    }
  }
  BuildRequestData(context, transaction, *element, write);
  return true;
}

void clsDataModel::BuildRequestData(runtime::DTMContext& context,
                                    runtime::HartTransaction& transaction,
                                    clsDataElement& element, bool write) {
  runtime::ByteBuffer buffer;
  const auto monitor = MonitorSink::Find(context);
  const com::Variant previous(std::int16_t{1});
  std::string prompts;

  if (!IsGroup(element.Name)) {
    if (monitor) {
      if (write) {
        const std::string value = element.TransientValue.IsEmpty()
                                      ? std::string("Empty")
                                      : MonitorSink::ValueText(element.TransientValue);
        monitor->MonitorLine(monitor->GetText("Download ") + element.Prompt + " = " + value,
                             previous);
      } else {
        monitor->MonitorLine(monitor->GetText("Upload ") + element.Prompt, previous);
      }
      prompts = "NOT";
    }
    EncodedOrMarked(context, element, [&] {
      EncodeRequestValue(buffer, transaction, element, write, prompts, context);
    });
  } else {
    if (monitor) {
      monitor->MonitorLine(
          monitor->GetText(write ? "Download parametergroup " : "Upload parametergroup "),
          previous);
    }
    for (const DataElementPtr& member : context.Parameters().GetGroupMembers(element.Name)) {
      clsDataElement& typed = *AsElement(member);
      EncodedOrMarked(context, typed, [&] {
        EncodeRequestValue(buffer, transaction, typed, write, prompts, context);
      });
    }
  }

  if (monitor) {
    const std::int32_t command =
        write ? element.HARTParamWriteCommand : element.HARTParamReadCommand;
    monitor->MonitorLine(monitor->GetText("HART Command:") + " " + std::to_string(command));
    monitor->MonitorHexDump(monitor->GetText("     Send:   "), DumpBytes(buffer.Data()));
  }
  transaction.RequestData = buffer.Data();
}

bool clsDataModel::EncodeRequestValue(runtime::ByteBuffer& buffer,
                                      const runtime::HartTransaction& transaction,
                                      clsDataElement& element, bool write, std::string& prompts,
                                      runtime::DTMContext& context) {
  if (!Matches(element, transaction.Command, write)) return true;

  const bool index_for_write = write && element.IndexWritePosition >= 0;
  if (!index_for_write && element.IndexRequestPosition >= 0) {
    buffer.SetPosition(element.IndexRequestPosition);
    buffer.PutByte(element.nParamIndex);
  }
  if (index_for_write) {
    buffer.SetPosition(element.IndexWritePosition);
    buffer.PutByte(element.nParamIndex);
  }

  bool coded = true;
  if (write) {
    if (element.WriteUnitRequestPosition >= 0) {
      buffer.SetPosition(element.WriteUnitRequestPosition);
      buffer.PutByte(element.nUnit);
    }
    if (element.WriteRequestPosition >= 0) {
      buffer.SetPosition(element.WriteRequestPosition);
      const com::Variant& value = element.TransientValue;
      // Not-a-number and the infinities are no value to give a device: the
      // element gets the mark of its kind (not numeric, out of range).
      if ((element.ValueType == kVtSingle || element.ValueType == kVtDouble) &&
          IsInvalidFloat(value)) {
        if (std::isnan(value.ToDouble())) {
          throw com::ComError(com::vb::kTypeMismatch, "Type mismatch", "clsDataModel");
        }
        throw com::ComError(com::vb::kOverflow, "Overflow", "clsDataModel");
      }
      switch (element.ValueType) {
        case kVtBytes: {
          com::ByteArray bytes;
          if (value.IsByteArray()) bytes = value.Bytes();
          buffer.PutBytes(bytes, element.ValueTypeLength);
          break;
        }
        case kVtUInt8: {
          // Shifted in a wide integer and masked afterwards, so a value wider
          // than its field cannot spill into the neighbouring bits.
          std::uint32_t shifted = value.ToByte();
          const std::uint8_t mask = element.AccessMask;
          if (mask < 255) {
            if (mask != 0) {
              std::uint32_t m = mask;
              while ((m & 1u) == 0) {
                shifted <<= 1;
                m >>= 1;
              }
            }
            std::uint32_t merged = shifted & mask;
            if (buffer.Position() < buffer.Length()) {
              const std::uint8_t held = buffer.Byte();
              merged = (held & static_cast<std::uint8_t>(~mask)) | (shifted & mask);
              buffer.SetPosition(buffer.Position() - 1);
            }
            buffer.PutByte(static_cast<std::uint8_t>(merged));
          } else {
            buffer.PutByte(static_cast<std::uint8_t>(shifted));
          }
          break;
        }
        case kVtUInt16:
          buffer.PutUInt16(value.ToLong());
          break;
        case kVtUInt24:
          buffer.PutUInt24(value.ToLong());
          break;
        case kVtInt16:
          buffer.PutInt16(value.ToInteger());
          break;
        case kVtInt24:
          buffer.PutInt24(value.ToLong());
          break;
        case kVtInt32:
          buffer.PutInt32(value.ToLong());
          break;
        case kVtSingle:
          buffer.PutSingle(value.ToSingle());
          break;
        case kVtBoolean:
          buffer.PutByte(value.ToByte());
          break;
        case kVtDate:
          buffer.PutDate(value, 0);
          break;
        case kVtText:
          if (element.bPackedCoding) {
            buffer.PutText(value.ToString(), PackedByteCount(element.ValueTypeLength), 0);
          } else {
            buffer.PutText(value.ToString(), element.ValueTypeLength, 1);
          }
          break;
        case kVtEnum:
          buffer.PutUInt32(value.ToDouble());
          break;
        default:
          coded = false;
          break;
      }
    }
  }

  const auto monitor = MonitorSink::Find(context);
  if (monitor && coded && !IsGroup(element.Name) && prompts != "NOT") {
    if (write) {
      const std::string value = MonitorSink::ValueText(element.TransientValue);
      monitor->MonitorLine(monitor->GetText("Download ") + element.Prompt + " = " + value);
    } else {
      if (!prompts.empty()) monitor->MonitorAdd(",");
      monitor->MonitorLine(element.Prompt);
      prompts += element.Prompt;
    }
  }
  return coded;
}

// ---- Responses -----------------------------------------------------------------

bool clsDataModel::IPrivateDataModel_ReadTransactionResponse(runtime::DTMContext& context,
                                                             runtime::HartTransaction& transaction,
                                                             bool write,
                                                             const DataElementPtr& element_ptr) {
  const auto element = AsElement(element_ptr);
  if (transaction.Command.IsEmpty() || transaction.ResponseCode.IsEmpty()) {
    if (const auto monitor = MonitorSink::Find(context)) {
      monitor->MonitorLine(
          monitor->GetText(write ? "=== Download error ===" : "=== Upload error ==="),
          com::Variant(std::int16_t{1}));
    }
    return false;
  }
  bool retry = false;
  EvaluateResponse(context, transaction, *element, write, retry);
  if (retry) context.CommMan().RepeatTransaction();
  return true;
}

void clsDataModel::EvaluateResponse(runtime::DTMContext& context,
                                    runtime::HartTransaction& transaction,
                                    clsDataElement& element, bool write, bool& retry) {
  retry = false;
  bool flagged = false;
  bool retry_pending = false;
  std::int32_t result_class = 0;
  const std::int32_t response_code = transaction.ResponseCode.ToLong();
  const auto monitor = MonitorSink::Find(context);

  if (monitor) {
    const std::int32_t comm_status =
        transaction.CommStatus.IsEmpty() ? 0 : transaction.CommStatus.ToLong();
    const std::int32_t first = comm_status != 0 ? comm_status : response_code;
    const std::int32_t device_status =
        transaction.DeviceStatus.IsEmpty() ? 0 : transaction.DeviceStatus.ToLong();
    std::string line = monitor->GetText("     Status: ") +
                       basCVMK::ByteToHexStr(static_cast<std::uint8_t>(first)) +
                       basCVMK::ByteToHexStr(static_cast<std::uint8_t>(device_status));
    if ((response_code & 32) != 0) line += "  (Busy)";
    monitor->MonitorLine(line);
  }

  const std::int32_t code = response_code & 0x7F;
  if (code == 0) {
    result_class = 0;
  } else if (code >= 2 && code <= 4) {
    result_class = 0x400000;
    flagged = true;
  } else if (code == 5) {
    result_class = kTooFewDataBytes;
    flagged = true;
  } else if (code == 6) {
    result_class = 0x600000;
    flagged = true;
  } else if (code == 7) {
    result_class = 0x300000;
    flagged = true;
    context.MessageBox(LanguageHelpers::GetLangText(context, "device_write_protected"), 16);
    context.CommMan().OnWriteProtected();
  } else if (code >= 8 && code <= 15) {
    result_class = 0x700000;
    flagged = true;
  } else if (code == 16) {
    result_class = 0x300000;
    flagged = true;
  } else if (code == 32) {
    ++m_BusyCount;
    const loop::Clock::TimePoint now = clock_.Now();
    if (m_BusyCount == 1) m_FirstBusyTime = now;
    retry_pending = true;
    if (now - m_FirstBusyTime < m_BusyWait) {
      retry = true;
    } else {
      result_class = 0x200000;
      flagged = true;
      if (UpDownloadAll(context)) {
        const com::ObjectPtr dtm = context.DTM();
        const std::int16_t counted = dtm->GetProperty("ParamBusyCounter").ToInteger();
        dtm->SetProperty("ParamBusyCounter", com::Variant(static_cast<std::int16_t>(counted + 1)));
      } else if (context.MessageBox(LanguageHelpers::GetLangText(context, "device_busy"), 52) ==
                 runtime::kIdYes) {
        retry = true;
        m_BusyCount = 1;
        m_FirstBusyTime = clock_.Now();
      } else {
        m_BusyCount = 0;
        m_FirstBusyTime = {};
      }
    }
  } else if (code == 64) {
    result_class = 0x100000;
    flagged = true;
  } else {
    result_class = 0xF00000;
  }
  if (!retry_pending) {
    m_BusyCount = 0;
    m_FirstBusyTime = {};
  }

  if (result_class != 0) {
    std::string text = element.GetStrCommandErrorFromIndex(response_code);
    if (text.empty()) {
      if (const auto tag = std::dynamic_pointer_cast<clsDataElement>(
              context.Parameters().Find("~/Tag"))) {
        text = tag->GetStrCommandErrorFromIndex(response_code);
      }
    }
    element.CmdErr = text;
  } else {
    element.CmdErr.clear();
  }

  runtime::ByteBuffer buffer(transaction.ResponseData);
  if (monitor) {
    monitor->MonitorHexDump(monitor->GetText("     Receive:"), DumpBytes(buffer.Data()));
  }

  const std::int16_t device_status =
      transaction.DeviceStatus.IsEmpty() ? std::int16_t{0} : transaction.DeviceStatus.ToInteger();
  // An answered transaction also clears the communication-error bits: the
  // link to the device works again.
  constexpr std::int32_t kClearedOnAnswer = 0xF00008 | flags::kCommErrorMask;

  // The class of `target` after its decoding. A value the element cannot
  // take ends this element's part of the transaction only: it keeps what
  // it held, and its command error names it and the fault.
  auto decode_one = [&](clsDataElement& target) -> std::int32_t {
    std::int32_t target_class = result_class;
    if (!flagged && !retry_pending) {
      const com::Variant transient = target.TransientValue;
      const com::Variant device = target.DeviceValue;
      const com::Variant persistent = target.PersistentValue;
      const std::uint8_t unit = target.nUnit;
      try {
        const Received received =
            DecodeResponseValue(context, buffer, transaction, target, write);
        if (received == Received::kFailed) {
          if (result_class == 0) target_class = kTooFewDataBytes;
        } else {
          ApplyReceived(context, target, received, write, monitor.get());
        }
      } catch (const com::ComError& error) {
        target.TransientValue = transient;
        target.DeviceValue = device;
        target.PersistentValue = persistent;
        target.nUnit = unit;
        target.CmdErr = target.Name + ": " + error.Description();
        target_class = kTooFewDataBytes;
      }
    }
    target.DeviceStatus = device_status;
    return target_class;
  };

  if (!IsGroup(element.Name)) {
    const std::int32_t element_class = decode_one(element);
    element.SetStatusFlags((element.StatusFlags() & ~kClearedOnAnswer) | element_class);
    context.CommMan().OnResultClass(element_class);
    context.Parameters().NotifyChanged(
        std::dynamic_pointer_cast<IPrivateDataElement>(element.shared_from_this()), "");
  } else {
    for (const DataElementPtr& member_ptr : context.Parameters().GetGroupMembers(element.Name)) {
      const auto member = AsElement(member_ptr);
      if (!Matches(*member, transaction.Command, write)) continue;
      member->CmdErr = element.CmdErr;
      const std::int32_t member_class = decode_one(*member);
      member->SetStatusFlags((member->StatusFlags() & ~kClearedOnAnswer) | member_class);
      context.CommMan().OnResultClass(member_class);
      context.Parameters().NotifyChanged(member_ptr, "");
    }
  }

  if (!transaction.DeviceStatus.IsEmpty() && !flagged) {
    const auto state =
        std::dynamic_pointer_cast<clsDataElement>(context.Parameters().Item("DevState"));
    const std::int32_t new_flags =
        (state->StatusFlags() & ~0xFF0000) | (element.StatusFlags() & 0xFF0000);
    const com::Variant status_byte(static_cast<std::uint8_t>(device_status));
    auto differs = [&](const com::Variant& v) {
      return v.IsEmpty() || v.ToDouble() != static_cast<double>(device_status);
    };
    if (differs(state->TransientValue) || differs(state->DeviceValue) ||
        !state->PersistentValue.IsEmpty() || new_flags != state->StatusFlags()) {
      state->TransientValue = status_byte;
      state->DeviceValue = status_byte;
      state->PersistentValue = com::Variant();
      state->SetStatusFlags(new_flags);
      context.Parameters().NotifyChanged(state, "");
    }
  }
}

void clsDataModel::ApplyReceived(runtime::DTMContext&, clsDataElement& element,
                                 Received received, bool write, MonitorSink* monitor) {
  // What the protocol shows as received: the device value where only it
  // took the reply, else the transient value.
  const com::Variant raw =
      received == Received::kDeviceOnly ? element.DeviceValue : element.TransientValue;
  // Only a value that arrived is rounded, and only where it went: a value
  // the user edits online stays as the user typed it.
  const bool rounds = element.ValueType == kVtSingle && received != Received::kNothing;
  const com::Variant rounded =
      rounds ? basCVMK::RoundParamValue(element.Name, raw, element.ValueFormat) : raw;
  if (monitor && !write && !IsGroup(element.Name)) {
    monitor->MonitorLine(monitor->GetText("Value ") + element.Prompt + " = " +
                         MonitorSink::ValueText(raw));
    if (rounds && !SameAtReceivedPrecision(raw, rounded)) {
      monitor->MonitorAdd("Corrected " + MonitorSink::ValueText(rounded, element.ValueFormat));
    }
  }
  // A count is a whole number of 32 bits; anything else the device sends
  // for it (not-a-number, a count beyond the range) it cannot mean.
  if (rounds && basCVMK::IsCountPath(element.Name) && rounded.Type() != com::VarType::Long) {
    com::ThrowOverflow("clsDataModel");
  }
  if (received == Received::kTransient) {
    element.TransientValue = rounded;
    element.DeviceValue = rounded;
  } else if (received == Received::kDeviceOnly) {
    element.DeviceValue = rounded;
  }
}

clsDataModel::Received clsDataModel::DecodeResponseValue(runtime::DTMContext& context,
                                                         runtime::ByteBuffer& buffer,
                                                         const runtime::HartTransaction& transaction,
                                                         clsDataElement& element, bool write) {
  if (!Matches(element, transaction.Command, write)) return Received::kNothing;
  try {
    const std::int16_t value_position =
        write ? element.WriteResponsePosition : element.ReadResponsePosition;
    const std::int16_t unit_position =
        write ? element.WriteUnitResponsePosition : element.ReadUnitResponsePosition;
    if (unit_position >= 0) {
      buffer.SetPosition(unit_position);
      const std::uint8_t unit = buffer.Byte();
      if (unit != 0) element.nUnit = unit;
    }
    if ((element.Name == "SC130Tr8/Par2" && !write) || value_position < 0 || element.IgnoreUpdate) {
      return Received::kNothing;
    }
    buffer.SetPosition(value_position);
    com::Variant value;
    switch (element.ValueType) {
      case kVtBytes:
        value = com::Variant(buffer.ReadBytes(element.ValueTypeLength));
        break;
      case kVtUInt8: {
        std::uint32_t byte = buffer.Byte();
        std::uint32_t mask = element.AccessMask;
        if (mask < 255) {
          byte &= mask;
          if (mask != 0) {
            while ((mask & 1u) == 0) {
              byte >>= 1;
              mask >>= 1;
            }
          }
        }
        value = com::Variant(static_cast<std::uint8_t>(byte));
        break;
      }
      case kVtUInt16:
        value = com::Variant(buffer.UInt16());
        break;
      case kVtUInt24:
        value = com::Variant(buffer.UInt24());
        break;
      case kVtInt16:
        value = com::Variant(buffer.Int16());
        break;
      case kVtInt24:
        value = com::Variant(buffer.Int24());
        break;
      case kVtInt32:
        value = com::Variant(buffer.Int32());
        break;
      case kVtSingle:
        value = com::Variant(buffer.Single());
        break;
      case kVtBoolean:
        value = com::Variant(buffer.Byte());
        break;
      case kVtDate:
        value = com::Variant(buffer.Date(0));
        break;
      case kVtText: {
        std::string text =
            element.bPackedCoding
                ? buffer.Text(PackedByteCount(element.ValueTypeLength), 0)
                : buffer.Text(element.ValueTypeLength, 1);
        while (!text.empty() && text.back() == ' ') text.pop_back();
        value = com::Variant(text);
        break;
      }
      case kVtEnum:
        value = com::Variant(buffer.UInt32());
        break;
      default:
        return Received::kFailed;
    }
    element.DeviceValue = value;
    element.PersistentValue = com::Variant();
    const bool take = write || (element.StatusFlags() & flags::kOnlineEdit) == 0 ||
                      context.ProcessMan().State() == 1;
    if (take) {
      element.TransientValue = element.DeviceValue;
      return Received::kTransient;
    }
    return Received::kDeviceOnly;
  } catch (const com::ComError&) {
    return Received::kFailed;
  }
}

}  // namespace dtm
