#include "setup_launcher/result_reporting.h"

#include <cstring>

#include "setup_launcher/decimal.h"
#include "setup_launcher/error_codes.h"
#include "setup_launcher/launcher_platform.h"
#include "setup_launcher/path_utils.h"
#include "setup_launcher/trace/trace_log.h"

namespace {

constexpr unsigned kPathSize = 260;
constexpr int kDescriptionSize = 1024;
constexpr const char* kSection = "Silent Setup";
constexpr const char* kKey = "ResultCode";
constexpr const char* kMissing = "error string";

// Deletes one value; an absent value counts as deleted.
bool DeleteResultValue(platform::IRegistry& registry, platform::RegKey hKey, const char* pchName) {
  const platform::RegStatus lStatus = registry.DeleteValueA(hKey, pchName);
  if (lStatus == platform::kErrorSuccess || lStatus == platform::kErrorFileNotFound) return true;
  TraceMessage(TRACE_ERROR, 0, "Failed to delete Registry value [%s], error code: %d.\n", pchName,
               static_cast<int>(lStatus));
  return false;
}

}  // namespace

int DeleteRegistryResultValues() {
  TraceScope scope("DeleteRegistryResultValues()\n");
  platform::IRegistry& registry = LauncherRegistry();
  platform::RegKey hKey = 0;
  const platform::RegStatus lOpen =
      registry.OpenKeyA(platform::kHKeyLocalMachine, kResultKey, 0, platform::kKeyAllAccess, &hKey);
  if (lOpen == platform::kErrorFileNotFound) {
    TraceMessage(TRACE_INFO, 0, "Registry key [%s] does not exist, nothing to delete.\n", kResultKey);
    return 0;
  }
  if (lOpen != platform::kErrorSuccess) {
    TraceMessage(TRACE_ERROR, 0, "Failed to open Registry key [%s], error code: %d.\n", kResultKey,
                 static_cast<int>(lOpen));
    return KINETRA_REPORT_FAILED;
  }
  bool bDeleted = DeleteResultValue(registry, hKey, kResultCodeValue);
  bDeleted = DeleteResultValue(registry, hKey, kResultDescriptionValue) && bDeleted;
  const platform::RegStatus lClose = registry.CloseKey(hKey);
  if (lClose != platform::kErrorSuccess) {
    TraceMessage(TRACE_WARNING, 0, "CloseRegKey failed with error code: %d. Futher errors possible.\n",
                 static_cast<int>(lClose));
  }
  if (!bDeleted) {
    TraceMessage(TRACE_INFO, 0, "%s", "There were errors in deleting values: exiting.\n");
    return KINETRA_REPORT_FAILED;
  }
  TraceMessage(TRACE_INFO, 0, "%s", "Clearing result values succeed.\n");
  return 0;
}

int WriteErrorCodeToRegistry(void* hInstance, int nCode) {
  TraceCallText call;
  call.Text("WriteErrorCodeToRegistry(").Pointer(hInstance).Text(",").Signed(nCode).Text(")\n");
  TraceScope scope(call.c_str());

  TraceMessage(TRACE_INFO, 0, "Writting inst/uninst error code and description to the registry, key: [%s]\n",
               kResultKey);
  platform::IRegistry& registry = LauncherRegistry();
  platform::RegKey hKey = 0;
  const platform::RegStatus lCreate = registry.CreateKeyA(platform::kHKeyLocalMachine, kResultKey,
                                                          platform::kRegOptionNonVolatile, platform::kKeyAllAccess, &hKey);
  if (lCreate != platform::kErrorSuccess) {
    TraceMessage(TRACE_ERROR, 0, "Failed to open/create the inst/uninst result Registry key, error code: %d.\n",
                 static_cast<int>(lCreate));
    return KINETRA_REPORT_FAILED;
  }
  const int nResult = WriteErrorCodeToTheKey(hKey, hInstance, nCode);
  (void)registry.CloseKey(hKey);
  return nResult;
}

int WriteErrorCodeToTheKey(platform::RegKey hKey, void* hInstance, int nCode) {
  TraceCallText call;
  call.Text("WriteErrorCodeToTheKey(").Pointer(reinterpret_cast<const void*>(hKey)).Text(",").Signed(nCode).Text(")\n");
  TraceScope scope(call.c_str());

  platform::IRegistry& registry = LauncherRegistry();
  const auto dwCode = static_cast<std::uint32_t>(nCode);
  const std::uint8_t abCode[4] = {static_cast<std::uint8_t>(dwCode), static_cast<std::uint8_t>(dwCode >> 8),
                                  static_cast<std::uint8_t>(dwCode >> 16), static_cast<std::uint8_t>(dwCode >> 24)};
  platform::RegStatus lStatus = registry.SetValueA(hKey, kResultCodeValue, platform::kRegDword, abCode, 4);
  if (lStatus != platform::kErrorSuccess) {
    TraceMessage(TRACE_ERROR, 0, "Failed to write registry value [%s], error code: %d.\n", kResultCodeValue,
                 static_cast<int>(lStatus));
    return KINETRA_REPORT_FAILED;
  }

  char achDescription[kDescriptionSize] = {};
  if (GetErrorDescription(hInstance, nCode, achDescription, kDescriptionSize) == 0) {
    TraceMessage(TRACE_ERROR, 0, "%s", "Failed to read error description from the resources.\n");
    return KINETRA_REPORT_FAILED;
  }
  lStatus = registry.SetValueA(hKey, kResultDescriptionValue, platform::kRegSz,
                               reinterpret_cast<const std::uint8_t*>(achDescription),
                               static_cast<std::uint32_t>(std::strlen(achDescription) + 1));
  if (lStatus != platform::kErrorSuccess) {
    TraceMessage(TRACE_ERROR, 0, "Failed to write registry value [%s], error code: %d.\n", kResultDescriptionValue,
                 static_cast<int>(lStatus));
    return KINETRA_REPORT_FAILED;
  }
  TraceMessage(TRACE_INFO, 0, "%s", "Error code and description were written successfully.\n");
  return 0;
}

int WriteResultCodeToSetupLog(const char* pchDirectory, const char* pchResultCode) {
  TraceCallText call;
  call.Text("WriteResultCodeToSetupLog(").Text(pchDirectory).Text(",").Text(pchResultCode).Text(")\n");
  TraceScope scope(call.c_str());

  char achPath[2 * kPathSize];
  MakeFilePath(achPath, sizeof(achPath), pchDirectory, "setup.log");
  TraceMessage(TRACE_INFO, 0, "Setup log file: '%s'\n", achPath);
  ISystemPort& system = LauncherSystem();
  if (!system.CreateEmptyFile(achPath)) {
    TraceMessage(TRACE_WARNING, 0, "Failed to create setup.log file, error: %u\n",
                 static_cast<unsigned>(system.LastError()));
    return 0;
  }
  platform::IProfile& profile = LauncherProfile();
  if (!profile.WriteStringA(kSection, kKey, pchResultCode, achPath)) {
    TraceMessage(TRACE_WARNING, 0, "Failed to write ResultCode to the setup.log file, error: %u.\n",
                 static_cast<unsigned>(profile.LastError()));
    return 0;
  }
  TraceMessage(TRACE_INFO, 0, "%s", "Result code was written successfully.\n");
  return 1;
}

int GetRegistrySetupResultCode() {
  TraceScope scope("GetRegistrySetupResultCode()\n");
  TraceMessage(TRACE_INFO, 0, "Getting result code from the registry, key [%s]\n", kResultKey);
  platform::IRegistry& registry = LauncherRegistry();
  platform::RegKey hKey = 0;
  const platform::RegStatus lOpen =
      registry.OpenKeyA(platform::kHKeyLocalMachine, kResultKey, 0, platform::kKeyRead, &hKey);
  if (lOpen != platform::kErrorSuccess) {
    TraceMessage(TRACE_ERROR, 0, "Failed to open result registry key, error code: %d.\n", static_cast<int>(lOpen));
    return KINETRA_NO_RESULT_CODE;
  }
  std::uint8_t abValue[4] = {};
  std::uint32_t dwSize = sizeof(abValue);
  std::uint32_t dwType = platform::kRegNone;
  const platform::RegStatus lQuery = registry.QueryValueA(hKey, kResultCodeValue, &dwType, abValue, &dwSize);
  if (lQuery != platform::kErrorSuccess || dwType != platform::kRegDword) {
    TraceMessage(TRACE_ERROR, 0, "Failed to read registry value [%s], error code: %d.\n", kResultCodeValue,
                 static_cast<int>(lQuery));
    (void)registry.CloseKey(hKey);
    return KINETRA_NO_RESULT_CODE;
  }
  (void)registry.CloseKey(hKey);
  const std::uint32_t dwValue = abValue[0] | (abValue[1] << 8) | (abValue[2] << 16) |
                                (static_cast<std::uint32_t>(abValue[3]) << 24);
  const int nValue = static_cast<int>(dwValue);
  TraceMessage(TRACE_INFO, 0, "Result code retrieved successfully: [%d]\n", nValue);
  return nValue;
}

int GetSetupLogResultCode(const char* pchDirectory) {
  TraceCallText call;
  call.Text("GetSetupLogResultCode(").Text(pchDirectory).Text(")\n");
  TraceScope scope(call.c_str());

  char achPath[2 * kPathSize];
  MakeFilePath(achPath, sizeof(achPath), pchDirectory, "setup.log");
  TraceMessage(TRACE_INFO, 0, "Getting the result code from the setup.log file [%s]\n", achPath);
  char achValue[64] = {};
  LauncherProfile().ReadStringA(kSection, kKey, kMissing, achValue, sizeof(achValue), achPath);
  if (std::strcmp(achValue, kMissing) == 0) {
    TraceMessage(TRACE_ERROR, 0, "%s", "Failed to read the result code.\n");
    return KINETRA_NO_RESULT_CODE;
  }
  TraceMessage(TRACE_INFO, 0, "Result code is [%s]\n", achValue);
  const int nValue = static_cast<int>(ParseDecimal(achValue));
  TraceMessage(TRACE_INFO, 0, "Converted to integer, we return [%d]\n", nValue);
  return nValue;
}
