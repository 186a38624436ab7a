#include <string>
#include <vector>

#include "platform/text/utf16le.h"
#include "setup_launcher/preflight_checks.h"
#include "setup_launcher/tests/launcher_fixture.h"

namespace {

using PreflightTest = LauncherTest;

// Creates `path` under HKLM with an optional string value.
void MakeKey(platform::IRegistry& registry, const char* path, const char* name = nullptr,
             const std::string& data = "") {
  platform::RegKey key = 0;
  ASSERT_EQ(registry.CreateKeyA(platform::kHKeyLocalMachine, path, 0, platform::kKeyAllAccess, &key), 0);
  if (name != nullptr) {
    ASSERT_EQ(registry.SetValueA(key, name, platform::kRegSz, reinterpret_cast<const std::uint8_t*>(data.c_str()),
                                 static_cast<std::uint32_t>(data.size() + 1)),
              0);
  }
  ASSERT_EQ(registry.CloseKey(key), 0);
}

constexpr const char* kService = "SYSTEM\\CurrentControlSet\\Services\\OBMA";
constexpr const char* kRunServices = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices";

TEST_F(PreflightTest, AdminRights) {
  struct Case {
    std::uint32_t platformId;
    bool canCreateServices;
    int expected;
    const char* traced;
  };
  const Case cases[] = {
      {2, true, 1, "1\t   Windows NT. User has admin rights.\n"},
      {2, false, 0, "3\t   Windows NT. User hasn't admin rights.\n"},
      {1, false, 1, "1\t   Windows 95/98. User has admin rights.\n"},
      {0, false, 1, "1\t   Windows 95/98. User has admin rights.\n"},
  };
  for (const Case& c : cases) {
    system.platformId = c.platformId;
    system.canCreateServices = c.canCreateServices;
    trace.debugOutput.clear();
    EXPECT_EQ(HaveAdminRights(), c.expected) << c.platformId;
    EXPECT_TRUE(Traced(c.traced)) << trace.debugOutput;
    EXPECT_TRUE(Traced("1\t   { GetPlatformID()\n1\t      PlatformID: " + std::to_string(c.platformId) + "\n"));
  }
}

TEST_F(PreflightTest, AgentOnTheNtFamilyIsItsServiceKey) {
  EXPECT_EQ(IsOBMAInstalled(), 0);
  EXPECT_TRUE(Traced("OBMA key doesn't exist: RegOpenKeyEx error code: 2.\n"));
  MakeKey(registry, kService);
  EXPECT_EQ(IsOBMAInstalled(), 1) << "an empty service key is enough";
  EXPECT_TRUE(Traced("1\t   OBMA key exists.\n"));
  registry.Faults().Fail("RegOpenKeyExA", 5);
  EXPECT_EQ(IsOBMAInstalled(), 0);
  EXPECT_TRUE(Traced("RegOpenKeyEx error code: 5.\n"));
  EXPECT_EQ(registry.OpenKeyCount(), 0u);
  // Each check asks for the platform anew.
  EXPECT_EQ(HaveAdminRights(), 1);
  std::size_t count = 0;
  for (std::size_t at = 0; (at = trace.debugOutput.find("PlatformID: 2\n", at)) != std::string::npos; ++at) ++count;
  EXPECT_EQ(count, 4u);
}

TEST_F(PreflightTest, AgentOnWindows9xNeedsAnExistingFile) {
  system.platformId = 1;
  system.files = {"C:\\OBMA\\OBMA32.EXE"};
  struct Case {
    const char* name;
    bool makeKey;
    std::optional<std::string> value;
    int expected;
    const char* traced;
  };
  const Case cases[] = {
      {"no RunServices key", false, std::nullopt, 0, "OBMA is not installed, RegOpenKeyEx error code: 2\n"},
      {"no value", true, std::nullopt, 0,
       "2\t   Can't open OBMA reg value, RegQueryValueEx error code: 2.\nAssume that OBMA is not installed.\n"},
      {"a path that exists", true, "C:\\OBMA\\OBMA32.EXE", 1,
       "1\t   OBMA Path: 'C:\\OBMA\\OBMA32.EXE'\n1\t   The file OBMA32.EXE was found.\nOBMA is assumed installed.\n"},
      {"a path with arguments", true, "C:\\OBMA\\OBMA32.EXE -service", 0,
       "The file OBMA32.EXE was not found. Assuming that OBMA is not installed.\n"},
      {"a quoted path", true, "\"C:\\OBMA\\OBMA32.EXE\"", 0, "was not found"},
      {"a value too long for 260 bytes", true, std::string(300, 'p'), 0, "RegQueryValueEx error code: 234."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::MemoryRegistry fresh;
    SetLauncherPlatform(CLauncherPlatform{&fresh, &process, &system, &profile});
    trace.debugOutput.clear();
    if (c.makeKey) {
      if (c.value) {
        MakeKey(fresh, kRunServices, "Ombrix Management Agent", *c.value);
      } else {
        MakeKey(fresh, kRunServices);
      }
    }
    EXPECT_EQ(IsOBMAInstalled(), c.expected);
    EXPECT_TRUE(Traced(c.traced)) << trace.debugOutput;
    EXPECT_EQ(fresh.OpenKeyCount(), 0u) << "the key is closed on every path";
  }
}

TEST_F(PreflightTest, FreeSpaceThroughTheExtendedCall) {
  struct Case {
    std::uint64_t bytes;
    std::uint32_t expected;
    const char* traced;
  };
  const Case cases[] = {
      {std::uint64_t{5} << 30, 4194304, "1\t   Drive has more than 4 GB, returning 4M of KBytes.\n"},
      {(std::uint64_t{4} << 30) - 1, 4194303, "Free space ULARGE_INTEGER, LowPart: 4294967295, HighPart: 0\n"},
      {1023, 0, "1\t   Returning 0 KBytes.\n"},
      {2048, 2, "1\t   Returning 2 KBytes.\n"},
  };
  for (const Case& c : cases) {
    system.totalFreeBytes = c.bytes;
    trace.debugOutput.clear();
    EXPECT_EQ(GetTempDriveFreeSpace(), c.expected) << c.bytes;
    EXPECT_TRUE(Traced(c.traced)) << trace.debugOutput;
  }
  EXPECT_EQ(system.measured.back(), "C:\\Temp") << "the temporary directory without its backslash";
  EXPECT_TRUE(Traced("1\t   Temp directory finally: C:\\Temp\n"));
}

TEST_F(PreflightTest, FreeSpaceThroughClusters) {
  system.hasDiskFreeSpaceEx = false;
  system.tempPath = "D:\\Users\\me\\Temp\\";
  struct Case {
    std::uint32_t clusters, sectorsPerCluster, bytesPerSector, expected;
  };
  const Case cases[] = {
      {1000, 8, 512, 4000},                      // 4 KiB clusters
      {1000, 1, 512, 500},                       // half-kilobyte clusters
      {3, 1, 256, 0},
      {10, 1, 3000, 20},                         // whole kilobytes per cluster only
      {1073741822, 8, 512, 4294967288u},         // the true count while it fits
      {1073741823, 8, 512, 4194304},             // then the cap
      {0xFFFFFFFFu, 1, 1024, 4194304},
  };
  for (const Case& c : cases) {
    system.freeClusters = c.clusters;
    system.sectorsPerCluster = c.sectorsPerCluster;
    system.bytesPerSector = c.bytesPerSector;
    trace.debugOutput.clear();
    EXPECT_EQ(GetTempDriveFreeSpace(), c.expected) << c.clusters << " * " << c.sectorsPerCluster;
    EXPECT_TRUE(Traced("Free space NumberOfFreeClusters * SectorsPerCluster * BytesPerSector = " +
                       std::to_string(c.clusters) + " * " + std::to_string(c.sectorsPerCluster) + " * " +
                       std::to_string(c.bytesPerSector) + " = \n1\t    = " + std::to_string(c.expected) + "\n"))
        << trace.debugOutput;
  }
  EXPECT_EQ(system.measured.back(), "D:\\") << "the root of the directory";
}

TEST_F(PreflightTest, WhichDirectoryIsMeasured) {
  system.tempPath = "C:\\app\\";
  GetTempDriveFreeSpace();
  EXPECT_EQ(system.measured.back(), "C:\\windows") << "a temporary path that is the current directory";
  system.tempPath = std::nullopt;
  GetTempDriveFreeSpace();
  EXPECT_EQ(system.measured.back(), "C:\\windows");
  EXPECT_TRUE(Traced("3\t   GetTempPath failed, error: 3\n"));
  system.tempPath = "c:\\APP";
  GetTempDriveFreeSpace();
  EXPECT_EQ(system.measured.back(), "c:\\APP") << "the comparison is case-sensitive";
}

TEST_F(PreflightTest, FreeSpaceFailuresThrowMinus23) {
  struct Case {
    const char* name;
    std::function<void(FakeSystemPort&)> breakIt;
    const char* traced;
  };
  const Case cases[] = {
      {"current directory", [](FakeSystemPort& s) { s.currentDirectory = std::nullopt; },
       "3\t   GetCurrentDirectory failed, error: 3\n"},
      {"windows directory when needed",
       [](FakeSystemPort& s) {
         s.tempPath = std::nullopt;
         s.windowsDirectory = std::nullopt;
       },
       "3\t   GetWindowsDirectory failed, error: 3\n"},
      {"kernel32", [](FakeSystemPort& s) { s.kernelHandle = 0; },
       "3\t   GetModuleHandle for kernel32.dll failed, error: 126\n"},
      {"extended call", [](FakeSystemPort& s) { s.totalFreeBytes = std::nullopt; },
       "3\t   GetDiskFreeSpaceEx Failed, error: 21\n"},
      {"cluster call",
       [](FakeSystemPort& s) {
         s.hasDiskFreeSpaceEx = false;
         s.diskFreeSpaceFails = true;
       },
       "3\t   GetDiskFreeSpace failed, error: 21\n"},
      {"neither call",
       [](FakeSystemPort& s) {
         s.hasDiskFreeSpaceEx = false;
         s.hasDiskFreeSpace = false;
       },
       "3\t   Unable to GetProcAdress for GetDiskFreeSpaceEx and GetDiskFreeSpace\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    system = FakeSystemPort{};
    c.breakIt(system);
    trace.debugOutput.clear();
    EXPECT_EQ(ThrownCode([] { GetTempDriveFreeSpace(); }), -23);
    EXPECT_TRUE(Traced(c.traced)) << trace.debugOutput;
    EXPECT_TRUE(Traced("1\t} GetTempDriveFreeSpace()\n")) << "the exit line is written while -23 unwinds";
  }
}

TEST_F(PreflightTest, CheckFreeDiskSpaceAgainstSetupIni) {
  system.totalFreeBytes = std::uint64_t{1000} * 1024;  // 1000 KB
  struct Case {
    const char* name;
    std::optional<std::string> ini;
    int expected;
    const char* traced;
  };
  const char* const kNoCare =
      "2\t   Failed to read required disk space from setup.ini. Assuming that setup doesn't care about free disk "
      "space.\n";
  const Case cases[] = {
      {"no setup.ini", std::nullopt, 1, kNoCare},
      {"no key", "[Startup]\nOther=1\n", 1, kNoCare},
      {"key in another section", "[Other]\nFreeDiskSpace=5000\n", 1, kNoCare},
      {"exactly the free space", "[Startup]\nFreeDiskSpace=1000\n", 1, "1\t   Drive has enough free space\n"},
      {"one kilobyte more", "[startup]\nfreediskspace=1001\n", 0, "3\t   Drive hasn't enough free space\n"},
      {"no digits", "[Startup]\nFreeDiskSpace=lots\n", 1, "Necessary free disk space from setup.ini: 0\n"},
      {"minus one", "[Startup]\nFreeDiskSpace=-1\n", 0, "Necessary free disk space from setup.ini: 4294967295\n"},
      {"digits then letters", "[Startup]\nFreeDiskSpace=999kb\n", 1, "from setup.ini: 999\n"},
      {"binary garbage", std::string("\x00\xff[Startup\x01\n=\n", 13), 1, kNoCare},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.ini) {
      trace.WriteFile("C:\\app\\setup.ini", *c.ini);
    } else {
      std::filesystem::remove(trace.HostPath("C:\\app\\setup.ini"));
    }
    trace.debugOutput.clear();
    EXPECT_EQ(CheckFreeDiskSpace("C:\\app"), c.expected);
    EXPECT_TRUE(Traced(c.traced)) << trace.debugOutput;
    EXPECT_TRUE(Traced("1\t   setup.ini file path: [C:\\app\\setup.ini]\n"));
  }
  trace.debugOutput.clear();
  CheckFreeDiskSpace("C:\\app\\");
  EXPECT_TRUE(Traced("setup.ini file path: [C:\\app\\setup.ini]\n")) << "no second backslash";
}

TEST_F(PreflightTest, CheckFreeDiskSpaceLetsMinus23Through) {
  system.currentDirectory = std::nullopt;
  EXPECT_EQ(ThrownCode([] { CheckFreeDiskSpace("C:\\app"); }), -23);
}

}  // namespace
