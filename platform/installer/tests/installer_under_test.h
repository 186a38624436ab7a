#pragma once
// The installer the contract suite runs against: the in-memory stand-in on
// Linux, msi.dll when the suite is built for Windows. Besides the port it
// gives what the suite needs and the port does not offer: a session to call
// into, the session's log, the fixture packages, and files.

#include <memory>
#include <string>
#include <vector>

#include "platform/installer/installer.h"
#include "platform/installer/tests/fixture_packages.h"

namespace platform::testing {

class InstallerUnderTest {
 public:
  virtual ~InstallerUnderTest() = default;

  virtual IInstaller& Installer() = 0;

  // A session with its log going to a place of its own.
  [[nodiscard]] virtual MsiHandle OpenSession() = 0;
  // Closes the session and returns the lines of its log.
  [[nodiscard]] virtual std::vector<std::wstring> CloseSessionAndReadLog(MsiHandle session) = 0;
  [[nodiscard]] virtual bool RebootAtEnd(MsiHandle session) = 0;

  // Where a fixture package lies, for InstallProductW.
  [[nodiscard]] virtual std::wstring PackagePath(const FixturePackage& package) = 0;
  // Asks the installer itself, since under Wine a product whose removal
  // failed can drop out of the enumeration while it stays installed.
  [[nodiscard]] virtual bool IsInstalled(const wchar_t* productCode) = 0;

  // The temporary directory, with its trailing backslash.
  [[nodiscard]] virtual std::wstring TempDirectory() = 0;
  [[nodiscard]] virtual bool FileExists(const std::wstring& path) = 0;
  // Copies a file, replacing one already at `to`.
  [[nodiscard]] virtual bool CopyOneFile(const std::wstring& from, const std::wstring& to) = 0;
  virtual void RemoveFile(const std::wstring& path) = 0;
};

std::unique_ptr<InstallerUnderTest> MakeInstallerUnderTest();

}  // namespace platform::testing
