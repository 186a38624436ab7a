#include <string>
#include <vector>

#include "setup_launcher/process_launch.h"
#include "setup_launcher/tests/launcher_fixture.h"

namespace {

using LaunchTest = LauncherTest;

TEST_F(LaunchTest, OutcomesOfAChild) {
  using Child = FakeProcessPort::Child;
  struct Case {
    const char* name;
    Child child;
    int expected;
    std::string traced;
    std::vector<std::uint32_t> terminations;
  };
  Child hangs;
  hangs.bHangs = true;
  Child hangsAndSurvives = hangs;
  hangsAndSurvives.bTerminateFails = true;
  Child crashes;
  crashes.dwExitCode = 0xC0000005u;
  Child fails;
  fails.dwExitCode = 1603;
  Child missing;
  missing.bStarts = false;
  Child unreadable;
  unreadable.bExitCodeFails = true;
  const Case cases[] = {
      {"ends with 0", Child{}, 0, "1\t   We've waited OK.\n1\t   Process returned the code: 0.\n", {}},
      {"ends with 1603", fails, 1603, "Process returned the code: 1603.\n", {}},
      {"crashes", crashes, -1073741819, "Process returned the code: 3221225477.\n", {}},
      {"cannot start", missing, -2, "3\t   Failed to CreateProcess, error: 2\n", {}},
      {"outlives the limit", hangs, -24,
       "3\t   Waiting failed: Timeout elapsed. Killing the process...\n1\t   TerminateProcess OK.\n", {0}},
      {"outlives the limit and the kill", hangsAndSurvives, -24, "3\t   Failed to TerminateProcess, error: 5\n", {0}},
      {"exit code unreadable", unreadable, 0, "3\t   Failed to GetExitCodeProcess, error: 6\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    process = FakeProcessPort{};
    process.children = {c.child};
    trace.debugOutput.clear();
    char achCommand[] = "\"C:\\app\\setup.exe\" -s -SMS";
    EXPECT_EQ(LaunchAndWait(achCommand, "C:\\app", 0), c.expected);
    EXPECT_TRUE(Traced(c.traced)) << trace.debugOutput;
    EXPECT_EQ(process.terminations, c.terminations);
    EXPECT_TRUE(process.openHandles.empty()) << "every handle is closed on every path";
    EXPECT_EQ(process.waits.size(), c.child.bStarts ? 1u : 0u);
  }
}

TEST_F(LaunchTest, StartsTheChildAsTheLauncherDoes) {
  char achCommand[] = "\"C:\\app\\setup.exe\" -s -SMS";
  EXPECT_EQ(LaunchAndWait(achCommand, "C:\\app", 30000), 0);
  ASSERT_EQ(process.starts.size(), 1u);
  const auto& start = process.starts[0];
  EXPECT_EQ(start.commandLine, "\"C:\\app\\setup.exe\" -s -SMS");
  EXPECT_EQ(start.currentDirectory, std::optional<std::string>("C:\\app"));
  EXPECT_EQ(start.dwCreationFlags, 0x820u);
  EXPECT_EQ(start.startup.cb, 68u);
  EXPECT_EQ(start.startup.dwFlags, 1u);
  EXPECT_EQ(start.startup.wShowWindow, 5u);
  EXPECT_EQ(process.waits, std::vector<std::uint32_t>{30000});
  EXPECT_TRUE(Traced("1\t{ LaunchAndWait(\"C:\\app\\setup.exe\" -s -SMS,30000)\n1\t   Launching...\n"
                     "1\t   Created process ID = 4660 (1234)\n1\t   Waiting for the process complete...\n"))
      << trace.debugOutput;
  EXPECT_TRUE(Traced("1\t} LaunchAndWait(\"C:\\app\\setup.exe\" -s -SMS,30000)\n"));

  char achOther[] = "other.exe";
  EXPECT_EQ(LaunchAndWait(achOther, nullptr, 0xFFFFFFFFu), 0);
  EXPECT_EQ(process.starts[1].currentDirectory, std::nullopt) << "a null directory is passed on as null";
  EXPECT_EQ(process.waits[1], 0xFFFFFFFFu);
}

TEST_F(LaunchTest, NullCommandLineThrowsMinusOne) {
  EXPECT_EQ(ThrownCode([] { LaunchAndWait(nullptr, nullptr, 0); }), -1);
  EXPECT_TRUE(process.starts.empty());
  EXPECT_TRUE(Traced("} LaunchAndWait(,0)\n")) << "the exit line is written while -1 unwinds";
}

}  // namespace
