// Process launch, pre-flight checks and result reporting over the real Win32
// side, with real child programs (the stand-in installation program).

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/profile/win32_profile.h"
#include "platform/registry/win32_registry.h"
#include "setup_launcher/launcher_platform.h"
#include "setup_launcher/preflight_checks.h"
#include "setup_launcher/process_launch.h"
#include "setup_launcher/result_reporting.h"
#include "setup_launcher/tests/win32/win32_test_files.h"
#include "setup_launcher/win32_process_port.h"
#include "setup_launcher/win32_system_port.h"

namespace {

std::string TempDirectory(const char* pchName) {
  char achTemp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, achTemp);
  const std::string directory = std::string(achTemp) + pchName;
  CreateDirectoryA(directory.c_str(), nullptr);
  return directory;
}

class Win32Launch : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLauncherPlatform(CLauncherPlatform{&registry_, &process_, &system_, &profile_});
  }
  void TearDown() override { SetLauncherPlatform(CLauncherPlatform{}); }

  // Runs the stand-in with the given words.
  int Run(const std::string& words, std::uint32_t dwLimit = 0xFFFFFFFFu, const char* pchDirectory = nullptr) {
    std::string command = "\"";
    command += ProgramDirectory();
    command += "\\stand_in_setup.exe\" ";
    command += words;
    return LaunchAndWait(command.data(), pchDirectory, dwLimit);
  }

  platform::Win32Registry registry_;
  Win32ProcessPort process_;
  Win32SystemPort system_;
  platform::Win32Profile profile_;
};

TEST_F(Win32Launch, ExitCodesOfRealChildren) {
  EXPECT_EQ(Run("exit=1603"), 1603);
  EXPECT_EQ(Run("exit=0"), 0);
  EXPECT_EQ(Run("exit=0xC0000005"), -1073741819) << "a crash code comes back negative";
  char achMissing[] = "C:\\no\\such\\program.exe -s";
  EXPECT_EQ(LaunchAndWait(achMissing, nullptr, 0xFFFFFFFFu), -2);
}

TEST_F(Win32Launch, HangingChildIsKilledAtTheLimit) {
  const std::string record = TempDirectory("kinetra_launch") + "\\killed.txt";
  DeleteFileA(record.c_str());
  const DWORD dwStart = GetTickCount();
  // The child records itself only after its sleep: a record shows it was not killed.
  EXPECT_EQ(Run("sleep=20000 record=" + record, 0), -24);
  EXPECT_LT(GetTickCount() - dwStart, 10000u) << "no second wait";
  EXPECT_EQ(Run("sleep=20000", 1000), -24);
  Sleep(500);
  EXPECT_EQ(GetFileAttributesA(record.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Win32Launch, ChildRunsInTheGivenDirectory) {
  const std::string directory = TempDirectory("kinetra_launch");
  const std::string record = directory + "\\record.txt";
  DeleteFileA(record.c_str());
  EXPECT_EQ(Run("-s -SMS record=" + record, 0xFFFFFFFFu, directory.c_str()), 0);
  const std::string line = ReadWhole(record);
  EXPECT_NE(line.find("stand_in_setup.exe\" -s -SMS record="), std::string::npos) << line;
  EXPECT_NE(line.find("|" + directory + "\n"), std::string::npos) << line;
}

TEST_F(Win32Launch, ResultValuesInThe32BitView) {
  ASSERT_EQ(DeleteRegistryResultValues(), 0);
  EXPECT_EQ(GetRegistrySetupResultCode(), -3);
  EXPECT_EQ(Run("result_code=3"), 0);
  EXPECT_EQ(GetRegistrySetupResultCode(), 3) << "the child's value in the same view";

  ASSERT_EQ(WriteErrorCodeToRegistry(nullptr, -23), 0);
  EXPECT_EQ(GetRegistrySetupResultCode(), -23);
  // Where 64-bit readers find it.
  HKEY hKey = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\Pellacor\\Ombrix\\OBSetup", 0,
                          KEY_READ | KEY_WOW64_64KEY, &hKey),
            ERROR_SUCCESS);
  DWORD dwType = 0, dwCode = 0, dwSize = sizeof(dwCode);
  EXPECT_EQ(RegQueryValueExA(hKey, "RESULT_CODE", nullptr, &dwType, reinterpret_cast<BYTE*>(&dwCode), &dwSize), 0);
  EXPECT_EQ(dwType, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(dwCode, 0xFFFFFFE9u);
  char achText[1024] = {};
  dwSize = sizeof(achText);
  EXPECT_EQ(RegQueryValueExA(hKey, "DESCRIPTION_RESULT_SETUP", nullptr, &dwType, reinterpret_cast<BYTE*>(achText),
                             &dwSize),
            0);
  EXPECT_STREQ(achText, "System drive hasn't enough free disk space for Setup temporary files");
  EXPECT_EQ(dwSize, std::strlen(achText) + 1);
  RegCloseKey(hKey);

  EXPECT_EQ(DeleteRegistryResultValues(), 0);
  EXPECT_EQ(GetRegistrySetupResultCode(), -3);
}

TEST_F(Win32Launch, SetupLogWrittenAndReadBack) {
  const std::string directory = TempDirectory("kinetra_setup_log");
  const std::string log = directory + "\\setup.log";
  std::ofstream(log, std::ios::binary) << "[Application]\r\nName=x\r\n";
  EXPECT_EQ(WriteResultCodeToSetupLog(directory.c_str(), "110"), 1);
  EXPECT_EQ(GetSetupLogResultCode(directory.c_str()), 110);
  EXPECT_EQ(ReadWhole(log), "[Silent Setup]\r\nResultCode=110\r\n") << "only the one section and key";
  DeleteFileA(log.c_str());
  EXPECT_EQ(GetSetupLogResultCode(directory.c_str()), -3);
  // What the stand-in leaves beside itself, as an installation program would.
  EXPECT_EQ(Run("setup_log=0"), 0);
  EXPECT_EQ(GetSetupLogResultCode(ProgramDirectory().c_str()), 0);
  DeleteFileA((ProgramDirectory() + "\\setup.log").c_str());
}

TEST_F(Win32Launch, PreflightChecksOnThisSystem) {
  EXPECT_EQ(GetPlatformID(), 2u);
  EXPECT_EQ(HaveAdminRights(), 1) << "the process is an administrator under Wine";
  EXPECT_GT(GetTempDriveFreeSpace(), 0u);
  const std::string directory = TempDirectory("kinetra_setup_ini");
  std::ofstream(directory + "\\setup.ini", std::ios::binary) << "[Startup]\r\nFreeDiskSpace=4294967295\r\n";
  EXPECT_EQ(CheckFreeDiskSpace(directory.c_str()), 0);
  std::ofstream(directory + "\\setup.ini", std::ios::binary) << "[Startup]\r\nFreeDiskSpace=1\r\n";
  EXPECT_EQ(CheckFreeDiskSpace(directory.c_str()), 1);

  EXPECT_EQ(IsOBMAInstalled(), 0);
  HKEY hKey = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\OBMA", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &hKey, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(hKey);
  EXPECT_EQ(IsOBMAInstalled(), 1);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\OBMA"), ERROR_SUCCESS);
}

}  // namespace
