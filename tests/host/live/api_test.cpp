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

TEST(JsonStringTest, ErrorResponseCarriesStatusAndMessage) {
  const ApiResponse response = ErrorResponse(404, "no tab \"x\"");
  EXPECT_EQ(response.status, 404);
  EXPECT_EQ(response.body, "{\"ok\":false,\"error\":\"no tab \\\"x\\\"\"}");
}

}  // namespace
}  // namespace dtm::live
