#include "host/live/api.h"

#include <cstdio>

namespace dtm::live {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (u < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
          out += escaped;
        } else {
          out += c;  // UTF-8 passes as it is
        }
    }
  }
  return out + "\"";
}

ApiResponse ErrorResponse(int status, const std::string& message) {
  ApiResponse response;
  response.status = status;
  response.body = "{\"ok\":false,\"error\":" + JsonString(message) + "}";
  return response;
}

}  // namespace dtm::live
