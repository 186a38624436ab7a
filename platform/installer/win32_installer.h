#pragma once
// The Windows Installer port over msi.dll: each method is one call.

#include "platform/installer/installer.h"

namespace platform {

class Win32Installer final : public IInstaller {
 public:
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
};

}  // namespace platform
