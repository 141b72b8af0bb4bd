// Requests as the frame's server takes them from a connection's bytes, and
// the heads of its answers.

#include "host/live/http_wire.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dtm::live {
namespace {

using Kind = HttpParse::Kind;
using Fields = std::vector<std::pair<std::string, std::string>>;

constexpr std::size_t kHead = 256;
constexpr std::size_t kBody = 16;

struct Whole {
  const char* name;
  std::string bytes;
  std::string method;
  std::string path;
  Fields params;
  std::string body;
  bool keep_alive;
  std::size_t consumed;
};

const Whole kWhole[] = {
    {"PlainGet", "GET /api/state HTTP/1.1\r\nHost: h\r\n\r\n", "GET", "/api/state", {}, "", true, 36},
    {"QueryDecoded", "GET /api/page?tab=a%20b&name=%C3%A4%26x&flag HTTP/1.1\r\n\r\n", "GET", "/api/page",
     {{"tab", "a b"}, {"name", "\xC3\xA4&x"}, {"flag", ""}}, "", true, 57},
    {"PathDecodedWithoutBlanksForPlus", "GET /api/st%61te+x HTTP/1.1\r\n\r\n", "GET", "/api/state+x", {}, "",
     true, 31},
    {"BadEscapeStays", "GET /?a=%zz%4 HTTP/1.1\r\n\r\n", "GET", "/", {{"a", "%zz%4"}}, "", true, 26},
    {"FormBodyAfterTheQuery",
     "POST /api/event?tab=7 HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded; charset=UTF-8\r\n"
     "Content-Length: 16\r\n\r\nkind=set&v=1+2%2C",
     "POST", "/api/event", {{"tab", "7"}, {"kind", "set"}, {"v", "1 2%2"}}, "kind=set&v=1+2%2", true, 134},
    {"OtherBodyIsNoFields", "POST /x HTTP/1.1\r\nContent-Type: text/plain\r\nContent-Length: 3\r\n\r\na=b", "POST",
     "/x", {}, "a=b", true, 68},
    {"ChunkedBody",
     "POST /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n3;ext=1\r\nabc\r\n2\r\nde\r\n0\r\nTrailer: t\r\n\r\nGET",
     "POST", "/x", {}, "abcde", true, 86},
    {"BareLineEnds", "GET / HTTP/1.1\nHost: h\n\n", "GET", "/", {}, "", true, 24},
    {"BlankLinesBeforeAreSkipped", "\r\n\r\nGET / HTTP/1.1\r\n\r\n", "GET", "/", {}, "", true, 22},
    {"CloseAsked", "GET / HTTP/1.1\r\nConnection: Upgrade, close\r\n\r\n", "GET", "/", {}, "", false, 46},
    {"Http10ClosesByDefault", "GET / HTTP/1.0\r\n\r\n", "GET", "/", {}, "", false, 18},
    {"Http10KeepsWhenAsked", "GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n", "GET", "/", {}, "", true, 42},
    {"BodyAtItsLimit", "POST /x HTTP/1.1\r\nContent-Length: 16\r\n\r\n0123456789abcdef", "POST", "/x", {},
     "0123456789abcdef", true, 56},
};

class WholeHttpRequest : public ::testing::TestWithParam<Whole> {};

TEST_P(WholeHttpRequest, IsTakenWithItsFields) {
  const Whole& c = GetParam();
  const HttpParse parse = ParseHttpRequest(c.bytes, kHead, kBody);
  ASSERT_EQ(parse.kind, Kind::kComplete);
  EXPECT_EQ(parse.request.method, c.method);
  EXPECT_EQ(parse.request.path, c.path);
  EXPECT_EQ(parse.request.params, c.params);
  EXPECT_EQ(parse.request.body, c.body);
  EXPECT_EQ(parse.request.keep_alive, c.keep_alive);
  EXPECT_EQ(parse.consumed, c.consumed);
}

INSTANTIATE_TEST_SUITE_P(Table, WholeHttpRequest, ::testing::ValuesIn(kWhole),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(HttpRequestTest, HeadersAreFoundByTheirLowerCaseNameFirstOneCounting) {
  const HttpParse parse =
      ParseHttpRequest("GET / HTTP/1.1\r\nX-Frame-Token:  abc \r\nx-frame-token: other\r\n\r\n", kHead, kBody);
  ASSERT_EQ(parse.kind, Kind::kComplete);
  EXPECT_EQ(parse.request.Header("x-frame-token"), "abc");
  EXPECT_EQ(parse.request.Header("host"), "");
}

struct Unfinished {
  const char* name;
  std::string bytes;
  bool wants_continue;
};

const Unfinished kUnfinished[] = {
    {"Nothing", "", false},
    {"HalfARequestLine", "GET /api/st", false},
    {"HeadWithoutItsEnd", "GET / HTTP/1.1\r\nHost: h\r\n", false},
    {"BodyShort", "POST /x HTTP/1.1\r\nContent-Length: 5\r\n\r\nabc", false},
    {"BodyAwaitsTheGoAhead", "POST /x HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: 5\r\n\r\n", true},
    {"ChunksWithoutTheLast", "POST /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n", false},
    {"TrailerWithoutItsEnd", "POST /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\nT: 1\r\n", false},
};

class UnfinishedHttpRequest : public ::testing::TestWithParam<Unfinished> {};

TEST_P(UnfinishedHttpRequest, WaitsForMore) {
  const HttpParse parse = ParseHttpRequest(GetParam().bytes, kHead, kBody);
  EXPECT_EQ(parse.kind, Kind::kIncomplete);
  EXPECT_EQ(parse.wants_continue, GetParam().wants_continue);
}

INSTANTIATE_TEST_SUITE_P(Table, UnfinishedHttpRequest, ::testing::ValuesIn(kUnfinished),
                         [](const auto& i) { return std::string(i.param.name); });

struct Refusal {
  const char* name;
  std::string bytes;
  int status;
};

const Refusal kRefusals[] = {
    {"BodyOverTheLimitByItsLength", "POST /x HTTP/1.1\r\nContent-Length: 17\r\n\r\n", 413},
    {"HugeLength", "POST /x HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n\r\n", 413},
    {"ChunksOverTheLimit",
     "POST /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n9\r\n123456789\r\n8\r\n12345678\r\n", 413},
    {"HugeChunk", "POST /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nfffffffffffffffffffff\r\n", 413},
    {"HeadOverTheLimit", "GET /" + std::string(300, 'a'), 431},
    {"WholeHeadOverTheLimit", "GET / HTTP/1.1\r\nX: " + std::string(300, 'a') + "\r\n\r\n", 431},
    {"NoVersion", "GET /\r\n\r\n", 400},
    {"OtherVersion", "GET / HTTP/2.0\r\n\r\n", 505},
    {"NotHttp", "GET / FTP/1.0\r\n\r\n", 400},
    {"TargetNotAPath", "GET http://elsewhere/ HTTP/1.1\r\n\r\n", 400},
    {"BadMethod", "G(T / HTTP/1.1\r\n\r\n", 400},
    {"HeaderWithoutColon", "GET / HTTP/1.1\r\nHost\r\n\r\n", 400},
    {"ContinuedHeaderLine", "GET / HTTP/1.1\r\nX: a\r\n b\r\n\r\n", 400},
    {"LengthNoNumber", "POST /x HTTP/1.1\r\nContent-Length: 1x\r\n\r\n", 400},
    {"NegativeLength", "POST /x HTTP/1.1\r\nContent-Length: -1\r\n\r\n", 400},
    {"TwoLengths", "POST /x HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab", 400},
    {"LengthAndChunks", "POST /x HTTP/1.1\r\nContent-Length: 3\r\nTransfer-Encoding: chunked\r\n\r\n", 400},
    {"OtherCoding", "POST /x HTTP/1.1\r\nTransfer-Encoding: gzip\r\n\r\n", 501},
    {"ChunkSizeNoNumber", "POST /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", 400},
    {"ChunkWithoutItsEnd", "POST /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabcd\r\n", 400},
};

class RefusedHttpRequest : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedHttpRequest, IsAnsweredWithTheStatusThatSaysWhy) {
  const HttpParse parse = ParseHttpRequest(GetParam().bytes, kHead, kBody);
  EXPECT_EQ(parse.kind, Kind::kRefused);
  EXPECT_EQ(parse.status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedHttpRequest, ::testing::ValuesIn(kRefusals),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(HttpHeadTest, NamesLengthOrChunksAndWhetherTheConnectionStays) {
  EXPECT_EQ(HttpHead(200, "text/html; charset=utf-8", 12, true),
            "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: 12\r\n"
            "Referrer-Policy: no-referrer\r\nX-Content-Type-Options: nosniff\r\nCache-Control: no-store\r\n"
            "Connection: keep-alive\r\nKeep-Alive: timeout=2\r\n\r\n");
  EXPECT_EQ(HttpHead(503, "text/event-stream", std::nullopt, false),
            "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/event-stream\r\nTransfer-Encoding: chunked\r\n"
            "Referrer-Policy: no-referrer\r\nX-Content-Type-Options: nosniff\r\nCache-Control: no-store\r\n"
            "Connection: close\r\n\r\n");
}

}  // namespace
}  // namespace dtm::live
