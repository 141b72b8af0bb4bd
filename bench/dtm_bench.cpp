// What one DTM instance costs a frame that holds hundreds of them: creating
// and setting it up, reading each group from the device, a whole upload and
// download, a change of language, and the memory it keeps.
//
// What the times count: the process's CPU time (the bench runs on one
// thread) spent in the component, the runtime it stands on, the frame's
// channel and the event loop. The channel has no latency and the clock is
// virtual, so no time is spent waiting.
// - Creation and the language change: the benchmark's CPU column. Creation
//   counts CreateInstance, InitNew, Environment, SetLanguage and the loop
//   run after them; the instance's destruction is not timed.
// - A group read, an upload and a download also run the simulated device:
//   its side of each transaction (reading the request document, answering,
//   writing the response document) is taken out. The counter
//   "component_us" is the rest, per iteration; "device_us" is the part
//   taken out; the CPU column counts both. The device's spans are taken on
//   the monotonic clock: reading a CPU clock is a system call that costs
//   about a microsecond here, which would swamp a transaction.
//
// Memory is what the allocator has handed out and not taken back (glibc's
// mallinfo2, which also sees libxml2's documents), counted over 100
// instances made after a first one, divided by 100; the first instance's
// own share, which includes whatever is set up once per process, is shown
// as "first_instance_bytes".
//
// The targets are printed beside the figures after the run; nothing is
// asserted. With --benchmark_repetitions the figure is the median and the
// spread the lowest and highest repetition.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/common/identity.h"
#include "component/datamodel/data_element.h"
#include "component/dtm/dtm_main.h"
#include "component/dtm/library.h"
#include "host/device/profile.h"
#include "host/device/sim_device.h"
#include "host/frame/channel.h"
#include "host/frame/frame_container.h"
#include "platform/runtime/comm.h"
#include "platform/runtime/documents.h"
#include "platform/runtime/hart_frame.h"
#include "platform/runtime/param_process.h"
#include "platform/runtime/parameters.h"
#include "tests/testing/surroundings.h"

namespace {

using namespace dtm;

constexpr std::int32_t kGerman = 7;
constexpr std::int32_t kEnglish = 9;

// ---- Targets -------------------------------------------------------------------

constexpr double kCreateTargetUs = 250;
constexpr double kGroupReadTargetUs = 25;
constexpr double kGroupReadMeanTargetUs = 8;
constexpr double kLanguageTargetUs = 20;
constexpr double kBytesPerInstanceTarget = 256 * 1024;

// The figures that have a target, by benchmark name; the group reads, one
// per group, are recognised by their prefix.
constexpr char kCreateName[] = "create_instance";
constexpr char kLanguageName[] = "change_language";
constexpr char kMemoryName[] = "memory_per_instance";
constexpr char kGroupPrefix[] = "read_group/";

// ---- Measuring -----------------------------------------------------------------

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::size_t BytesInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// ---- Set-up ---------------------------------------------------------------------

std::string SupportedDeviceType() {
  runtime::DeviceType type;
  type.SetIdValue(1, std::to_string(kSupportedManufacturerCode));
  type.SetIdValue(2, std::to_string(kSupportedDeviceTypeCode));
  type.SetIdValue(3, std::to_string(kSupportedDeviceRevision));
  return type.BuildXML();
}

// The surroundings of a frame and the component's class object: what every
// instance shares and a frame sets up once.
class Frame : public testing::FakeSurroundings {
 public:
  Frame() : FakeSurroundings(VD_BENCH_INSTALL_DIR), device_type_(SupportedDeviceType()) {
    library_.DllGetClassObject(Library::Classes()[0].clsid, factory_);
  }

  // An instance as a frame creates it: from the class object, a new data
  // set of the supported device type, its environment and language.
  std::shared_ptr<DTMMain> NewInstance(
      const std::shared_ptr<frame::FrameContainerStandIn>& container) {
    auto dtm = std::dynamic_pointer_cast<DTMMain>(factory_->CreateInstance());
    const bool set_up = dtm && dtm->IDtm_InitNew(device_type_) &&
                        dtm->IDtm_Environment("BENCH", container) &&
                        dtm->IDtm_SetLanguage(kEnglish);
    loop_.RunUntilIdle();
    return set_up ? dtm : nullptr;
  }

  loop::EventLoop& Loop() { return loop_; }
  loop::Clock& GetClock() { return clock_; }

 private:
  Library library_{services_};
  std::shared_ptr<com::ClassFactory> factory_;
  std::string device_type_;
};

// One instance connected through the channel stand-in to a simulated device
// with the installed default profile.
class Online : public Frame {
 public:
  Online()
      : device_(GetClock(), device::LoadProfile(std::string(VD_BENCH_INSTALL_DIR) +
                                                 "/profiles/default.xml")) {
    // The device's side, as the host attaches it, but timed apart.
    channel_->SetIdentitySource([this] {
      const device::Identity identity = device_.Memory().identity;
      return frame::ChannelStandIn::DeviceCodes{identity.manufacturer_code,
                                                identity.device_type_code};
    });
    channel_->SetTransactionHandler(
        [this](const std::string& document) -> std::optional<std::string> {
          // CPU time, as the whole is measured: on a loaded machine wall
          // time would take more than the device used out of the component's share.
          const double start = ProcessCpuSeconds();
          std::optional<std::string> answer;
          runtime::HartRequest request;
          if (reader_.ReadRequest(document, request)) {
            answer = runtime::BuildTransactionResponseXml(device_.Handle(request));
          }
          device_seconds_ += ProcessCpuSeconds() - start;
          return answer;
        });
    dtm_ = NewInstance(container_);
    ok_ = dtm_ && dtm_->IDtm_SetCommunication(channel_) &&
          Context().CommMan().Connect("connect-1");
    Loop().RunUntilIdle();
    ok_ = ok_ && Context().CommMan().IsConnected();
  }
  ~Online() { channel_->SetTransactionHandler({}); }

  bool Ok() const { return ok_; }
  DTMMain& Dtm() { return *dtm_; }
  runtime::DTMContext& Context() { return dtm_->Context(); }
  frame::FrameContainerStandIn& Container() { return *container_; }

  // The device's time since the last call.
  double TakeDeviceSeconds() { return std::exchange(device_seconds_, 0.0); }

  // A whole upload or download, run to its end; false unless it ended well.
  bool Transfer(bool download) {
    container_->ClearLog();
    const char* notice = download ? "DownloadFinished" : "UploadFinished";
    const bool started = download ? dtm_->IDtmOnlineParameter_DownloadRequest("transfer-1", "")
                                  : dtm_->IDtmOnlineParameter_UploadRequest("transfer-1", "");
    if (!started) return false;
    Loop().RunUntil([&] { return !container_->Log().empty(); });
    Loop().RunUntilIdle();
    const auto& log = container_->Log();
    return log.size() == 1 && log[0].name == notice && log[0].arguments.size() > 1 &&
           log[0].arguments[1] == "true";
  }

 private:
  device::SimDevice device_;
  runtime::TransactionDocumentReader reader_;  // the device's, as the host keeps one
  std::shared_ptr<frame::FrameContainerStandIn> container_ =
      std::make_shared<frame::FrameContainerStandIn>();
  std::shared_ptr<frame::ChannelStandIn> channel_ =
      std::make_shared<frame::ChannelStandIn>(Loop());
  std::shared_ptr<DTMMain> dtm_;
  double device_seconds_ = 0;
  bool ok_ = false;
};

// The CPU time of a benchmark's loop with the device's part taken out.
class CpuSpan {
 public:
  explicit CpuSpan(Online& online) : online_(online) {
    online_.TakeDeviceSeconds();
    start_ = ProcessCpuSeconds();
  }
  void Report(benchmark::State& state) const {
    const double cpu = ProcessCpuSeconds() - start_;
    const double device = online_.TakeDeviceSeconds();
    using benchmark::Counter;
    state.counters["component_us"] = Counter((cpu - device) * 1e6, Counter::kAvgIterations);
    state.counters["device_us"] = Counter(device * 1e6, Counter::kAvgIterations);
  }

 private:
  Online& online_;
  double start_ = 0;
};

// A page's read: it keeps one process and passes again and again.
class FinishSink final : public IPrivateProcess {
 public:
  void IPrivateProcess_OnProcessProgress(const std::string&, const com::Variant&,
                                         const com::Variant&) override {}
  void IPrivateProcess_OnProcessFinished(const std::string&,
                                         const std::optional<com::Variant>&) override {
    finished = true;
  }
  bool finished = false;
};

// ---- Benchmarks -----------------------------------------------------------------

void CreateInstance(benchmark::State& state) {
  Frame frame;
  auto container = std::make_shared<frame::FrameContainerStandIn>();
  for (auto _ : state) {
    std::shared_ptr<DTMMain> dtm = frame.NewInstance(container);
    state.PauseTiming();
    const bool set_up = dtm != nullptr;
    dtm.reset();
    frame.Loop().RunUntilIdle();
    state.ResumeTiming();
    if (!set_up) {
      state.SkipWithError("the instance refused its set-up");
      break;
    }
  }
}

void ChangeLanguage(benchmark::State& state) {
  Frame frame;
  auto container = std::make_shared<frame::FrameContainerStandIn>();
  std::shared_ptr<DTMMain> dtm = frame.NewInstance(container);
  if (!dtm) {
    state.SkipWithError("the instance refused its set-up");
    return;
  }
  std::int32_t language = kEnglish;
  for (auto _ : state) {
    language = language == kEnglish ? kGerman : kEnglish;
    const bool taken = dtm->IDtm_SetLanguage(language);
    frame.Loop().RunUntilIdle();
    if (!taken) {
      state.SkipWithError("the language was not taken");
      break;
    }
  }
}

void ReadGroup(benchmark::State& state, const std::string& group) {
  Online online;
  if (!online.Ok()) {
    state.SkipWithError("no connection to the simulated device");
    return;
  }
  runtime::DTMContext& context = online.Context();
  auto process = std::make_shared<runtime::ParamProcess>();
  auto sink = std::make_shared<FinishSink>();
  process->Init(context);
  std::int32_t error = 0;
  process->AddElement(context.Parameters().Item(group), false, error);
  const CpuSpan span(online);
  for (auto _ : state) {
    sink->finished = false;
    process->Start(sink, 0, false, error);
    online.Loop().RunUntil([&] { return sink->finished; });
    if (error != 0 || !sink->finished) break;
  }
  span.Report(state);
  // The last pass stands for all: they read the same values.
  const auto results = context.CommMan().GetResults(process->ProcessID());
  if (error != 0 || !sink->finished || results.size() != 1 ||
      results[0].Outcome != runtime::ResultOutcome::kAccepted) {
    state.SkipWithError("the read did not succeed");
  }
  process->Release();
}

void Transfer(benchmark::State& state, bool download) {
  Online online;
  // A download writes the set the device gave: the device ends as it began.
  if (!online.Ok() || (download && !online.Transfer(false))) {
    state.SkipWithError("no connection to the simulated device");
    return;
  }
  const CpuSpan span(online);
  bool ended_well = true;
  for (auto _ : state) {
    if (!online.Transfer(download)) {
      ended_well = false;
      break;
    }
  }
  span.Report(state);
  if (!ended_well) state.SkipWithError("the transfer did not end well");
}

void MemoryPerInstance(benchmark::State& state) {
  constexpr std::size_t kInstances = 100;
  for (auto _ : state) {
    Frame frame;
    auto container = std::make_shared<frame::FrameContainerStandIn>();
    std::vector<std::shared_ptr<DTMMain>> instances;
    instances.reserve(kInstances + 1);
    const std::size_t before_first = BytesInUse();
    instances.push_back(frame.NewInstance(container));
    const std::size_t before = BytesInUse();
    for (std::size_t i = 0; i < kInstances; ++i) instances.push_back(frame.NewInstance(container));
    const std::size_t after = BytesInUse();
    if (std::find(instances.begin(), instances.end(), nullptr) != instances.end()) {
      state.SkipWithError("an instance refused its set-up");
      break;
    }
    state.counters["bytes_per_instance"] =
        static_cast<double>(after - before) / static_cast<double>(kInstances);
    state.counters["first_instance_bytes"] = static_cast<double>(before - before_first);
  }
}

// The groups the model reads, in dictionary order.
std::vector<std::string> ReadableGroups() {
  Frame frame;
  auto container = std::make_shared<frame::FrameContainerStandIn>();
  std::shared_ptr<DTMMain> dtm = frame.NewInstance(container);
  std::vector<std::string> groups;
  if (!dtm) return groups;
  for (const DataElementPtr& element : dtm->Context().Parameters().Elements()) {
    const std::string name = element->IPrivateDataElement_Name();
    const auto data = std::dynamic_pointer_cast<clsDataElement>(element);
    if (data && name.ends_with('/') && data->HARTParamReadCommand >= 0) groups.push_back(name);
  }
  return groups;
}

// ---- Report ---------------------------------------------------------------------

// The ordinary console table, and after it one line per figure with its
// target, and the mean over the group reads.
class TargetReporter final : public benchmark::ConsoleReporter {
 public:
  // Coloured on a terminal only (a reporter of our own does not see --benchmark_color).
  TargetReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string name = run.run_name.function_name;
      Figure& figure = figures_[name];
      if (figure.order == 0) figure.order = ++seen_;
      const double value = Value(name, run);
      if (run.run_type == Run::RT_Iteration) {
        figure.median = value;
        figure.low = figure.low ? std::min(*figure.low, value) : value;
        figure.high = figure.high ? std::max(*figure.high, value) : value;
        figure.repetitions = std::max<std::int64_t>(figure.repetitions, 1);
      } else if (run.aggregate_name == "median") {
        figure.median = value;
        figure.repetitions = run.repetitions;
      } else if (run.aggregate_name == "min") {
        figure.low = value;
      } else if (run.aggregate_name == "max") {
        figure.high = value;
      }
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::vector<std::pair<std::string, Figure>> ordered(figures_.begin(), figures_.end());
    std::sort(ordered.begin(), ordered.end(),
              [](const auto& a, const auto& b) { return a.second.order < b.second.order; });
    std::FILE* out = stdout;
    std::fflush(out);
    GetOutputStream().flush();
    std::fprintf(out, "\n%-32s %12s %25s %14s\n", "figure", "median", "spread (min..max)",
                 "target");
    double group_sum = 0;
    int groups = 0;
    for (const auto& [name, figure] : ordered) {
      if (!figure.median) continue;
      const std::optional<double> target = TargetOf(name);
      Line(out, name, figure, target);
      if (name.starts_with(kGroupPrefix)) {
        group_sum += *figure.median;
        ++groups;
      }
    }
    if (groups > 0) {
      Figure mean;
      mean.median = group_sum / groups;
      Line(out, "read_group mean (" + std::to_string(groups) + " groups)", mean,
           kGroupReadMeanTargetUs);
    }
    std::fflush(out);
  }

 private:
  struct Figure {
    int order = 0;
    std::optional<double> median, low, high;
    std::int64_t repetitions = 0;
  };

  static bool IsMemory(const std::string& name) { return name == kMemoryName; }

  // Microseconds, or bytes for the memory figure.
  static double Value(const std::string& name, const Run& run) {
    if (IsMemory(name)) {
      const auto it = run.counters.find("bytes_per_instance");
      return it == run.counters.end() ? 0.0 : it->second.value;
    }
    if (const auto it = run.counters.find("component_us"); it != run.counters.end()) {
      return it->second.value;
    }
    return run.GetAdjustedCPUTime() * benchmark::GetTimeUnitMultiplier(benchmark::kMicrosecond) /
           benchmark::GetTimeUnitMultiplier(run.time_unit);
  }

  static std::optional<double> TargetOf(const std::string& name) {
    if (name == kCreateName) return kCreateTargetUs;
    if (name == kLanguageName) return kLanguageTargetUs;
    if (IsMemory(name)) return kBytesPerInstanceTarget;
    if (name.starts_with(kGroupPrefix)) return kGroupReadTargetUs;
    return std::nullopt;
  }

  static std::string Amount(const std::string& name, double value) {
    char text[32];
    if (IsMemory(name)) {
      std::snprintf(text, sizeof text, "%.1f KiB", value / 1024);
    } else {
      std::snprintf(text, sizeof text, "%.2f us", value);
    }
    return text;
  }

  static void Line(std::FILE* out, const std::string& name, const Figure& figure,
                   std::optional<double> target) {
    std::string spread;
    if (figure.low && figure.high && figure.repetitions > 1) {
      spread = Amount(name, *figure.low) + ".." + Amount(name, *figure.high);
    }
    std::string goal = "-";
    std::string verdict;
    if (target) {
      goal = "<= " + Amount(name, *target);
      verdict = *figure.median <= *target ? "within" : "MISSED";
    }
    std::fprintf(out, "%-32s %12s %25s %14s  %s\n", name.c_str(),
                 Amount(name, *figure.median).c_str(), spread.c_str(), goal.c_str(),
                 verdict.c_str());
  }

  std::map<std::string, Figure> figures_;
  int seen_ = 0;
};

double Lowest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
double Highest(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

// Every case shows its spread over the repetitions beside mean and median.
benchmark::internal::Benchmark* Measured(benchmark::internal::Benchmark* b) {
  return b->MeasureProcessCPUTime()
      ->Unit(benchmark::kMicrosecond)
      ->ComputeStatistics("min", Lowest)
      ->ComputeStatistics("max", Highest);
}

void RegisterAll() {
  Measured(benchmark::RegisterBenchmark(kCreateName, CreateInstance));
  for (const std::string& group : ReadableGroups()) {
    Measured(benchmark::RegisterBenchmark((kGroupPrefix + group).c_str(),
                                       [group](benchmark::State& state) { ReadGroup(state, group); }));
  }
  Measured(benchmark::RegisterBenchmark("upload", [](benchmark::State& state) {
    Transfer(state, false);
  }));
  Measured(benchmark::RegisterBenchmark("download", [](benchmark::State& state) {
    Transfer(state, true);
  }));
  Measured(benchmark::RegisterBenchmark(kLanguageName, ChangeLanguage));
  benchmark::RegisterBenchmark(kMemoryName, MemoryPerInstance)
      ->Iterations(1)
      ->Unit(benchmark::kMillisecond)
      ->ComputeStatistics("min", Lowest)
      ->ComputeStatistics("max", Highest);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RegisterAll();
  TargetReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
