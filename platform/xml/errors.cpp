// Error capture for libxml2 and libxslt: their messages are collected per
// call and turned into ComError by the caller, never printed.

#include <libxslt/xsltutils.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "platform/xml/impl.h"

namespace dtm::xml {

namespace {

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

std::string Format(const ErrorCapture::Entry& e) {
  if (e.line > 0) return "line " + std::to_string(e.line) + ": " + e.message;
  return e.message;
}

}  // namespace

void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

std::string TakeString(xmlChar* text) {
  std::string result = S(text);
  if (text) xmlFree(text);
  return result;
}

ErrorCapture::ErrorCapture()
    : old_structured_(xmlStructuredError),
      old_structured_ctx_(xmlStructuredErrorContext),
      old_generic_(xmlGenericError),
      old_generic_ctx_(xmlGenericErrorContext),
      old_xslt_(xsltGenericError),
      old_xslt_ctx_(xsltGenericErrorContext) {
  InitLibrary();
  xmlSetStructuredErrorFunc(this, &ErrorCapture::OnStructured);
  xmlSetGenericErrorFunc(this, &ErrorCapture::OnGeneric);
  xsltSetGenericErrorFunc(this, &ErrorCapture::OnGeneric);
}

ErrorCapture::~ErrorCapture() {
  xmlSetStructuredErrorFunc(old_structured_ctx_, old_structured_);
  xmlSetGenericErrorFunc(old_generic_ctx_, old_generic_);
  xsltSetGenericErrorFunc(old_xslt_ctx_, old_xslt_);
}

#if LIBXML_VERSION >= 21200
void ErrorCapture::OnStructured(void* self, const xmlError* error) noexcept {
#else
void ErrorCapture::OnStructured(void* self, xmlErrorPtr error) noexcept {
#endif
  if (!self || !error) return;
  try {
    auto& capture = *static_cast<ErrorCapture*>(self);
    capture.FlushGeneric();
    capture.entries_.push_back(
        {static_cast<int>(error->level), error->line, Trimmed(error->message ? error->message : "")});
  } catch (...) {
    // Out of memory while noting an error: the call fails anyway.
  }
}

void ErrorCapture::OnGeneric(void* self, const char* format, ...) noexcept {
  if (!self || !format) return;
  try {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) return;
    auto& capture = *static_cast<ErrorCapture*>(self);
    capture.generic_ += buffer;
    // A message is complete at its line break.
    std::size_t end;
    while ((end = capture.generic_.find('\n')) != std::string::npos) {
      std::string line = Trimmed(capture.generic_.substr(0, end));
      capture.generic_.erase(0, end + 1);
      if (!line.empty()) capture.entries_.push_back({0, 0, std::move(line)});
    }
  } catch (...) {
  }
}

void ErrorCapture::FlushGeneric() const {
  std::string rest = Trimmed(generic_);
  generic_.clear();
  if (!rest.empty()) entries_.push_back({0, 0, std::move(rest)});
}

const std::vector<ErrorCapture::Entry>& ErrorCapture::Entries() const {
  FlushGeneric();
  return entries_;
}

std::string ErrorCapture::Text() const {
  std::string text;
  for (const auto& e : Entries()) {
    if (!text.empty()) text += "; ";
    text += Format(e);
  }
  return text;
}

std::string ErrorCapture::FirstError() const {
  for (const auto& e : Entries()) {
    if (e.level >= XML_ERR_ERROR) return Format(e);
  }
  return Text();
}

}  // namespace dtm::xml
