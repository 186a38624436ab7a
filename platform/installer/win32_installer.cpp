#include "platform/installer/win32_installer.h"

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

namespace platform {

namespace {

static_assert(sizeof(MSIHANDLE) == sizeof(MsiHandle));
static_assert(sizeof(wchar_t) == sizeof(WCHAR));

// The length goes through a DWORD of its own rather than a cast pointer, so
// the call sees exactly the caller's value and the caller gets back exactly
// what the call left in it.
class LengthArgument {
 public:
  explicit LengthArgument(std::uint32_t* length) : length_(length), value_(length ? *length : 0) {}
  ~LengthArgument() {
    if (length_ != nullptr) *length_ = value_;
  }
  LengthArgument(const LengthArgument&) = delete;
  LengthArgument& operator=(const LengthArgument&) = delete;
  DWORD* get() { return length_ != nullptr ? &value_ : nullptr; }

 private:
  std::uint32_t* length_;
  DWORD value_;
};

}  // namespace

MsiStatus Win32Installer::GetPropertyW(MsiHandle install, const wchar_t* name, wchar_t* value,
                                       std::uint32_t* length) {
  LengthArgument chars(length);
  return MsiGetPropertyW(install, name, value, chars.get());
}

MsiStatus Win32Installer::SetPropertyW(MsiHandle install, const wchar_t* name, const wchar_t* value) {
  return MsiSetPropertyW(install, name, value);
}

MsiHandle Win32Installer::CreateRecord(std::uint32_t fieldCount) { return MsiCreateRecord(fieldCount); }

MsiStatus Win32Installer::RecordSetStringW(MsiHandle record, std::uint32_t field, const wchar_t* value) {
  return MsiRecordSetStringW(record, field, value);
}

std::int32_t Win32Installer::ProcessMessage(MsiHandle install, std::uint32_t messageType, MsiHandle record) {
  return MsiProcessMessage(install, static_cast<INSTALLMESSAGE>(messageType), record);
}

MsiStatus Win32Installer::CloseHandle(MsiHandle handle) { return MsiCloseHandle(handle); }

MsiStatus Win32Installer::SetMode(MsiHandle install, std::uint32_t runMode, bool state) {
  return MsiSetMode(install, static_cast<MSIRUNMODE>(runMode), state ? TRUE : FALSE);
}

MsiStatus Win32Installer::EnumRelatedProductsW(const wchar_t* upgradeCode, std::uint32_t index,
                                               wchar_t* productCode) {
  return MsiEnumRelatedProductsW(upgradeCode, 0, index, productCode);
}

MsiStatus Win32Installer::GetProductInfoW(const wchar_t* productCode, const wchar_t* property, wchar_t* value,
                                          std::uint32_t* length) {
  LengthArgument chars(length);
  return MsiGetProductInfoW(productCode, property, value, chars.get());
}

std::uint32_t Win32Installer::SetInternalUI(std::uint32_t uiLevel) {
  return MsiSetInternalUI(static_cast<INSTALLUILEVEL>(uiLevel), nullptr);
}

MsiStatus Win32Installer::ConfigureProductExW(const wchar_t* productCode, std::int32_t installLevel,
                                              std::int32_t installState, const wchar_t* commandLine) {
  return MsiConfigureProductExW(productCode, installLevel, static_cast<INSTALLSTATE>(installState), commandLine);
}

MsiStatus Win32Installer::InstallProductW(const wchar_t* packagePath, const wchar_t* commandLine) {
  return MsiInstallProductW(packagePath, commandLine);
}

}  // namespace platform
