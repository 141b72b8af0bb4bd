#pragma once
// One HART transaction of a process, as the data model fills the request
// and reads the response. Each field is a Variant and may be Empty.

#include "platform/com/object.h"

namespace dtm::runtime {

class HartTransaction : public com::Object {
 public:
  com::Variant Command;       // the command number (16-bit integer)
  com::Variant RequestData;   // byte array, or Empty
  com::Variant ResponseCode;  // the response code byte; Empty: no answer
  com::Variant CommStatus;    // a second status of the reply; 0 when none
  com::Variant DeviceStatus;  // the field device status byte
  com::Variant ResponseData;  // byte array, or Empty
};

}  // namespace dtm::runtime
