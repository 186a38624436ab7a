#pragma once
// The Windows Installer port: the msi.dll calls the kit relies on, one method
// per call, UTF-16 (W) forms only, with msi.dll's result codes. A session is an
// installation handle (the one a custom action is given); product calls need
// none. Contract, as the real calls behave: every method returns the call's own
// result (0 on success); lengths are in characters and never count the
// terminating zero they report; out parameters are left untouched on failure,
// with two exceptions: a length that fails with 234 (kMsiMoreData) reports the
// length needed, and GetPropertyW then also fills the buffer with as much of
// the value as fits, terminated.

#include <cstdint>

namespace platform {

// An installation session or a record. Its value means nothing to the logic;
// 0 is no handle.
using MsiHandle = std::uint32_t;
using MsiStatus = std::uint32_t;

// Named apart from windows.h and the registry port's codes.
inline constexpr MsiStatus kMsiSuccess = 0;
inline constexpr MsiStatus kMsiFileNotFound = 2;
inline constexpr MsiStatus kMsiAccessDenied = 5;
inline constexpr MsiStatus kMsiInvalidHandle = 6;
inline constexpr MsiStatus kMsiInvalidParameter = 87;
inline constexpr MsiStatus kMsiMoreData = 234;
inline constexpr MsiStatus kMsiNoMoreItems = 259;
inline constexpr MsiStatus kMsiInstallFailure = 1603;
inline constexpr MsiStatus kMsiUnknownProduct = 1605;
inline constexpr MsiStatus kMsiUnknownProperty = 1608;
inline constexpr MsiStatus kMsiInvalidField = 1616;
inline constexpr MsiStatus kMsiFunctionFailed = 1627;
inline constexpr MsiStatus kMsiSuccessRebootInitiated = 1641;
inline constexpr MsiStatus kMsiSuccessRebootRequired = 3010;

inline constexpr std::uint32_t kInstallMessageInfo = 0x04000000;

inline constexpr std::uint32_t kMsiRunModeRebootAtEnd = 6;
inline constexpr std::uint32_t kMsiRunModeRebootNow = 7;

inline constexpr std::uint32_t kInstallUiLevelNoChange = 0;
inline constexpr std::uint32_t kInstallUiLevelDefault = 1;
inline constexpr std::uint32_t kInstallUiLevelNone = 2;
inline constexpr std::uint32_t kInstallUiLevelBasic = 3;
inline constexpr std::uint32_t kInstallUiLevelReduced = 4;
inline constexpr std::uint32_t kInstallUiLevelFull = 5;

inline constexpr std::int32_t kInstallLevelMaximum = 0xFFFF;
inline constexpr std::int32_t kInstallStateAbsent = 2;

// A braced product code with its terminator: the size of EnumRelatedProductsW's buffer.
inline constexpr std::uint32_t kProductCodeChars = 39;

class IInstaller {
 public:
  virtual ~IInstaller() = default;

  // MsiGetPropertyW. An absent property reads as empty. `value` may be null
  // to ask for the length; a `length` too small for the value and its
  // terminator gives 234 (an absent property with a length of 0 too).
  [[nodiscard]] virtual MsiStatus GetPropertyW(MsiHandle install, const wchar_t* name, wchar_t* value,
                                               std::uint32_t* length) = 0;
  // MsiSetPropertyW: a null or empty value removes the property.
  [[nodiscard]] virtual MsiStatus SetPropertyW(MsiHandle install, const wchar_t* name, const wchar_t* value) = 0;

  // MsiCreateRecord: a record of fields 0 to `fieldCount`, or 0.
  [[nodiscard]] virtual MsiHandle CreateRecord(std::uint32_t fieldCount) = 0;
  [[nodiscard]] virtual MsiStatus RecordSetStringW(MsiHandle record, std::uint32_t field,
                                                   const wchar_t* value) = 0;
  // MsiProcessMessage. With kInstallMessageInfo the record becomes one line of
  // the session's log: field 0 is a template in which [n] stands for field n,
  // [Name] for a property and [\c] for the character c; an empty field 0
  // lists the fields as "1: a 2: b ". Returns the installer's answer, not a code.
  [[nodiscard]] virtual std::int32_t ProcessMessage(MsiHandle install, std::uint32_t messageType,
                                                    MsiHandle record) = 0;
  // MsiCloseHandle: closing 0 succeeds.
  [[nodiscard]] virtual MsiStatus CloseHandle(MsiHandle handle) = 0;
  // MsiSetMode: only the reboot modes can be set (5 for the others).
  [[nodiscard]] virtual MsiStatus SetMode(MsiHandle install, std::uint32_t runMode, bool state) = 0;

  // MsiEnumRelatedProductsW: the index-th installed product of an upgrade
  // code, braced, into a buffer of kProductCodeChars; 259 past the last one
  // (and, under Wine, for a malformed upgrade code).
  [[nodiscard]] virtual MsiStatus EnumRelatedProductsW(const wchar_t* upgradeCode, std::uint32_t index,
                                                       wchar_t* productCode) = 0;
  // MsiGetProductInfoW: 1605 for a product that is not installed, 1608 for a
  // property the product does not have. `value` may be null to ask for the length.
  [[nodiscard]] virtual MsiStatus GetProductInfoW(const wchar_t* productCode, const wchar_t* property,
                                                  wchar_t* value, std::uint32_t* length) = 0;
  // MsiSetInternalUI with no window: returns the previous level, not a code;
  // kInstallUiLevelNoChange only reads it.
  [[nodiscard]] virtual std::uint32_t SetInternalUI(std::uint32_t uiLevel) = 0;
  // MsiConfigureProductExW: with kInstallStateAbsent, removes the product.
  [[nodiscard]] virtual MsiStatus ConfigureProductExW(const wchar_t* productCode, std::int32_t installLevel,
                                                      std::int32_t installState, const wchar_t* commandLine) = 0;
  // MsiInstallProductW: installs the package, or, with REMOVE=ALL on the
  // command line, removes its product. A missing package gives 2 under Wine
  // (Windows documents 1619).
  [[nodiscard]] virtual MsiStatus InstallProductW(const wchar_t* packagePath, const wchar_t* commandLine) = 0;
};

}  // namespace platform
