#include "platform/runtime/hart_frame.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace dtm::runtime {
namespace {

using Bytes = std::vector<std::uint8_t>;

template <class Case>
std::string NameOf(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

// ---------------------------------------------------------------------------
// Requests.

struct RequestCase {
  const char* name;
  HartRequest request;
  std::string document;
};
void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

const RequestCase kRequests[] = {
    {"WithData",
     {128, {0x3D, 0x3E, 0x3F, 0x3F}},
     R"(<FDT><TransactionRequest command="128" data="3D3E3F3F"/></FDT>)"},
    {"WithoutData", {0, {}}, R"(<FDT><TransactionRequest command="0" data=""/></FDT>)"},
    {"UpperCaseHexAndLeadingZeros",
     {255, {0x00, 0x0A, 0xFF}},
     R"(<FDT><TransactionRequest command="255" data="000AFF"/></FDT>)"},
};

class TransactionRequestDocument : public ::testing::TestWithParam<RequestCase> {};

TEST_P(TransactionRequestDocument, IsBuiltAsWrittenOut) {
  EXPECT_EQ(BuildTransactionRequestXml(GetParam().request), GetParam().document);
}

TEST_P(TransactionRequestDocument, ParsesBackToTheRequest) {
  HartRequest parsed;
  ASSERT_TRUE(ParseTransactionRequestXml(GetParam().document, parsed));
  EXPECT_EQ(parsed, GetParam().request);
}

INSTANTIATE_TEST_SUITE_P(Table, TransactionRequestDocument, ::testing::ValuesIn(kRequests),
                         NameOf<RequestCase>);

// Documents other writers may produce, and what they say.
const RequestCase kLenientRequests[] = {
    {"LowerCaseHex",
     {3, {0x3D, 0xAB}},
     R"(<FDT><TransactionRequest command="3" data="3dab"/></FDT>)"},
    {"NoDataAttribute", {3, {}}, R"(<FDT><TransactionRequest command="3"/></FDT>)"},
    {"DeclarationAndLayout",
     {1, {0x01}},
     "<?xml version=\"1.0\"?>\n<FDT>\n  <TransactionRequest command=\"1\" data=\"01\"/>\n</FDT>"},
    {"InANamespace",
     {2, {0x02}},
     R"(<f:FDT xmlns:f="urn:frame"><f:TransactionRequest command="2" data="02"/></f:FDT>)"},
    {"AfterACommentAndAnotherElement",
     {4, {}},
     R"(<FDT><!-- note --><Other/><TransactionRequest command="4"/>)"
     R"(<TransactionRequest command="5"/></FDT>)"},
    // Close to the written form, but it takes an XML reading to get them right.
    {"CharacterReferences",
     {128, {0x3D}},
     R"(<FDT><TransactionRequest command="12&#56;" data="&#x33;D"/></FDT>)"},
    {"SingleQuotes", {3, {0x0A}}, R"(<FDT><TransactionRequest command='3' data='0A'/></FDT>)"},
    {"BlanksAroundTheEquals",
     {3, {0x0A}},
     R"(<FDT><TransactionRequest command = "3" data="0A" /></FDT>)"},
    {"AnotherAttribute",
     {3, {0x0A}},
     R"(<FDT><TransactionRequest command="3" note="x" data="0A"/></FDT>)"},
    {"LineBreakAfterTheRoot",
     {3, {0x0A}},
     "<FDT><TransactionRequest command=\"3\" data=\"0A\"/></FDT>\n"},
    {"EndTag",
     {3, {0x0A}},
     R"(<FDT><TransactionRequest command="3" data="0A"></TransactionRequest></FDT>)"},
};

class TransactionRequestReading : public ::testing::TestWithParam<RequestCase> {};

TEST_P(TransactionRequestReading, Accepts) {
  HartRequest parsed;
  ASSERT_TRUE(ParseTransactionRequestXml(GetParam().document, parsed));
  EXPECT_EQ(parsed, GetParam().request);
}

INSTANTIATE_TEST_SUITE_P(Table, TransactionRequestReading, ::testing::ValuesIn(kLenientRequests),
                         NameOf<RequestCase>);

// ---------------------------------------------------------------------------
// Responses.

struct ResponseCase {
  const char* name;
  HartResponse response;
  std::string document;
};
void PrintTo(const ResponseCase& c, std::ostream* os) { *os << c.name; }

const ResponseCase kResponses[] = {
    {"Answered",
     {128, 0, 0x40, 0, {0x3D, 0x42, 0x29}},
     R"(<FDT><TransactionResponse command="128" responseCode="0" deviceStatus="64" )"
     R"(commStatus="0" data="3D4229"/></FDT>)"},
    {"ErrorCodeWithoutData",
     {38, 7, 0x80, 0, {}},
     R"(<FDT><TransactionResponse command="38" responseCode="7" deviceStatus="128" )"
     R"(commStatus="0" data=""/></FDT>)"},
    {"NoAnswerFromTheDevice",
     {3, std::nullopt, 0, 2, {}},
     R"(<FDT><TransactionResponse command="3" deviceStatus="0" commStatus="2" data=""/></FDT>)"},
};

class TransactionResponseDocument : public ::testing::TestWithParam<ResponseCase> {};

TEST_P(TransactionResponseDocument, IsBuiltAsWrittenOut) {
  EXPECT_EQ(BuildTransactionResponseXml(GetParam().response), GetParam().document);
}

TEST_P(TransactionResponseDocument, ParsesBackToTheResponse) {
  HartResponse parsed;
  ASSERT_TRUE(ParseTransactionResponseXml(GetParam().document, parsed));
  EXPECT_EQ(parsed, GetParam().response);
}

INSTANTIATE_TEST_SUITE_P(Table, TransactionResponseDocument, ::testing::ValuesIn(kResponses),
                         NameOf<ResponseCase>);

const ResponseCase kLenientResponses[] = {
    {"StatusesDefaultToZero",
     {1, 0, 0, 0, {0xFE}},
     R"(<FDT><TransactionResponse command="1" responseCode="0" data="fe"/></FDT>)"},
    {"OnlyACommand",
     {1, std::nullopt, 0, 0, {}},
     R"(<FDT><TransactionResponse command="1"/></FDT>)"},
    {"CharacterReferences",
     {1, 0, 0x40, 0, {0x3D}},
     R"(<FDT><TransactionResponse command="1" responseCode="&#48;" deviceStatus="6&#52;" )"
     R"(commStatus="0" data="3&#x44;"/></FDT>)"},
    {"AttributesInAnotherOrder",
     {1, 2, 3, 4, {0x05}},
     R"(<FDT><TransactionResponse data="05" commStatus="4" deviceStatus="3" responseCode="2" )"
     R"(command="1"/></FDT>)"},
};

class TransactionResponseReading : public ::testing::TestWithParam<ResponseCase> {};

TEST_P(TransactionResponseReading, Accepts) {
  HartResponse parsed;
  ASSERT_TRUE(ParseTransactionResponseXml(GetParam().document, parsed));
  EXPECT_EQ(parsed, GetParam().response);
}

INSTANTIATE_TEST_SUITE_P(Table, TransactionResponseReading, ::testing::ValuesIn(kLenientResponses),
                         NameOf<ResponseCase>);

// ---------------------------------------------------------------------------
// Round trips of values the tables above do not hold.

TEST(TransactionDocumentRoundTrip, KeepsEveryByte) {
  Bytes all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
  const HartRequest request{200, all};
  HartRequest parsed_request;
  ASSERT_TRUE(ParseTransactionRequestXml(BuildTransactionRequestXml(request), parsed_request));
  EXPECT_EQ(parsed_request, request);

  const HartResponse response{255, 255, 255, 255, all};
  HartResponse parsed_response;
  ASSERT_TRUE(ParseTransactionResponseXml(BuildTransactionResponseXml(response), parsed_response));
  EXPECT_EQ(parsed_response, response);
}

// ---------------------------------------------------------------------------
// Rejects: the target is left as it was.

struct RejectCase {
  const char* name;
  std::string document;
};
void PrintTo(const RejectCase& c, std::ostream* os) { *os << c.name; }

const RejectCase kRejectedRequests[] = {
    {"Empty", ""},
    {"NotWellFormed", R"(<FDT><TransactionRequest command="1" data="01"></FDT>)"},
    {"NoTransaction", "<FDT/>"},
    {"OtherRoot", R"(<Frame><TransactionRequest command="1" data="01"/></Frame>)"},
    {"NestedDeeper", R"(<FDT><X><TransactionRequest command="1" data="01"/></X></FDT>)"},
    {"AResponse", R"(<FDT><TransactionResponse command="1" responseCode="0"/></FDT>)"},
    {"NoCommand", R"(<FDT><TransactionRequest data="01"/></FDT>)"},
    {"EmptyCommand", R"(<FDT><TransactionRequest command="" data="01"/></FDT>)"},
    {"CommandAbove255", R"(<FDT><TransactionRequest command="256" data="01"/></FDT>)"},
    {"NegativeCommand", R"(<FDT><TransactionRequest command="-1" data="01"/></FDT>)"},
    {"CommandWithBlank", R"(<FDT><TransactionRequest command=" 1" data="01"/></FDT>)"},
    {"CommandNotDecimal", R"(<FDT><TransactionRequest command="0x1" data="01"/></FDT>)"},
    {"OddHexDigits", R"(<FDT><TransactionRequest command="1" data="ABC"/></FDT>)"},
    {"NoHexDigit", R"(<FDT><TransactionRequest command="1" data="0G"/></FDT>)"},
    {"HexWithSeparator", R"(<FDT><TransactionRequest command="1" data="01 02"/></FDT>)"},
    {"CommandTwice", R"(<FDT><TransactionRequest command="1" command="2" data="01"/></FDT>)"},
    {"DataTwice", R"(<FDT><TransactionRequest command="1" data="01" data="02"/></FDT>)"},
    {"TextAfterTheRoot", R"(<FDT><TransactionRequest command="1" data="01"/></FDT>x)"},
    {"SecondRoot", R"(<FDT><TransactionRequest command="1" data="01"/></FDT><FDT/>)"},
    {"CommandAbove255ByReference", R"(<FDT><TransactionRequest command="25&#54;"/></FDT>)"},
    {"UndeclaredPrefix", R"(<FDT><TransactionRequest p:x="1" command="1" data="01"/></FDT>)"},
    {"UnclosedValue", R"(<FDT><TransactionRequest command="1/></FDT>)"},
    {"LowerCaseRoot", R"(<fdt><TransactionRequest command="1" data="01"/></fdt>)"},
};

class TransactionRequestRejects : public ::testing::TestWithParam<RejectCase> {};

TEST_P(TransactionRequestRejects, AndLeavesTheRequest) {
  const HartRequest before{7, {0x09}};
  HartRequest request = before;
  EXPECT_FALSE(ParseTransactionRequestXml(GetParam().document, request));
  EXPECT_EQ(request, before);
}

INSTANTIATE_TEST_SUITE_P(Table, TransactionRequestRejects, ::testing::ValuesIn(kRejectedRequests),
                         NameOf<RejectCase>);

const RejectCase kRejectedResponses[] = {
    {"Empty", ""},
    {"NotWellFormed", R"(<FDT><TransactionResponse command="1")"},
    {"ARequest", R"(<FDT><TransactionRequest command="1" data="01"/></FDT>)"},
    {"NoCommand", R"(<FDT><TransactionResponse responseCode="0"/></FDT>)"},
    {"ResponseCodeAbove255", R"(<FDT><TransactionResponse command="1" responseCode="256"/></FDT>)"},
    {"EmptyResponseCode", R"(<FDT><TransactionResponse command="1" responseCode=""/></FDT>)"},
    {"DeviceStatusNoNumber",
     R"(<FDT><TransactionResponse command="1" responseCode="0" deviceStatus="x"/></FDT>)"},
    {"NegativeCommStatus",
     R"(<FDT><TransactionResponse command="1" responseCode="0" commStatus="-1"/></FDT>)"},
    {"OddHexDigits", R"(<FDT><TransactionResponse command="1" responseCode="0" data="0"/></FDT>)"},
    {"ResponseCodeTwice",
     R"(<FDT><TransactionResponse command="1" responseCode="0" responseCode="0"/></FDT>)"},
    {"TextAfterTheRoot", R"(<FDT><TransactionResponse command="1" responseCode="0"/></FDT>>)"},
    {"UndeclaredPrefix",
     R"(<FDT><TransactionResponse command="1" p:responseCode="0"/></FDT>)"},
};

class TransactionResponseRejects : public ::testing::TestWithParam<RejectCase> {};

TEST_P(TransactionResponseRejects, AndLeavesTheResponse) {
  const HartResponse before{7, 1, 2, 3, {0x09}};
  HartResponse response = before;
  EXPECT_FALSE(ParseTransactionResponseXml(GetParam().document, response));
  EXPECT_EQ(response, before);
}

INSTANTIATE_TEST_SUITE_P(Table, TransactionResponseRejects, ::testing::ValuesIn(kRejectedResponses),
                         NameOf<RejectCase>);

// ---------------------------------------------------------------------------
// One reader for a run of documents: what a document was does not reach the next.

struct RunCase {
  const char* name;
  std::string before;  // read first, whatever it gives
};
void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

const RunCase kRuns[] = {
    {"NotWellFormed", R"(<FDT><TransactionResponse command="1")"},
    {"UndeclaredPrefix", R"(<FDT><TransactionResponse command="1" p:responseCode="0"/></FDT>)"},
    {"EntityDeclared",
     R"(<!DOCTYPE FDT [<!ENTITY c "9">]><FDT><TransactionResponse command="&c;"/></FDT>)"},
    {"ARequest", R"(<FDT><TransactionRequest command="1" data="01"/></FDT>)"},
    {"WrittenForm", R"(<FDT><TransactionResponse command="9" responseCode="1" data="FF"/></FDT>)"},
};

class TransactionDocumentRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(TransactionDocumentRun, ReadsAResponseInTheWrittenFormAfterIt) {
  TransactionDocumentReader reader;
  HartResponse ignored;
  reader.ReadResponse(GetParam().before, ignored);
  HartResponse response;
  ASSERT_TRUE(reader.ReadResponse(
      R"(<FDT><TransactionResponse command="128" responseCode="0" deviceStatus="64" )"
      R"(commStatus="0" data="3D4229"/></FDT>)",
      response));
  EXPECT_EQ(response, (HartResponse{128, 0, 0x40, 0, {0x3D, 0x42, 0x29}}));
}

TEST_P(TransactionDocumentRun, ReadsAResponseInAnotherFormAfterIt) {
  TransactionDocumentReader reader;
  HartResponse ignored;
  reader.ReadResponse(GetParam().before, ignored);
  HartResponse response;
  ASSERT_TRUE(reader.ReadResponse(
      "<?xml version=\"1.0\"?>\n<FDT>\n  <TransactionResponse command=\"3\" responseCode=\"0\" "
      "data=\"0102\"/>\n</FDT>",
      response));
  EXPECT_EQ(response, (HartResponse{3, 0, 0, 0, {0x01, 0x02}}));
}

TEST_P(TransactionDocumentRun, StillRejectsAnUndeclaredEntityAfterIt) {
  TransactionDocumentReader reader;
  HartResponse ignored;
  reader.ReadResponse(GetParam().before, ignored);
  const HartResponse before{7, 1, 2, 3, {0x09}};
  HartResponse response = before;
  EXPECT_FALSE(reader.ReadResponse(R"(<FDT><TransactionResponse command="&c;"/></FDT>)", response));
  EXPECT_EQ(response, before);
}

TEST_P(TransactionDocumentRun, ReadsARequestAfterIt) {
  TransactionDocumentReader reader;
  HartResponse ignored;
  reader.ReadResponse(GetParam().before, ignored);
  HartRequest request;
  ASSERT_TRUE(reader.ReadRequest(R"(<FDT><TransactionRequest command='2' data='0A'/></FDT>)",
                                 request));
  EXPECT_EQ(request, (HartRequest{2, {0x0A}}));
}

INSTANTIATE_TEST_SUITE_P(Table, TransactionDocumentRun, ::testing::ValuesIn(kRuns),
                         NameOf<RunCase>);

}  // namespace
}  // namespace dtm::runtime
