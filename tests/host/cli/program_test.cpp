// The built program: what main hands to the entry function, standard
// output and error kept apart by the process's own streams.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "host/cli/exit_status.h"
#include "tests/host/cli/cli_driver.h"

extern char** environ;

namespace dtm::testing {
namespace {

CliRun RunProgram(const std::vector<std::string>& args, const TempFolder& folder) {
  const ScopedEnvironment environment(
      {{"VD4625_REGISTRY", (folder.Path() / "registry.reg").string()},
       {"VD4625_INSTALL", std::nullopt}});
  const std::string out_file = (folder.Path() / "stdout").string();
  const std::string err_file = (folder.Path() / "stderr").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> argv_text = {VD4625_PROGRAM};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  CliRun run;
  if (posix_spawn(&pid, VD4625_PROGRAM, &actions, nullptr, argv.data(), environ) == 0) {
    int wait_status = 0;
    waitpid(pid, &wait_status, 0);
    run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = ReadText(out_file);
  run.err = ReadText(err_file);
  return run;
}

TEST(Program, TraceAndNoticesStayOffTheTsv) {
  TempFolder folder;
  const CliRun run = RunProgram({"upload", "--format", "tsv", "--trace"}, folder);
  EXPECT_EQ(run.status, host::exit_status::kOk) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 143u);
  EXPECT_EQ(lines[0], "path\tlabel\tvalue\tunit\tstatus");
  for (const std::string& line : lines) {
    EXPECT_EQ(Cells(line).size(), 5u) << line;
    EXPECT_FALSE(line.starts_with("HART") || line.starts_with("[")) << line;
  }
  EXPECT_NE(run.err.find("HART > cmd=0 data=\n"), std::string::npos);
  EXPECT_NE(run.err.find("[frame] UploadFinished(upload-1, true)\n"), std::string::npos);
}

TEST(Program, UsageErrorsOnStderrHelpOnStdout) {
  TempFolder folder;
  const CliRun help = RunProgram({"download", "--help"}, folder);
  EXPECT_EQ(help.status, host::exit_status::kOk);
  EXPECT_TRUE(help.out.starts_with("download a saved data set to the device\nUsage: vd4625 download"))
      << help.out;
  EXPECT_EQ(help.err, "");

  const CliRun wrong = RunProgram({"download", "--lod", "x.xml"}, folder);
  EXPECT_EQ(wrong.status, host::exit_status::kUsage);
  EXPECT_EQ(wrong.out, "");
  EXPECT_TRUE(wrong.err.starts_with("vd4625 download: unknown option --lod\n")) << wrong.err;
}

}  // namespace
}  // namespace dtm::testing
