#include <string>
#include <vector>

#include "setup_launcher/command_line.h"
#include "setup_launcher/install_commands.h"
#include "setup_launcher/result_reporting.h"
#include "setup_launcher/tests/launcher_fixture.h"

namespace {

class CommandsTest : public LauncherTest {
 public:
  void SetUp() override {
    LauncherTest::SetUp();
    ResetCmdLineState();
    system.totalFreeBytes = std::uint64_t{100} << 20;
  }
  void TearDown() override {
    ResetCmdLineState();
    LauncherTest::TearDown();
  }

  // Parses a command line the way the driver does; the copy lives on.
  void Parse(const std::string& text) {
    copies_.push_back(text);
    ASSERT_EQ(ParseCmdLine(&GetCmdLineOptions(), &GetCmdLine(), copies_.back().data()), 0) << text;
  }

  // A child that leaves RESULT_CODE behind.
  std::function<void()> WritesResultCode(std::uint32_t code) {
    return [this, code] {
      platform::RegKey key = 0;
      ASSERT_EQ(registry.CreateKeyA(platform::kHKeyLocalMachine, kResultKey, 0, platform::kKeyAllAccess, &key), 0);
      ASSERT_EQ(registry.SetValueA(key, "RESULT_CODE", platform::kRegDword, reinterpret_cast<const std::uint8_t*>(&code), 4), 0);
      ASSERT_EQ(registry.CloseKey(key), 0);
    };
  }

  void RegisterUninstall(const std::string& product, std::uint32_t type, const std::string& command) {
    platform::RegKey key = 0;
    const std::string path = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product;
    ASSERT_EQ(registry.CreateKeyA(platform::kHKeyLocalMachine, path.c_str(), 0, platform::kKeyAllAccess, &key), 0);
    ASSERT_EQ(registry.SetValueA(key, "UninstallString", type, reinterpret_cast<const std::uint8_t*>(command.c_str()),
                                 static_cast<std::uint32_t>(command.size() + 1)),
              0);
    ASSERT_EQ(registry.CloseKey(key), 0);
  }

  std::vector<std::string> copies_;
};

TEST_F(CommandsTest, DefaultInstallationCommandLine) {
  EXPECT_EQ(DoInstUninst("C:\\app"), 0);
  ASSERT_EQ(process.starts.size(), 1u);
  EXPECT_EQ(process.starts[0].commandLine, "\"C:\\app\\setup.exe\" -s -SMS");
  EXPECT_EQ(process.starts[0].currentDirectory, std::optional<std::string>("C:\\app"));
  EXPECT_TRUE(Traced("No install/uninstall specifiers was found in command line. Assigning default command.\n"));
  EXPECT_TRUE(Traced("Command #0, Installation.\n"));
  EXPECT_TRUE(Traced("All inst/uninst commands passed OK.\n"));
}

TEST_F(CommandsTest, ProgramWithPathAndArguments) {
  Parse("/INSTALLSHIELD C:\\Kits\\app.exe /q /NOCHECKDISKSPACE /TIMEOUT:5");
  EXPECT_EQ(DoInstUninst("C:\\app\\"), 0);
  ASSERT_EQ(process.starts.size(), 1u);
  EXPECT_EQ(process.starts[0].commandLine, "\"C:\\Kits\\app.exe\"  /q") << "two spaces before the arguments";
  EXPECT_EQ(process.waits, std::vector<std::uint32_t>{5000});
  EXPECT_TRUE(Traced("pchSetupExeName specified with path - using as is.1\t"));
  EXPECT_TRUE(Traced("Free disk space checking is not required\n"));
  EXPECT_TRUE(system.measured.empty());
}

TEST_F(CommandsTest, ResultReadBackOrder) {
  struct Case {
    const char* name;
    std::function<void(CommandsTest&)> child;
    std::optional<std::string> setupLog;
    int expected;
  };
  const Case cases[] = {
      {"RESULT_CODE 3, exit 0", [](CommandsTest& t) { t.process.children[0].onRun = t.WritesResultCode(3); },
       std::nullopt, 3},
      {"setup.log only", [](CommandsTest&) {}, "[Silent Setup]\nResultCode=0\n", 0},
      {"neither", [](CommandsTest&) {}, std::nullopt, -3},
      {"RESULT_CODE wins over setup.log", [](CommandsTest& t) { t.process.children[0].onRun = t.WritesResultCode(7); },
       "[Silent Setup]\nResultCode=0\n", 7},
      {"a crash stays the result", [](CommandsTest& t) { t.process.children[0].dwExitCode = 0xC0000005u; },
       "[Silent Setup]\nResultCode=0\n", -1073741819},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    process = FakeProcessPort{};
    (void)DeleteRegistryResultValues();
    std::filesystem::remove(trace.HostPath("C:\\app\\setup.log"));
    if (c.setupLog) trace.WriteFile("C:\\app\\setup.log", *c.setupLog);
    c.child(*this);
    EXPECT_EQ(KinetraProgram("C:\\app", "setup.exe", "-s -SMS", 0xFFFFFFFFu, 0, 0), c.expected);
  }
}

TEST_F(CommandsTest, ChecksBeforeAnInstallation) {
  // The agent present: every installation gives -20, the uninstallation still runs.
  platform::RegKey key = 0;
  ASSERT_EQ(registry.CreateKeyA(platform::kHKeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\OBMA", 0,
                                platform::kKeyAllAccess, &key), 0);
  ASSERT_EQ(registry.CloseKey(key), 0);
  RegisterUninstall("Old", platform::kRegSz, "C:\\old\\uninst.exe");
  Parse("/CHECKOBMA /INSTALLSHIELD /UNINSTALLSHIELD Old /INSTALLSHIELD b.exe");
  EXPECT_EQ(DoInstUninst("C:\\app"), 0);
  ASSERT_EQ(process.starts.size(), 1u);
  EXPECT_EQ(process.starts[0].commandLine, "C:\\old\\uninst.exe -a");
  EXPECT_TRUE(Traced("OBMA is installed. Quiting.\n"));
  EXPECT_EQ(process.pauses, std::vector<std::uint32_t>{30000}) << "only the uninstallation ran before b.exe";
}

TEST_F(CommandsTest, FreeSpaceShortageWritesSetupLogAndGoesOn) {
  trace.WriteFile("C:\\app\\setup.ini", "[Startup]\nFreeDiskSpace=4294967295\n");
  trace.WriteFile("C:\\app\\setup.log", "[Old]\nx=1\n");
  Parse("/INSTALLSHIELD /INSTALLSHIELD C:\\other\\setup.exe");
  EXPECT_EQ(DoInstUninst("C:\\app"), 0);
  EXPECT_TRUE(process.starts.empty());
  EXPECT_EQ(trace.ReadFile("C:\\app\\setup.log"), "[Silent Setup]\r\nResultCode=110\r\n");
  EXPECT_TRUE(Traced("System drive hasn't enough free space. Quiting\n"));
  EXPECT_TRUE(Traced("Command #1, Installation.\n"));
}

TEST_F(CommandsTest, PauseOnlyBetweenCommandsThatRan) {
  struct Case {
    const char* name;
    std::string commandLine;
    std::vector<FakeProcessPort::Child> children;
    std::vector<std::uint32_t> pauses;
    const char* traced;
  };
  FakeProcessPort::Child missing;
  missing.bStarts = false;
  const Case cases[] = {
      {"both ran", "/NOCHECKDISKSPACE /INSTALLSHIELD a.exe /INSTALLSHIELD b.exe", {{}}, {30000},
       "Sleep for 30000 ms to allow services to complete starting or stopping...\n"},
      {"first failed to start", "/NOCHECKDISKSPACE /INSTALLSHIELD a.exe /INSTALLSHIELD b.exe", {missing, {}}, {},
       "There were errors in launching installation, but we continue processing.\n"},
      {"zero pause", "/COMMANDPAUSE:0 /NOCHECKDISKSPACE /INSTALLSHIELD a.exe /INSTALLSHIELD b.exe", {{}}, {},
       "Command pause is not required.\n"},
      {"one second", "/COMMANDPAUSE:1 /NOCHECKDISKSPACE /INSTALLSHIELD a.exe /INSTALLSHIELD b.exe /INSTALLSHIELD c.exe",
       {{}}, {1000, 1000}, "Sleep passed.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetCmdLineState();
    process = FakeProcessPort{};
    process.children = c.children;
    trace.debugOutput.clear();
    // Children that leave a result behind count as run.
    trace.WriteFile("C:\\app\\setup.log", "[Silent Setup]\nResultCode=0\n");
    Parse(c.commandLine);
    EXPECT_EQ(DoInstUninst("C:\\app"), 0);
    EXPECT_EQ(process.pauses, c.pauses);
    EXPECT_TRUE(Traced(c.traced)) << trace.debugOutput;
  }
}

TEST_F(CommandsTest, RightsAreCheckedBeforeEveryCommand) {
  system.canCreateServices = false;
  Parse("/CHECKADMIN /UNINSTALLSHIELD Old /INSTALLSHIELD");
  EXPECT_EQ(DoInstUninst("C:\\app"), -22);
  EXPECT_TRUE(process.starts.empty());
  EXPECT_TRUE(Traced("3\t   Process hasn't admin rights. Quiting.\n"));
  EXPECT_FALSE(Traced("All inst/uninst commands passed OK."));
}

TEST_F(CommandsTest, Uninstallations) {
  RegisterUninstall("Plain", platform::kRegSz, "\"C:\\p\\un.exe\" /x");
  RegisterUninstall("Expand", platform::kRegExpandSz, "%ProgramFiles%\\un.exe");
  struct Case {
    const char* product;
    FakeProcessPort::Child child;
    int expected;
    const char* traced;
  };
  FakeProcessPort::Child exits5;
  exits5.dwExitCode = 5;
  FakeProcessPort::Child missing;
  missing.bStarts = false;
  FakeProcessPort::Child writes9;
  const Case cases[] = {
      {"Plain", exits5, 5, "Uninst string retrieved  OK: ['\"C:\\p\\un.exe\" /x']\n"},
      {"Plain", missing, -11, "We return -11\n"},
      {"Expand", {}, -10, "Failed to read the uninstall string value, value type is: 2\n"},
      {"Absent", {}, -26, "2\t   Failed to open uninst reg key, error code: 2.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.product);
    process = FakeProcessPort{};
    process.children = {c.child};
    trace.debugOutput.clear();
    EXPECT_EQ(RunProductUninstallation(c.product, 0xFFFFFFFFu), c.expected);
    EXPECT_TRUE(Traced(c.traced)) << trace.debugOutput;
    EXPECT_EQ(registry.OpenKeyCount(), 0u);
  }
  process = FakeProcessPort{};
  process.children[0].dwExitCode = 5;
  process.children[0].onRun = WritesResultCode(9);
  EXPECT_EQ(RunProductUninstallation("Plain", 0), 9) << "RESULT_CODE wins over the exit code";
  EXPECT_EQ(process.starts[0].currentDirectory, std::nullopt) << "the uninstaller inherits the directory";
  EXPECT_EQ(process.starts[0].commandLine, "\"C:\\p\\un.exe\" /x -a");
  EXPECT_TRUE(std::filesystem::exists(trace.HostPath("C:\\app")));
}

TEST_F(CommandsTest, AlreadyUninstalledIsAWarning) {
  Parse("/UNINSTALLSHIELD \"Gone Product\" /INSTALLSHIELD a.exe /NOCHECKDISKSPACE");
  EXPECT_EQ(DoInstUninst("C:\\app"), 0);
  EXPECT_TRUE(Traced("Uninstallation key: [SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gone Product]\n"));
  EXPECT_TRUE(Traced("2\t   Assume that the product has been already uninstalled.\n"));
  EXPECT_EQ(process.starts.size(), 1u);
  EXPECT_TRUE(process.pauses.empty()) << "a command that failed is not counted as run";
}

TEST_F(CommandsTest, LongTextsAreCutToTheirBuffers) {
  const std::string program(400, 'p');
  EXPECT_EQ(KinetraProgram("C:\\app", program.c_str(), std::string(400, 'a').c_str(), 0, 0, 0), -3);
  ASSERT_EQ(process.starts.size(), 1u);
  EXPECT_EQ(process.starts[0].commandLine.size(), 261u);
  RegisterUninstall("Long", platform::kRegSz, std::string(1023, 'u'));
  EXPECT_EQ(RunProductUninstallation("Long", 0), 0);
  EXPECT_EQ(process.starts[1].commandLine, std::string(1023, 'u')) << "no room left for -a";
  RegisterUninstall("TooLong", platform::kRegSz, std::string(1024, 'u'));
  EXPECT_EQ(RunProductUninstallation("TooLong", 0), -10);
  EXPECT_TRUE(Traced("Failed to read the uninstall string value, error code: 234\n"));
  EXPECT_EQ(RunProductUninstallation(std::string(3000, 'n').c_str(), 0), -26);
}

}  // namespace
