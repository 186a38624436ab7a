#pragma once
// An in-memory Windows Installer for tests. Sessions keep their properties,
// the lines their messages logged and the reboot modes; records keep their
// fields. Package files are known by path (case ignored) and name the product
// they install; installing one registers the product, in the order installed,
// with VersionString, LocalPackage (a cached copy, itself a package file),
// PackageName, InstallSource and ProductName, and removing the product deletes
// the cached copy. Codes are those msi.dll answers under Wine wherever the
// contract suite checks them. Unlike Wine, which forgets every product of an
// upgrade code once one of them is removed, the enumeration goes on listing
// the products still installed, as Windows does. An injected fault makes a
// call return the code and do nothing else; CreateRecord then returns 0 and
// SetInternalUI returns the code as the previous level.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fault/fault_injector.h"
#include "platform/installer/installer.h"

namespace platform {

inline constexpr MsiStatus kMsiInvalidCommandLine = 1639;

// What a package file installs.
struct MemoryPackage {
  std::wstring productCode;  // braced
  std::wstring upgradeCode;  // braced; empty for none
  std::wstring version;
  std::wstring productName;
  // What removing the installed product through ConfigureProductExW returns.
  // The product is gone only when this counts as success (0, 1641, 3010); a
  // removal through InstallProductW with REMOVE=ALL always succeeds.
  MsiStatus normalRemovalResult = kMsiSuccess;
};

// A product-changing call, as the stand-in saw it.
struct MemoryProductCall {
  std::string operation;  // "MsiConfigureProductExW" or "MsiInstallProductW"
  std::wstring target;    // the product code or the package path
  std::wstring commandLine;
  MsiStatus result;
};

class MemoryInstaller final : public IInstaller {
 public:
  MemoryInstaller();
  ~MemoryInstaller() override;
  MemoryInstaller(const MemoryInstaller&) = delete;
  MemoryInstaller& operator=(const MemoryInstaller&) = delete;

  MsiStatus GetPropertyW(MsiHandle install, const wchar_t* name, wchar_t* value, std::uint32_t* length) override;
  MsiStatus SetPropertyW(MsiHandle install, const wchar_t* name, const wchar_t* value) override;
  MsiHandle CreateRecord(std::uint32_t fieldCount) override;
  MsiStatus RecordSetStringW(MsiHandle record, std::uint32_t field, const wchar_t* value) override;
  std::int32_t ProcessMessage(MsiHandle install, std::uint32_t messageType, MsiHandle record) override;
  MsiStatus CloseHandle(MsiHandle handle) override;
  MsiStatus SetMode(MsiHandle install, std::uint32_t runMode, bool state) override;
  MsiStatus EnumRelatedProductsW(const wchar_t* upgradeCode, std::uint32_t index, wchar_t* productCode) override;
  MsiStatus GetProductInfoW(const wchar_t* productCode, const wchar_t* property, wchar_t* value,
                            std::uint32_t* length) override;
  std::uint32_t SetInternalUI(std::uint32_t uiLevel) override;
  MsiStatus ConfigureProductExW(const wchar_t* productCode, std::int32_t installLevel, std::int32_t installState,
                                const wchar_t* commandLine) override;
  MsiStatus InstallProductW(const wchar_t* packagePath, const wchar_t* commandLine) override;

  FaultInjector& Faults() { return faults_; }

  // A new installation session with no properties, as the installer hands a
  // custom action; close it with CloseHandle.
  [[nodiscard]] MsiHandle OpenSession();
  // What an open session holds: a property (empty when absent), the lines
  // its messages logged, in order, and whether it reboots at the end.
  [[nodiscard]] std::wstring Property(MsiHandle install, std::wstring_view name) const;
  [[nodiscard]] std::vector<std::wstring> LogLines(MsiHandle install) const;
  [[nodiscard]] bool RebootAtEnd(MsiHandle install) const;
  // Sessions and records not yet closed: callers must close every record.
  [[nodiscard]] std::size_t OpenHandleCount() const { return sessions_.size() + records_.size(); }

  // Package files: a package at `path`, a copy of one (false when `from` is
  // no package, as CopyFile fails), and deleting one (false when absent).
  void AddPackage(const std::wstring& path, MemoryPackage package);
  [[nodiscard]] bool CopyPackage(const std::wstring& from, const std::wstring& to);
  bool RemovePackage(const std::wstring& path);
  [[nodiscard]] bool HasPackage(const std::wstring& path) const;
  // A machine on which `package` was installed from `path`.
  void AddInstalledProduct(const std::wstring& path, MemoryPackage package);

  [[nodiscard]] bool IsInstalled(std::wstring_view productCode) const;
  // Changes what GetProductInfoW answers for an installed product; false when
  // the product is not installed.
  bool SetProductInfo(std::wstring_view productCode, const std::wstring& property, std::wstring value);
  [[nodiscard]] std::uint32_t UiLevel() const { return uiLevel_; }
  [[nodiscard]] std::size_t SetInternalUICount() const { return uiCalls_; }
  [[nodiscard]] const std::vector<MemoryProductCall>& ProductCalls() const { return calls_; }

 private:
  struct Session {
    std::map<std::wstring, std::wstring> properties;  // names are case-sensitive
    std::vector<std::wstring> log;
    bool rebootAtEnd = false;
    bool rebootNow = false;
  };
  struct Product {
    MemoryPackage package;
    std::map<std::wstring, std::wstring> info;
  };

  const Session* FindSession(MsiHandle install) const;
  Session* FindSession(MsiHandle install);
  std::vector<Product>::iterator FindProduct(std::wstring_view productCode);
  std::vector<Product>::const_iterator FindProduct(std::wstring_view productCode) const;
  void Install(const std::wstring& path, const MemoryPackage& package);
  void Uninstall(std::vector<Product>::iterator product);
  std::wstring Formatted(const Session& session, const std::vector<std::wstring>& fields) const;
  MsiStatus RecordCall(const char* operation, const wchar_t* target, const wchar_t* commandLine, MsiStatus result);

  std::map<MsiHandle, Session> sessions_;
  std::map<MsiHandle, std::vector<std::wstring>> records_;  // fields 0 to the count
  MsiHandle nextHandle_ = 1;
  std::map<std::wstring, MemoryPackage> packages_;  // by folded path
  std::vector<Product> products_;                   // installed, in installation order
  unsigned nextCacheName_ = 0x1000;
  std::uint32_t uiLevel_ = kInstallUiLevelDefault;
  std::size_t uiCalls_ = 0;
  std::vector<MemoryProductCall> calls_;
  FaultInjector faults_;
};

}  // namespace platform
