#pragma once
// One request of the frame's web application as the DTM's thread sees it,
// and its answer. The HTTP layer has checked the token and the address
// before a request gets this far; what it means is the application's.

#include <map>
#include <string>

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

// `text` as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

}  // namespace dtm::live
