#include "setup_launcher/preflight_checks.h"

#include <cstdio>
#include <cstring>

#include "setup_launcher/decimal.h"
#include "setup_launcher/error_codes.h"
#include "setup_launcher/launcher_platform.h"
#include "setup_launcher/path_utils.h"
#include "setup_launcher/trace/trace_log.h"

namespace {

constexpr unsigned kPathSize = 260;
constexpr std::uint32_t kFourGigabytesInKb = 0x400000;
constexpr const char* kAgentServiceKey = "SYSTEM\\CurrentControlSet\\Services\\OBMA";
constexpr const char* kRunServicesKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices";
constexpr const char* kAgentValue = "Ombrix Management Agent";
constexpr const char* kMissing = "error string";

[[noreturn]] void FailFreeSpace(const char* pchFormat, std::uint32_t dwError) {
  TraceMessage(TRACE_ERROR, 0, pchFormat, static_cast<unsigned>(dwError));
  throw static_cast<int>(KINETRA_NOT_ENOUGH_DISK_SPACE);
}

std::uint32_t FreeSpaceFromClusters(std::uint32_t dwFreeClusters, std::uint32_t dwSectorsPerCluster,
                                    std::uint32_t dwBytesPerSector) {
  const std::uint32_t dwClusterBytes = dwSectorsPerCluster * dwBytesPerSector;
  if (dwClusterBytes < 1024) {
    // A disk that reports no cluster size has no space to count.
    if (dwClusterBytes == 0) return 0;
    return dwFreeClusters / (1024 / dwClusterBytes);
  }
  const std::uint32_t dwKbPerCluster = dwClusterBytes / 1024;
  return dwFreeClusters < 0xFFFFFFFFu / dwKbPerCluster ? dwFreeClusters * dwKbPerCluster : kFourGigabytesInKb;
}

}  // namespace

std::uint32_t GetPlatformID() {
  TraceScope scope("GetPlatformID()\n");
  const std::uint32_t dwPlatformId = LauncherSystem().PlatformId();
  TraceMessage(TRACE_INFO, 0, "PlatformID: %u\n", static_cast<unsigned>(dwPlatformId));
  return dwPlatformId;
}

int HaveAdminRights() {
  TraceScope scope("HaveAdminRights()\n");
  if (GetPlatformID() != kPlatformWin32Nt) {
    TraceMessage(TRACE_INFO, 0, "%s", "Windows 95/98. User has admin rights.\n");
    return 1;
  }
  if (LauncherSystem().CanCreateServices()) {
    TraceMessage(TRACE_INFO, 0, "%s", "Windows NT. User has admin rights.\n");
    return 1;
  }
  TraceMessage(TRACE_ERROR, 0, "%s", "Windows NT. User hasn't admin rights.\n");
  return 0;
}

int IsOBMAInstalled() {
  TraceScope scope("IsOBMAInstalled()\n");
  platform::IRegistry& registry = LauncherRegistry();
  platform::RegKey hKey = 0;

  if (GetPlatformID() == kPlatformWin32Nt) {
    TraceMessage(TRACE_INFO, 0, "%s", "We're running under Windows NT\n");
    const platform::RegStatus lStatus =
        registry.OpenKeyA(platform::kHKeyLocalMachine, kAgentServiceKey, 0, platform::kKeyRead, &hKey);
    if (lStatus != platform::kErrorSuccess) {
      TraceMessage(TRACE_INFO, 0, "OBMA key doesn't exist: RegOpenKeyEx error code: %d.\n", static_cast<int>(lStatus));
      return 0;
    }
    TraceMessage(TRACE_INFO, 0, "%s", "OBMA key exists.\n");
    (void)registry.CloseKey(hKey);
    return 1;
  }

  TraceMessage(TRACE_INFO, 0, "%s", "We're running under Windows 95 or 98\n");
  const platform::RegStatus lOpen =
      registry.OpenKeyA(platform::kHKeyLocalMachine, kRunServicesKey, 0, platform::kKeyRead, &hKey);
  if (lOpen != platform::kErrorSuccess) {
    TraceMessage(TRACE_INFO, 0, "OBMA is not installed, RegOpenKeyEx error code: %d\n", static_cast<int>(lOpen));
    return 0;
  }
  TraceMessage(TRACE_INFO, 0, "%s", "OBMA key exists, looking for OBMA32.EXE file...\n");
  // One byte more than the value may fill, so that the path is terminated
  // even when the stored data is not.
  char achPath[kPathSize + 1] = {};
  std::uint32_t dwSize = kPathSize;
  const platform::RegStatus lQuery =
      registry.QueryValueA(hKey, kAgentValue, nullptr, reinterpret_cast<std::uint8_t*>(achPath), &dwSize);
  (void)registry.CloseKey(hKey);
  if (lQuery != platform::kErrorSuccess) {
    TraceMessage(TRACE_WARNING, 0,
                 "Can't open OBMA reg value, RegQueryValueEx error code: %d.\nAssume that OBMA is not installed.\n",
                 static_cast<int>(lQuery));
    return 0;
  }
  TraceMessage(TRACE_INFO, 0, "OBMA Path: '%s'\n", achPath);
  if (!LauncherSystem().FindFile(achPath)) {
    TraceMessage(TRACE_INFO, 0, "%s",
                 "The file OBMA32.EXE was not found. Assuming that OBMA is not installed.\n");
    return 0;
  }
  TraceMessage(TRACE_INFO, 0, "%s", "The file OBMA32.EXE was found.\nOBMA is assumed installed.\n");
  return 1;
}

std::uint32_t GetTempDriveFreeSpace() {
  TraceScope scope("GetTempDriveFreeSpace()\n");
  ISystemPort& system = LauncherSystem();

  char achCurrent[kPathSize] = {};
  if (system.CurrentDirectory(achCurrent, kPathSize) == 0) {
    FailFreeSpace("GetCurrentDirectory failed, error: %u\n", system.LastError());
  }
  achCurrent[kPathSize - 1] = '\0';
  RemoveTrailingSlash(achCurrent);

  char achTemp[kPathSize] = {};
  const bool bHaveTemp = system.TempPath(achTemp, kPathSize) != 0;
  achTemp[kPathSize - 1] = '\0';
  if (bHaveTemp) {
    RemoveTrailingSlash(achTemp);
  } else {
    TraceMessage(TRACE_ERROR, 0, "GetTempPath failed, error: %u\n", static_cast<unsigned>(system.LastError()));
  }

  // A temporary path that is only the current directory is not trusted.
  char achDirectory[kPathSize] = {};
  if (bHaveTemp && std::strcmp(achTemp, achCurrent) != 0) {
    std::memcpy(achDirectory, achTemp, kPathSize);
  } else {
    if (system.WindowsDirectory(achDirectory, kPathSize) == 0) {
      FailFreeSpace("GetWindowsDirectory failed, error: %u\n", system.LastError());
    }
    achDirectory[kPathSize - 1] = '\0';
  }
  TraceMessage(TRACE_INFO, 0, "Temp directory finally: %s\n", achDirectory);

  const std::uintptr_t hKernel = system.ModuleHandle("kernel32.dll");
  if (hKernel == 0) FailFreeSpace("GetModuleHandle for kernel32.dll failed, error: %u\n", system.LastError());
  TraceMessage(TRACE_INFO, 0, "Handle of kernel32.dll = %x\n", static_cast<unsigned>(hKernel));

  std::uint32_t dwResult = 0;
  if (system.HasProcedure(hKernel, "GetDiskFreeSpaceExA")) {
    std::uint64_t ullFree = 0;
    if (!system.DiskFreeSpaceEx(achDirectory, &ullFree)) {
      FailFreeSpace("GetDiskFreeSpaceEx Failed, error: %u\n", system.LastError());
    }
    const auto dwLow = static_cast<std::uint32_t>(ullFree);
    const auto dwHigh = static_cast<std::uint32_t>(ullFree >> 32);
    TraceMessage(TRACE_INFO, 0, "Free space ULARGE_INTEGER, LowPart: %u, HighPart: %u\n", static_cast<unsigned>(dwLow),
                 static_cast<unsigned>(dwHigh));
    if (dwHigh != 0) {
      TraceMessage(TRACE_INFO, 0, "%s", "Drive has more than 4 GB, returning 4M of KBytes.\n");
      dwResult = kFourGigabytesInKb;
    } else {
      dwResult = dwLow / 1024;
      TraceMessage(TRACE_INFO, 0, "Returning %u KBytes.\n", static_cast<unsigned>(dwResult));
    }
  } else if (system.HasProcedure(hKernel, "GetDiskFreeSpaceA")) {
    if (char* pchSlash = std::strchr(achDirectory, '\\')) pchSlash[1] = '\0';
    std::uint32_t dwSectorsPerCluster = 0;
    std::uint32_t dwBytesPerSector = 0;
    std::uint32_t dwFreeClusters = 0;
    if (!system.DiskFreeSpace(achDirectory, &dwSectorsPerCluster, &dwBytesPerSector, &dwFreeClusters)) {
      FailFreeSpace("GetDiskFreeSpace failed, error: %u\n", system.LastError());
    }
    TraceMessage(TRACE_INFO, 0, "Free space NumberOfFreeClusters * SectorsPerCluster * BytesPerSector = %u * %u * %u = \n",
                 static_cast<unsigned>(dwFreeClusters), static_cast<unsigned>(dwSectorsPerCluster),
                 static_cast<unsigned>(dwBytesPerSector));
    dwResult = FreeSpaceFromClusters(dwFreeClusters, dwSectorsPerCluster, dwBytesPerSector);
    TraceMessage(TRACE_INFO, 0, " = %u\n", static_cast<unsigned>(dwResult));
  } else {
    TraceMessage(TRACE_ERROR, 0, "%s", "Unable to GetProcAdress for GetDiskFreeSpaceEx and GetDiskFreeSpace\n");
    throw static_cast<int>(KINETRA_NOT_ENOUGH_DISK_SPACE);
  }
  return dwResult;
}

int CheckFreeDiskSpace(const char* pchDirectory) {
  TraceCallText call;
  call.Text("CheckFreeDiskSpace(").Text(pchDirectory).Text(")\n");
  TraceScope scope(call.c_str());

  const std::uint32_t dwFree = GetTempDriveFreeSpace();
  TraceMessage(TRACE_INFO, 0, "GetTempDriveFreeSpace returned: %u KB.\n", static_cast<unsigned>(dwFree));

  char achIni[2 * kPathSize];
  MakeFilePath(achIni, sizeof(achIni), pchDirectory, "setup.ini");
  TraceMessage(TRACE_INFO, 0, "setup.ini file path: [%s]\n", achIni);

  char achValue[64] = {};
  LauncherProfile().ReadStringA("Startup", "FreeDiskSpace", kMissing, achValue, sizeof(achValue), achIni);
  if (std::strcmp(achValue, kMissing) == 0) {
    TraceMessage(TRACE_WARNING, 0, "%s",
                 "Failed to read required disk space from setup.ini. Assuming that setup doesn't care about free "
                 "disk space.\n");
    return 1;
  }
  const auto dwRequired = static_cast<std::uint32_t>(ParseDecimal(achValue));
  TraceMessage(TRACE_INFO, 0, "Necessary free disk space from setup.ini: %u\n", static_cast<unsigned>(dwRequired));
  if (dwFree < dwRequired) {
    TraceMessage(TRACE_ERROR, 0, "%s", "Drive hasn't enough free space\n");
    return 0;
  }
  TraceMessage(TRACE_INFO, 0, "%s", "Drive has enough free space\n");
  return 1;
}
