#include "host/live/api.h"

#include <gtest/gtest.h>

namespace dtm::live {
namespace {

TEST(JsonStringTest, EscapesWhatJsonCannotCarryPlain) {
  struct Case {
    std::string text;
    std::string json;
  };
  const Case cases[] = {
      {"plain", "\"plain\""},
      {"a \"b\" \\ c", "\"a \\\"b\\\" \\\\ c\""},
      {"line\nnext\ttab\r", "\"line\\nnext\\ttab\\r\""},
      {std::string("\x01\x1f", 2), "\"\\u0001\\u001f\""},
      {"Ventil öffnen", "\"Ventil öffnen\""},
  };
  for (const Case& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

// Whatever bytes a request held, the answer that quotes them is UTF-8.
TEST(JsonStringTest, BytesThatAreNoUtf8BecomeTheReplacementCharacter) {
  struct Case {
    const char* name;
    std::string text;
    std::string valid;
  };
  const std::string r = "\xEF\xBF\xBD";  // U+FFFD
  const Case cases[] = {
      {"Ascii", "abc", "abc"},
      {"TwoThreeFourBytes", "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {"LoneContinuation", "a\x80z", "a" + r + "z"},
      {"Latin1Byte", "\xFF", r},
      {"CutShort", "\xE2\x82", r + r},
      {"OverlongSlash", "\xC0\xAF", r + r},
      {"OverlongThreeBytes", "\xE0\x80\xAF", r + r + r},
      {"Surrogate", "\xED\xA0\x80", r + r + r},
      {"BeyondTheLastCodePoint", "\xF4\x90\x80\x80", r + r + r + r},
      {"HighestCodePoint", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
      {"NulKept", std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(ValidUtf8(c.text), c.valid) << c.name;
  EXPECT_EQ(JsonString("function=\xFF"), "\"function=" + r + "\"");
  EXPECT_EQ(ErrorResponse(400, "tab \xC3").body, "{\"ok\":false,\"error\":\"tab " + r + "\"}");
}

TEST(JsonStringTest, ErrorResponseCarriesStatusAndMessage) {
  const ApiResponse response = ErrorResponse(404, "no tab \"x\"");
  EXPECT_EQ(response.status, 404);
  EXPECT_EQ(response.body, "{\"ok\":false,\"error\":\"no tab \\\"x\\\"\"}");
}

}  // namespace
}  // namespace dtm::live
