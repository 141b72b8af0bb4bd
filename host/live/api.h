#pragma once
// One request of the frame's web application as the DTM's thread sees it,
// and its answer. The HTTP layer has checked the token and the address
// before a request gets this far; what it means is the application's.

#include <map>
#include <string>
#include <string_view>

namespace dtm::live {

struct ApiRequest {
  std::string method;                         // "GET", "POST"
  std::string path;                           // "/api/state"
  std::map<std::string, std::string> params;  // query and form fields, decoded; no "token"
};

struct ApiResponse {
  int status = 200;
  std::string content_type = "application/json; charset=utf-8";
  std::string body;
};

// {"ok":false,"error":"<message>"} with that status.
ApiResponse ErrorResponse(int status, const std::string& message);

// `text` as a JSON string literal, quotes included; bytes that are no
// UTF-8 become U+FFFD.
std::string JsonString(const std::string& text);

// `text` with every byte that is not part of a well-formed UTF-8 sequence
// (overlong forms and surrogates included) replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

}  // namespace dtm::live
