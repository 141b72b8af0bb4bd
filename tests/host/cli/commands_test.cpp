// vd4625 as a user meets it: each command and its error cases, each run
// judged by its exit status, its standard output and its standard error.

#include <gtest/gtest.h>

#include <filesystem>

#include "host/cli/exit_status.h"
#include "tests/host/cli/cli_driver.h"
#include "tests/testing/surroundings.h"

namespace dtm::testing {
namespace {

namespace status = host::exit_status;

constexpr const char* kTsvHeader = "path\tlabel\tvalue\tunit\tstatus";

// Files the cases name: {folder} the test's own folder, {set} a data set
// saved from the default device, {protected} a write-protected device,
// {foreign} a device of another manufacturer, {damaged} a profile with a
// bad tag.
class Vd4625 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    shared_ = new TempFolder;
    WriteText(shared_->Path() / "protected.xml",
              "<DeviceProfile version=\"1\">\n  <WriteProtect>1</WriteProtect>\n</DeviceProfile>\n");
    WriteText(shared_->Path() / "foreign.xml",
              "<DeviceProfile version=\"1\">\n"
              "  <Identity manufacturerCode=\"38\" deviceTypeCode=\"12\"/>\n</DeviceProfile>\n");
    WriteText(shared_->Path() / "damaged.xml",
              "<DeviceProfile version=\"1\">\n  <Tag>abc</Tag>\n</DeviceProfile>\n");
    const CliRun saved =
        RunCli({"upload", "--save", (shared_->Path() / "set.xml").string()}, *shared_);
    ASSERT_EQ(saved.status, status::kOk) << saved.err;
  }
  static void TearDownTestSuite() {
    delete shared_;
    shared_ = nullptr;
  }

  std::string Expand(std::string text) const {
    const std::pair<const char*, std::string> names[] = {
        {"{folder}", folder_.Path().string()},
        {"{set}", (shared_->Path() / "set.xml").string()},
        {"{protected}", (shared_->Path() / "protected.xml").string()},
        {"{foreign}", (shared_->Path() / "foreign.xml").string()},
        {"{damaged}", (shared_->Path() / "damaged.xml").string()},
        {"{source}", SourceDir().string()}};
    for (const auto& [name, value] : names) {
      for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name)) {
        text.replace(at, std::string(name).size(), value);
      }
    }
    return text;
  }

  CliRun Run(const std::vector<std::string>& args, DeviceHook hook = {},
             std::map<std::string, std::optional<std::string>> environment = {}) {
    std::vector<std::string> expanded;
    for (const std::string& arg : args) expanded.push_back(Expand(arg));
    for (auto& [name, value] : environment) {
      if (value) value = Expand(*value);
    }
    return RunCli(expanded, folder_, std::move(hook), std::move(environment));
  }

  static TempFolder* shared_;
  TempFolder folder_;
};

TempFolder* Vd4625::shared_ = nullptr;

enum class Fault {
  kNone,
  kFloatsSilent,   // the float table (command 128) is never answered
  kSilent,         // nothing is answered
  kBusy,           // every answer is busy; each takes a while on the line
  kForeignCodes,   // the connection reports another manufacturer and device type
};

DeviceHook HookFor(Fault fault) {
  switch (fault) {
    case Fault::kNone: return {};
    case Fault::kFloatsSilent:
      return [](device::SimDevice& d, frame::ChannelStandIn&) {
        d.InjectNoResponse(device::SimDevice::kUntilCleared, 128);
      };
    case Fault::kSilent:
      return [](device::SimDevice& d, frame::ChannelStandIn&) {
        d.InjectNoResponse(device::SimDevice::kUntilCleared);
      };
    case Fault::kBusy:
      return [](device::SimDevice& d, frame::ChannelStandIn& c) {
        d.InjectBusy(device::SimDevice::kUntilCleared);
        // Busy retries run until a span of clock time has passed.
        c.SetTransactionLatency(std::chrono::milliseconds(200));
      };
    case Fault::kForeignCodes:
      return [](device::SimDevice&, frame::ChannelStandIn& c) { c.SetDeviceIdentity(38, 12); };
  }
  return {};
}

struct Case {
  const char* name;
  std::vector<std::string> args;
  Fault fault;
  int status;
  std::vector<std::string> out_lines;     // each a whole line of stdout
  std::vector<std::string> err_parts;     // each a part of stderr
  std::vector<std::string> absent = {};   // in neither stream
  std::map<std::string, std::optional<std::string>> environment = {};
};

const Case kCases[] = {
    // ---- read ----
    {"read lists each value of elements and groups",
     {"read", "UC000/", "SC128Tr1/Par1", "--format", "tsv"},
     Fault::kNone,
     status::kOk,
     {kTsvHeader, "UC000/ManuId\tManufacturer\t165 (VELDAR)\t\tok",
      "UC000/DevId\tPositioner type no.\t70 (4625)\t\tok",
      "UC000/SerNum\tSerial number\t123456\t\tok", "SC128Tr1/Par1\tRated angle\t90.0\t°\tok"},
     {"2 transactions, 4 values read, 0 refused, 0 not answered\n"}},
    {"read in German: dates and decimal marks of the language",
     {"read", "UC013/Date", "SC128Tr2/Par2", "--lang", "de", "--format", "tsv"},
     Fault::kNone,
     status::kOk,
     {"Pfad\tBezeichnung\tWert\tEinheit\tStatus", "UC013/Date\tDatum\t12.05.2025\t\tok",
      "SC128Tr2/Par2\tNennhub\t15,0\tmm\tok"},
     {"2 Transaktionen, 2 Werte gelesen, 0 abgelehnt, 0 keine Antwort\n"}},
    {"read as a table ends with the summary",
     {"read", "SC128Tr2/Par2"},
     Fault::kNone,
     status::kOk,
     {"1 transaction, 1 value read, 0 refused, 0 not answered"},
     {}},
    {"read's trace goes to stderr",
     {"read", "SC128Tr1/", "--trace", "--format", "tsv"},
     Fault::kNone,
     status::kOk,
     {"SC128Tr1/Par1\tRated angle\t90.0\t°\tok"},
     {"HART > cmd=128 data=3D 3E 3F 3F\nHART < cmd=128 rc=00 ds=00 data=3D 42 B4 00 00"}},
    {"read marks the values the device never answered",
     {"read", "UC000/ManuId", "SC128Tr1/Par1", "--format", "tsv"},
     Fault::kFloatsSilent,
     status::kIncomplete,
     {"UC000/ManuId\tManufacturer\t165 (VELDAR)\t\tok",
      "SC128Tr1/Par1\tRated angle\t\t°\tnot answered"},
     {"2 transactions, 1 value read, 0 refused, 1 not answered\n"}},
    {"read of an unknown element is a usage error",
     {"read", "NoSuchPath"},
     Fault::kNone,
     status::kUsage,
     {},
     {"vd4625 read: no element 'NoSuchPath'"}},
    {"a question that keeps coming back gets No",
     {"read", "SC128Tr2/Par2", "--format", "tsv"},
     Fault::kBusy,
     status::kIncomplete,
     {"SC128Tr2/Par2\tRated travel\t\tmm\tbusy: Device is busy"},
     {"came back more than 3 times in a row and was answered No from then on"}},

    // ---- upload ----
    {"upload lists every value read, clean TSV beside the trace",
     {"upload", "--format", "tsv", "--trace"},
     Fault::kNone,
     status::kOk,
     {kTsvHeader, "UC013/Tag\tTag\t4625_1\t\tok"},
     {"HART > cmd=0 data=", "37 transactions, 142 values read, 0 refused, 0 not answered\n"},
     {"HART <\tHART"}},
    {"upload from a device that stops answering",
     {"upload", "--format", "tsv"},
     Fault::kSilent,
     status::kIncomplete,
     {"UC013/Tag\tTag\t\t\tnot answered"},
     {"37 transactions, 0 values read, 0 refused, 142 not answered\n"}},
    {"upload into a missing folder says so once",
     {"upload", "--save", "{folder}/missing/set.xml"},
     Fault::kNone,
     status::kError,
     {"37 transactions, 142 values read, 0 refused, 0 not answered"},
     {"vd4625: cannot write {folder}/missing/set.xml: No such file or directory\n"},
     {"error 75"}},
    {"--verbose shows the error's number and source",
     {"upload", "--save", "{folder}/missing/set.xml", "--verbose"},
     Fault::kNone,
     status::kError,
     {"37 transactions, 142 values read, 0 refused, 0 not answered"},
     {"vd4625: error 75 ("}},

    // ---- download ----
    {"download of a saved set",
     {"download", "--load", "{set}"},
     Fault::kNone,
     status::kOk,
     {"64 transactions, 89 values written, 0 refused, 0 not answered"},
     {"DownloadFinished(download-1, true)"}},
    {"download into a write-protected device",
     {"download", "--load", "{set}", "--device-profile", "{protected}", "--format", "tsv"},
     Fault::kNone,
     status::kIncomplete,
     {"SC130Tr1/Par2\tValve type\t0 (Linear actuator)\t\trefused: Device is write-protected"},
     {"[box] The device is write-protected: the parameter was not written. -> OK (\u00d763)\n",
      "64 transactions, 24 values written, 65 refused, 0 not answered\n"}},
    {"download of a file that is no data set",
     {"download", "--load", "{source}/README.md"},
     Fault::kNone,
     status::kError,
     {},
     {"{source}/README.md"}},

    // ---- session and set-up ----
    {"a damaged device profile names the file and line",
     {"read", "UC000/", "--device-profile", "{damaged}"},
     Fault::kNone,
     status::kError,
     {},
     {"{damaged}: line 2: <Tag> 'abc'"}},
    {"an installation without XMLData/",
     {"info"},
     Fault::kNone,
     status::kError,
     {},
     {"vd4625: the installation folder {folder} has no XMLData/ folder"},
     {},
     {{"VD4625_INSTALL", "{folder}"}}},
    {"a registry file in a folder that does not exist",
     {"info"},
     Fault::kNone,
     status::kError,
     {},
     {"the folder {folder}/none does not exist"},
     {},
     {{"VD4625_REGISTRY", "{folder}/none/registry.reg"}}},
    {"a device of another type, declined",
     {"read", "UC000/", "--answer", "no"},
     Fault::kForeignCodes,
     status::kDeclined,
     {},
     {"manufacturer code 38 and device type code 12; it is no 4625 positioner. Continue anyway? -> No",
      "vd4625: the connected device is of another type; declined\n"}},
    {"a device of another type, accepted",
     {"read", "UC000/ManuId", "--answer", "yes", "--format", "tsv"},
     Fault::kForeignCodes,
     status::kOk,
     {"UC000/ManuId\tManufacturer\t165 (VELDAR)\t\tok"},
     {"manufacturer code 38 and device type code 12; it is no 4625 positioner. Continue anyway? -> Yes"}},
    {"document of a listed function",
     {"document", "--function", "7"},
     Fault::kNone,
     status::kOk,
     {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"},
     {}},
    {"document without elements",
     {"document", "--function", "501"},
     Fault::kNone,
     status::kOk,
     {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"},
     {}},
    {"document of an unknown function",
     {"document", "--function", "99"},
     Fault::kNone,
     status::kUsage,
     {},
     {"vd4625 document: the DTM has no function 99"}},

    // ---- option parsing ----
    {"help of one command", {"upload", "--help"}, Fault::kNone, status::kOk,
     {"Usage: vd4625 upload [OPTIONS]", "  3  some values were refused, not answered or left busy by the device"},
     {}, {"Subcommands:"}},
    {"help anywhere on the line", {"read", "UC000/", "--trace", "--help"}, Fault::kNone,
     status::kOk, {"Usage: vd4625 read [OPTIONS] [path...]"}, {}},
    {"an unknown option", {"upload", "--x"}, Fault::kNone, status::kUsage, {},
     {"vd4625 upload: unknown option --x\nUsage: vd4625 upload [OPTIONS]\n"}, {"download"}},
    {"an option of another command", {"info", "--save", "x.xml"}, Fault::kNone, status::kUsage,
     {}, {"vd4625 info: unknown option --save\n"}},
    {"an option without its value", {"upload", "--save"}, Fault::kNone, status::kUsage, {},
     {"vd4625 upload: --save"}},
    {"a language the component has no texts for", {"params", "--lang", "fr"}, Fault::kNone,
     status::kUsage, {}, {"vd4625 params: --lang"}},
    {"no command", {}, Fault::kNone, status::kUsage, {}, {"Usage: vd4625 [OPTIONS] SUBCOMMAND"}},
    {"an unknown command", {"--lang", "de", "bogus"}, Fault::kNone, status::kUsage, {},
     {"vd4625: unknown command 'bogus'\nUsage: vd4625 [OPTIONS] SUBCOMMAND\n"}},
    {"download without its data set", {"download"}, Fault::kNone, status::kUsage, {},
     {"vd4625 download: --load is required\n"}},
    {"read without a path", {"read", "--trace"}, Fault::kNone, status::kUsage, {},
     {"vd4625 read: path is required\nUsage: vd4625 read [OPTIONS] [path...]\n"}},
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class Commands : public Vd4625, public ::testing::WithParamInterface<Case> {};

TEST_P(Commands, ExitStatusOutputAndErrors) {
  const Case& c = GetParam();
  const CliRun run = Run(c.args, HookFor(c.fault), c.environment);
  EXPECT_EQ(run.status, c.status) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  for (const std::string& expected : c.out_lines) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), Expand(expected)), lines.end())
        << "stdout lacks the line: " << expected << "\n--- stdout:\n" << run.out;
  }
  if (c.out_lines.empty()) {
    EXPECT_EQ(run.out, "");
  }
  // Standard output carries the result alone.
  for (const std::string& line : lines) {
    for (const char* foreign : {"HART ", "[box", "[frame]", "[error]", "[report]", "vd4625"}) {
      EXPECT_FALSE(line.starts_with(foreign)) << "on stdout: " << line;
    }
  }
  for (const std::string& part : c.err_parts) {
    EXPECT_EQ(Occurrences(run.err, Expand(part)), 1u)
        << "stderr should hold once: " << part << "\n--- stderr:\n" << run.err;
  }
  for (const std::string& part : c.absent) {
    EXPECT_EQ(run.out.find(part), std::string::npos) << part;
    EXPECT_EQ(run.err.find(part), std::string::npos) << part;
  }
}

INSTANTIATE_TEST_SUITE_P(Vd4625, Commands, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& param) {
                           std::string name;
                           for (const char* p = param.param.name; *p; ++p) {
                             if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                           }
                           return name;
                         });

// The device's own profile names another type: the connection reports it.
TEST_F(Vd4625, AForeignProfileAsksAndNoEndsTheSession) {
  const CliRun declined = Run({"read", "UC000/", "--answer", "no", "--device-profile", "{foreign}"});
  if (declined.err.find("Continue anyway?") == std::string::npos) {
    GTEST_SKIP() << "the channel does not report the attached device's codes";
  }
  EXPECT_EQ(declined.status, status::kDeclined);
  EXPECT_EQ(declined.out, "");
  EXPECT_EQ(Occurrences(declined.err, "manufacturer code 38 and device type code 12"), 1u)
      << declined.err;

  const CliRun accepted = Run({"read", "UC000/", "--answer", "yes", "--device-profile", "{foreign}"});
  EXPECT_EQ(accepted.status, status::kOk) << accepted.err;
  EXPECT_NE(accepted.out.find("UC000/ManuId"), std::string::npos);
}

// A failed upload never replaces a good data set; --save-anyway does.
TEST_F(Vd4625, SaveAfterAFailedUploadOnlyWhenAsked) {
  const std::filesystem::path file = folder_.Path() / "mine.xml";
  const std::string before = ReadText(shared_->Path() / "set.xml");
  WriteText(file, before);

  const CliRun refused = Run({"upload", "--save", file.string()}, HookFor(Fault::kFloatsSilent));
  EXPECT_EQ(refused.status, status::kIncomplete);
  EXPECT_EQ(ReadText(file), before);
  EXPECT_NE(refused.err.find("the upload did not succeed; " + file.string() + " was not written"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(refused.err.find("saved to"), std::string::npos);

  const CliRun anyway =
      Run({"upload", "--save", file.string(), "--save-anyway"}, HookFor(Fault::kFloatsSilent));
  EXPECT_EQ(anyway.status, status::kIncomplete);
  EXPECT_NE(ReadText(file), before);
  EXPECT_NE(anyway.err.find("data set saved to " + file.string()), std::string::npos);

  // And a whole upload writes a set the download takes.
  const CliRun whole = Run({"upload", "--save", file.string()});
  EXPECT_EQ(whole.status, status::kOk);
  EXPECT_EQ(ReadText(file), before);
}

// Once the library is registered, a command leaves the registry file alone,
// so it runs also when the user may only read the file.
TEST_F(Vd4625, ARegisteredLibraryDoesNotRewriteTheRegistry) {
  ASSERT_EQ(Run({"info"}).status, status::kOk);
  const std::filesystem::path registry = folder_.Path() / "registry.reg";
  const std::string first = ReadText(registry);
  ASSERT_NE(first, "");
  std::filesystem::permissions(registry, std::filesystem::perms::owner_read);
  const auto written = std::filesystem::last_write_time(registry);
  for (const char* command : {"info", "functions"}) {
    const CliRun run = Run({command});
    EXPECT_EQ(run.status, status::kOk) << command << run.err;
  }
  EXPECT_EQ(std::filesystem::last_write_time(registry), written);
  EXPECT_EQ(ReadText(registry), first);
}

// XML documents are indented on request.
TEST_F(Vd4625, PrettyIndentsTheDocuments) {
  for (const char* command : {"info", "functions", "document"}) {
    const CliRun plain = Run({command});
    const CliRun pretty = Run({command, "--pretty"});
    ASSERT_EQ(plain.status, status::kOk) << command;
    ASSERT_EQ(pretty.status, status::kOk) << command;
    EXPECT_EQ(Lines(plain.out).size(), 2u) << command;  // declaration and the document
    const std::vector<std::string> lines = Lines(pretty.out);
    ASSERT_GT(lines.size(), 3u) << command;
    EXPECT_EQ(lines[0], "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    EXPECT_TRUE(lines[2].starts_with("  <")) << command << ": " << lines[2];
  }
}

}  // namespace
}  // namespace dtm::testing
