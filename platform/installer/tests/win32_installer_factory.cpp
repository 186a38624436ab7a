#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/installer/tests/installer_under_test.h"
#include "platform/installer/win32_installer.h"

namespace platform::testing {

namespace {

std::wstring ModuleDirectory() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring module(path, length);
  return module.substr(0, module.find_last_of(L'\\') + 1);
}

std::wstring Temp() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, path);
  return std::wstring(path, length);
}

// The installer writes its log in the ANSI code page.
std::wstring FromAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::vector<std::wstring> ReadLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(FromAnsi(line));
    start = end + 1;
  }
  return lines;
}

class Win32InstallerUnderTest final : public InstallerUnderTest {
 public:
  IInstaller& Installer() override { return installer_; }

  // A session on the first family package, opened with logging switched on.
  // The log stays on until the session is closed: it is process-wide, and
  // the next installer call would start it afresh.
  MsiHandle OpenSession() override {
    logPath_ = Temp() + L"kit_installer_session_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
               std::to_wstring(GetTickCount()) + L".log";
    if (MsiEnableLogW(INSTALLLOGMODE_INFO, logPath_.c_str(), 0) != ERROR_SUCCESS) return 0;
    MSIHANDLE session = 0;
    if (MsiOpenPackageW(PackagePath(kFamilyPackages[0]).c_str(), &session) != ERROR_SUCCESS) {
      MsiEnableLogW(0, nullptr, 0);
      return 0;
    }
    return session;
  }

  std::vector<std::wstring> CloseSessionAndReadLog(MsiHandle session) override {
    MsiCloseHandle(session);
    MsiEnableLogW(0, nullptr, 0);
    std::vector<std::wstring> lines = ReadLines(logPath_);
    DeleteFileW(logPath_.c_str());
    return lines;
  }

  bool RebootAtEnd(MsiHandle session) override { return MsiGetMode(session, MSIRUNMODE_REBOOTATEND) != FALSE; }

  std::wstring PackagePath(const FixturePackage& package) override {
    return ModuleDirectory() + L"installer_fixtures\\" + package.fileName;
  }

  bool IsInstalled(const wchar_t* productCode) override {
    return MsiQueryProductStateW(productCode) == INSTALLSTATE_DEFAULT;
  }

  std::wstring TempDirectory() override { return Temp(); }

  bool FileExists(const std::wstring& path) override {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool CopyOneFile(const std::wstring& from, const std::wstring& to) override {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
  }

  void RemoveFile(const std::wstring& path) override { DeleteFileW(path.c_str()); }

 private:
  Win32Installer installer_;
  std::wstring logPath_;
};

}  // namespace

std::unique_ptr<InstallerUnderTest> MakeInstallerUnderTest() { return std::make_unique<Win32InstallerUnderTest>(); }

}  // namespace platform::testing
