#include "host/live/http_wire.h"

#include <charconv>
#include <cstdint>

#include "host/live/server.h"

namespace dtm::live {
namespace {

constexpr std::size_t kMaxChunkLine = 1024;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A character of a method or header name.
bool TokenChar(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool Token(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (!TokenChar(c)) return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Whether the comma-separated list `value` holds `token` (case aside).
bool ListHas(std::string_view value, std::string_view token) {
  const std::string list = Lower(value);
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    if (Trimmed(std::string_view(list).substr(start, end - start)) == token) return true;
    start = end + 1;
  }
  return false;
}

void AddFields(std::string_view text, std::vector<std::pair<std::string, std::string>>& params) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('&', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view field = text.substr(start, end - start);
    start = end + 1;
    if (field.empty()) continue;
    const std::size_t equals = field.find('=');
    if (equals == std::string_view::npos) {
      params.emplace_back(PercentDecode(field, true), "");
    } else {
      params.emplace_back(PercentDecode(field.substr(0, equals), true),
                          PercentDecode(field.substr(equals + 1), true));
    }
  }
}

// The next line of `bytes` from `at` (without its end, CRLF or LF); none
// when no line end has arrived yet. `at` moves past the line.
std::optional<std::string_view> NextLine(std::string_view bytes, std::size_t& at) {
  const std::size_t end = bytes.find('\n', at);
  if (end == std::string_view::npos) return std::nullopt;
  std::string_view line = bytes.substr(at, end - at);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  at = end + 1;
  return line;
}

HttpParse Refused(int status) {
  HttpParse parse;
  parse.kind = HttpParse::Kind::kRefused;
  parse.status = status;
  return parse;
}

// A chunked body from `at` on: kComplete with the body and the bytes used,
// kIncomplete, or kRefused.
HttpParse Chunks(std::string_view bytes, std::size_t at, std::size_t max_body, std::string& body) {
  for (;;) {
    const std::size_t line_start = at;
    const auto line = NextLine(bytes, at);
    if (!line) {
      if (bytes.size() - line_start > kMaxChunkLine) return Refused(400);
      return {};
    }
    const std::string_view size_text = Trimmed(line->substr(0, line->find(';')));
    std::size_t size = 0;
    const auto [end, error] =
        std::from_chars(size_text.data(), size_text.data() + size_text.size(), size, 16);
    if (size_text.empty() || error != std::errc() || end != size_text.data() + size_text.size()) {
      return error == std::errc::result_out_of_range ? Refused(413) : Refused(400);
    }
    if (size == 0) {
      // The trailer's fields are not needed: up to the empty line.
      for (;;) {
        const std::size_t trailer_start = at;
        const auto trailer = NextLine(bytes, at);
        if (!trailer) {
          if (bytes.size() - trailer_start > kMaxChunkLine) return Refused(400);
          return {};
        }
        if (trailer->empty()) break;
      }
      HttpParse done;
      done.kind = HttpParse::Kind::kComplete;
      done.consumed = at;
      return done;
    }
    if (size > max_body - body.size()) return Refused(413);
    if (bytes.size() - at < size + 2) return {};
    body.append(bytes.substr(at, size));
    at += size;
    if (bytes.substr(at, 2) == "\r\n") {
      at += 2;
    } else if (bytes[at] == '\n') {
      at += 1;
    } else {
      return Refused(400);
    }
  }
}

}  // namespace

std::string HttpRequest::Header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (key == name) return value;
  }
  return {};
}

std::optional<std::string> HttpRequest::Param(std::string_view name) const {
  for (const auto& [key, value] : params) {
    if (key == name) return value;
  }
  return std::nullopt;
}

std::string PercentDecode(std::string_view text, bool plus_is_blank) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 2 < text.size()) {
      const int high = HexDigit(text[i + 1]);
      const int low = HexDigit(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += plus_is_blank && c == '+' ? ' ' : c;
  }
  return out;
}

HttpParse ParseHttpRequest(std::string_view bytes, std::size_t max_head, std::size_t max_body) {
  std::size_t at = 0;
  // Blank lines before a request are left over from the one before.
  while (at < bytes.size() && (bytes[at] == '\r' || bytes[at] == '\n')) ++at;
  const std::size_t head_start = at;
  bool whole = false;
  for (std::size_t scan = at; const auto line = NextLine(bytes, scan);) {
    if (line->empty()) {
      whole = true;
      break;
    }
  }
  if (!whole) {
    if (bytes.size() - head_start > max_head) return Refused(431);
    return {};
  }

  HttpParse parse;
  HttpRequest& request = parse.request;
  const auto request_line = NextLine(bytes, at);
  const std::size_t first_space = request_line->find(' ');
  const std::size_t last_space = request_line->rfind(' ');
  if (first_space == std::string_view::npos || first_space == last_space) return Refused(400);
  request.method = std::string(request_line->substr(0, first_space));
  const std::string_view target = request_line->substr(first_space + 1, last_space - first_space - 1);
  const std::string_view version = request_line->substr(last_space + 1);
  if (!Token(request.method) || target.empty() || target.front() != '/' ||
      target.find_first_of(" \t") != std::string_view::npos) {
    return Refused(400);
  }
  if (version == "HTTP/1.0") {
    request.http10 = true;
  } else if (version != "HTTP/1.1") {
    return Refused(version.starts_with("HTTP/") ? 505 : 400);
  }

  for (;;) {
    const auto line = NextLine(bytes, at);
    if (!line) return Refused(400);  // cannot be: the head's end was found
    if (line->empty()) break;
    const std::size_t colon = line->find(':');
    // A continued line (one that starts with a blank) is no longer allowed.
    if (colon == std::string_view::npos || !Token(line->substr(0, colon))) return Refused(400);
    request.headers.emplace_back(Lower(line->substr(0, colon)), std::string(Trimmed(line->substr(colon + 1))));
  }
  if (at - head_start > max_head) return Refused(431);

  const std::string connection = request.Header("connection");
  request.keep_alive = request.http10 ? ListHas(connection, "keep-alive") : !ListHas(connection, "close");

  // The body's length: one Content-Length, or a chunked body; both at once
  // could be read two ways, so neither is.
  std::optional<std::size_t> length;
  bool chunked = false;
  for (const auto& [name, value] : request.headers) {
    if (name == "content-length") {
      std::size_t given = 0;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), given);
      if (value.empty() || end != value.data() + value.size() ||
          (error != std::errc() && error != std::errc::result_out_of_range)) {
        return Refused(400);
      }
      if (error == std::errc::result_out_of_range) return Refused(413);
      if (length && *length != given) return Refused(400);
      length = given;
    } else if (name == "transfer-encoding") {
      if (Lower(value) != "chunked" || chunked) return Refused(501);
      chunked = true;
    }
  }
  if (chunked && length) return Refused(400);
  if (length && *length > max_body) return Refused(413);
  const bool expects_continue = Lower(request.Header("expect")) == "100-continue";

  if (chunked) {
    std::string body;
    HttpParse chunks = Chunks(bytes, at, max_body, body);
    if (chunks.kind != HttpParse::Kind::kComplete) {
      chunks.wants_continue = chunks.kind == HttpParse::Kind::kIncomplete && expects_continue;
      return chunks;
    }
    request.body = std::move(body);
    at = chunks.consumed;
  } else if (length) {
    if (bytes.size() - at < *length) {
      HttpParse waiting;
      waiting.wants_continue = expects_continue;
      return waiting;
    }
    request.body = std::string(bytes.substr(at, *length));
    at += *length;
  }

  const std::size_t query = target.find('?');
  request.path = PercentDecode(target.substr(0, query), false);
  if (query != std::string_view::npos) AddFields(target.substr(query + 1), request.params);
  const std::string type = Lower(request.Header("content-type"));
  if (Trimmed(std::string_view(type).substr(0, type.find(';'))) == "application/x-www-form-urlencoded") {
    AddFields(request.body, request.params);
  }
  parse.kind = HttpParse::Kind::kComplete;
  parse.consumed = at;
  return parse;
}

const char* StatusText(int status) {
  switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 202: return "Accepted";
    case 204: return "No Content";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 409: return "Conflict";
    case 411: return "Length Required";
    case 413: return "Content Too Large";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Unknown";
  }
}

std::string HttpHead(int status, std::string_view content_type, std::optional<std::size_t> length,
                     bool keep_alive) {
  std::string head = "HTTP/1.1 " + std::to_string(status) + " " + StatusText(status) + "\r\n";
  if (!content_type.empty()) head += "Content-Type: " + std::string(content_type) + "\r\n";
  if (length) {
    head += "Content-Length: " + std::to_string(*length) + "\r\n";
  } else {
    head += "Transfer-Encoding: chunked\r\n";
  }
  // The token rides in the address; the page must not hand it on.
  head += "Referrer-Policy: no-referrer\r\nX-Content-Type-Options: nosniff\r\nCache-Control: no-store\r\n";
  if (keep_alive) {
    head += "Connection: keep-alive\r\nKeep-Alive: timeout=" +
            std::to_string(LiveServer::kRequestTime.count() / 1000) + "\r\n";
  } else {
    head += "Connection: close\r\n";
  }
  return head + "\r\n";
}

}  // namespace dtm::live
