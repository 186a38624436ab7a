#include <string>

#include "setup_launcher/command_line.h"
#include "setup_launcher/error_codes.h"
#include "setup_launcher/launcher_main.h"
#include "setup_launcher/result_reporting.h"
#include "setup_launcher/tests/launcher_fixture.h"

namespace {

class DriverTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    ResetCmdLineState();
    system.totalFreeBytes = std::uint64_t{100} << 20;
    // A configuration without settings: the whole trace goes to the
    // debugger output with the severity column only.
    trace.WriteFile("Kinetra.cfg", "# plain\n");
    trace.WriteFile("C:\\app\\Kinetra.cfg", "# plain\n");
  }
  void TearDown() override {
    ResetCmdLineState();
    LauncherTest::TearDown();
  }

  std::optional<std::pair<std::uint32_t, std::string>> Reported() {
    platform::RegKey key = 0;
    if (registry.OpenKeyA(platform::kHKeyLocalMachine, kResultKey, 0, platform::kKeyRead, &key) != 0) return std::nullopt;
    std::uint32_t code = 0, size = 4;
    char text[1024] = {};
    std::uint32_t textSize = sizeof(text);
    const bool hasCode = registry.QueryValueA(key, "RESULT_CODE", nullptr, reinterpret_cast<std::uint8_t*>(&code), &size) == 0;
    (void)registry.QueryValueA(key, "DESCRIPTION_RESULT_SETUP", nullptr, reinterpret_cast<std::uint8_t*>(text), &textSize);
    EXPECT_EQ(registry.CloseKey(key), 0);
    if (!hasCode) return std::nullopt;
    return std::pair{code, std::string(text)};
  }
};

TEST_F(DriverTest, EmptyCommandLineRunsTheDefaultInstallation) {
  process.children[0].dwExitCode = 1603;
  EXPECT_EQ(KinetraWinMain(nullptr, ""), 0) << "whatever the setup result";
  ASSERT_EQ(process.starts.size(), 1u);
  EXPECT_EQ(process.starts[0].commandLine, "\"C:\\app\\setup.exe\" -s -SMS");
  EXPECT_FALSE(Reported());
  const std::string banner = "1\t\n*******************************\n1\tKinetra.EXE version 8.0.3250\n";
  EXPECT_EQ(trace.debugOutput.substr(0, banner.size()), banner);
  EXPECT_TRUE(Traced("1\t{ WinMain()\n1\t   Cmd Line: ''\n"));
  EXPECT_TRUE(Traced("1\t   Exiting Kinetra with exit code: 0\n1\t} WinMain()\n"));
}

TEST_F(DriverTest, InvalidCommandLineIsReported) {
  EXPECT_EQ(KinetraWinMain(nullptr, "setup.exe /INSTALLSHIELD"), -1);
  EXPECT_TRUE(process.starts.empty());
  EXPECT_EQ(Reported(), std::pair(0xFFFFFFFFu, std::string("Invalid command line passed to Kinetra")));
  EXPECT_TRUE(Traced("3\t   Integer exception has occured: -1. Quiting\n"));
}

TEST_F(DriverTest, HelpRunsNothingAndShowsTheBox) {
  EXPECT_EQ(KinetraWinMain(nullptr, "/? /INSTALLSHIELD"), 0);
  EXPECT_TRUE(process.starts.empty());
  ASSERT_EQ(system.messages.size(), 1u);
  EXPECT_EQ(system.messages[0].caption, "Kinetra command line syntax");
  EXPECT_EQ(system.messages[0].uStyle, 0x00200040u);
  EXPECT_EQ(system.messages[0].text.substr(0, 58), "Kinetra [options] [commands]\nOptions:\n        /CHECKADMIN\t");
  const std::string ending = "/UNINSTALLSHIELD <product name>\t\t\t - Perform uninstallation";
  EXPECT_EQ(system.messages[0].text.substr(system.messages[0].text.size() - ending.size()), ending);
  EXPECT_TRUE(Traced("Messagebox returned 1\n"));
  EXPECT_FALSE(Reported());
}

TEST_F(DriverTest, MissingHelpStringsGiveMinus4) {
  struct NoStrings final : IStringResources {
    int LoadText(void*, unsigned, char* buffer, int size) override {
      if (size > 0) buffer[0] = '\0';
      return 0;
    }
  } none;
  SetStringResources(&none);
  system.messageResult = 0;
  const int nExit = KinetraWinMain(nullptr, "/?");
  SetStringResources(nullptr);
  EXPECT_EQ(nExit, -27) << "-4, whose description cannot be loaded either";
  EXPECT_TRUE(Traced("2\t      The help message is absent in the resources\n"));
}

TEST_F(DriverTest, FailuresOfTheRegistryReport) {
  registry.Faults().Fail("RegOpenKeyExA", 5, 0, 1);
  EXPECT_EQ(KinetraWinMain(nullptr, "/INSTALLSHIELD"), -27) << "results that cannot be cleared";
  EXPECT_TRUE(process.starts.empty());
  EXPECT_FALSE(Reported()) << "-27 is never reported";

  ResetCmdLineState();
  registry.Faults().Fail("RegCreateKeyExA", 5, 0, 1);
  EXPECT_EQ(KinetraWinMain(nullptr, "/FOO"), -27) << "a failed report replaces the code";
}

TEST_F(DriverTest, RightsAndSpaceFailures) {
  system.canCreateServices = false;
  EXPECT_EQ(KinetraWinMain(nullptr, "/CHECKADMIN"), -22);
  EXPECT_EQ(Reported(), std::pair(static_cast<std::uint32_t>(-22),
                                  std::string("Kinetra process hasn't administrative rights (/CHECKADMIN specified)")));
  ResetCmdLineState();
  system = FakeSystemPort{};
  system.hostPath = [this](const std::string& path) { return trace.HostPath(path).string(); };
  system.currentDirectory = std::nullopt;
  EXPECT_EQ(KinetraWinMain(nullptr, ""), -23) << "free space that cannot be measured stops the run";
  EXPECT_EQ(Reported()->first, static_cast<std::uint32_t>(-23));
}

}  // namespace
