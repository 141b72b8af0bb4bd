#pragma once
// HTTP/1.1 as the frame's server reads and writes it: one request taken
// from the bytes a connection received, and the answers' heads. Only what a
// browser sends a page on 127.0.0.1 is taken; anything else is refused
// with the status that says why, and the connection is closed after it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dtm::live {

struct HttpRequest {
  std::string method;  // "GET"
  std::string path;    // decoded, without the query: "/api/state"
  bool http10 = false;
  bool keep_alive = true;  // the client keeps the connection after the answer
  // Header names in lower case, in arrival order.
  std::vector<std::pair<std::string, std::string>> headers;
  // The query's fields, then a form body's, decoded ('+' is a blank).
  std::vector<std::pair<std::string, std::string>> params;
  std::string body;

  // The first header of that (lower-case) name; "" when there is none.
  std::string Header(std::string_view name) const;
  // The first field of that name.
  std::optional<std::string> Param(std::string_view name) const;
};

struct HttpParse {
  enum class Kind {
    kIncomplete,  // more bytes are needed
    kComplete,    // `request` is whole; `consumed` bytes were its own
    kRefused,     // answer `status` and close the connection
  };
  Kind kind = Kind::kIncomplete;
  int status = 0;
  std::size_t consumed = 0;
  // With kIncomplete: the head is whole and the client waits for a
  // "100 Continue" before it sends the body.
  bool wants_continue = false;
  HttpRequest request;
};

// The request at the start of `bytes`. A head over `max_head` bytes is
// refused with 431, a body over `max_body` bytes with 413 as soon as its
// length is known (before the body arrives, where it says its length).
HttpParse ParseHttpRequest(std::string_view bytes, std::size_t max_head, std::size_t max_body);

// "%41+b" as "A b" with `plus_is_blank`; a '%' without two hexadecimal
// digits after it stays as it is.
std::string PercentDecode(std::string_view text, bool plus_is_blank);

// "Not Found" for 404; "Unknown" for a status it does not know.
const char* StatusText(int status);

// The status line and headers of an answer, up to and with the empty line.
// `length` is the body's Content-Length; none for a chunked body.
std::string HttpHead(int status, std::string_view content_type, std::optional<std::size_t> length,
                     bool keep_alive);

}  // namespace dtm::live
