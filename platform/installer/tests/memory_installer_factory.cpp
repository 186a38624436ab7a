#include "platform/installer/memory_installer.h"
#include "platform/installer/tests/installer_under_test.h"

namespace platform::testing {

namespace {

const std::wstring kFixtureDirectory = L"C:\\kit\\fixtures\\";

MemoryPackage Describe(const FixturePackage& fixture, MsiStatus normalRemovalResult) {
  return MemoryPackage{fixture.productCode, fixture.upgradeCode, fixture.version,
                       std::wstring(L"Fixture ") + fixture.fileName, normalRemovalResult};
}

class MemoryInstallerUnderTest final : public InstallerUnderTest {
 public:
  MemoryInstallerUnderTest() {
    for (const FixturePackage& fixture : kFamilyPackages) {
      installer_.AddPackage(PackagePath(fixture), Describe(fixture, kMsiSuccess));
    }
    // What the fallback package's launch condition does to a normal removal.
    installer_.AddPackage(PackagePath(kFallbackPackage), Describe(kFallbackPackage, kMsiInstallFailure));
  }

  IInstaller& Installer() override { return installer_; }

  MsiHandle OpenSession() override { return installer_.OpenSession(); }

  std::vector<std::wstring> CloseSessionAndReadLog(MsiHandle session) override {
    std::vector<std::wstring> lines = installer_.LogLines(session);
    if (installer_.CloseHandle(session) != kMsiSuccess) lines.clear();
    return lines;
  }

  bool RebootAtEnd(MsiHandle session) override { return installer_.RebootAtEnd(session); }

  std::wstring PackagePath(const FixturePackage& package) override { return kFixtureDirectory + package.fileName; }

  bool IsInstalled(const wchar_t* productCode) override { return installer_.IsInstalled(productCode); }

  std::wstring TempDirectory() override { return L"C:\\users\\kit\\Temp\\"; }

  bool FileExists(const std::wstring& path) override { return installer_.HasPackage(path); }

  bool CopyOneFile(const std::wstring& from, const std::wstring& to) override {
    return installer_.CopyPackage(from, to);
  }

  void RemoveFile(const std::wstring& path) override { installer_.RemovePackage(path); }

 private:
  MemoryInstaller installer_;
};

}  // namespace

std::unique_ptr<InstallerUnderTest> MakeInstallerUnderTest() { return std::make_unique<MemoryInstallerUnderTest>(); }

}  // namespace platform::testing
