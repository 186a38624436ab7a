#include "setup_launcher/install_commands.h"

#include <cstring>

#include "setup_launcher/command_line.h"
#include "setup_launcher/error_codes.h"
#include "setup_launcher/launcher_platform.h"
#include "setup_launcher/path_utils.h"
#include "setup_launcher/preflight_checks.h"
#include "setup_launcher/process_launch.h"
#include "setup_launcher/result_reporting.h"
#include "setup_launcher/trace/trace_log.h"

namespace {

constexpr unsigned kNameLength = 259;
constexpr unsigned kProductLength = 1023;
constexpr unsigned kInstallCmdLength = 261;
constexpr unsigned kUninstallKeyLength = 2047;
constexpr unsigned kUninstallCmdLength = 1023;
constexpr std::uint32_t kUninstallValueSize = 1024;
constexpr const char* kUninstallRoot = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Appends what still fits of `pchText` to a buffer of `uLimit` characters.
void AppendCut(char* pchBuffer, unsigned uLimit, const char* pchText) {
  std::size_t uLength = std::strlen(pchBuffer);
  for (; *pchText != '\0' && uLength < uLimit; ++pchText) pchBuffer[uLength++] = *pchText;
  pchBuffer[uLength] = '\0';
}

}  // namespace

int KinetraProgram(const char* pchSetupDirectory, const char* pchSetupExeName, const char* pchArguments,
                   std::uint32_t dwTimeout, int bCheckDiskSpace, int bCheckOBMA) {
  TraceCallText call;
  call.Text("KinetraProgram(")
      .Text(pchSetupDirectory)
      .Text(",")
      .Text(pchSetupExeName)
      .Text(",")
      .Text(pchArguments)
      .Text(",")
      .Unsigned(dwTimeout)
      .Text(",")
      .Signed(bCheckDiskSpace)
      .Text(")\n");
  TraceScope scope(call.c_str());
  if (pchSetupDirectory == nullptr) pchSetupDirectory = "";
  if (pchSetupExeName == nullptr) pchSetupExeName = "";
  if (pchArguments == nullptr) pchArguments = "";

  if (bCheckOBMA) {
    if (IsOBMAInstalled()) {
      TraceMessage(TRACE_ERROR, 0, "%s", "OBMA is installed. Quiting.\n");
      return KINETRA_OBMA_DETECTED;
    }
  } else {
    TraceMessage(TRACE_INFO, 0, "%s", "OBMA check is not required.\n");
  }

  if (bCheckDiskSpace) {
    TraceMessage(TRACE_INFO, 0, "%s", "Checking free disk space on system drive...\n");
    if (!CheckFreeDiskSpace(pchSetupDirectory)) {
      TraceMessage(TRACE_ERROR, 0, "%s", "System drive hasn't enough free space. Quiting\n");
      WriteResultCodeToSetupLog(pchSetupDirectory, "110");
      return KINETRA_NOT_ENOUGH_DISK_SPACE;
    }
  } else {
    TraceMessage(TRACE_INFO, 0, "%s", "Free disk space checking is not required\n");
  }

  char achCmdLine[kInstallCmdLength + 1] = {};
  AppendCut(achCmdLine, kInstallCmdLength, "\"");
  if (HasDriveOrDirectory(pchSetupExeName)) {
    TraceMessage(TRACE_INFO, 0, "%s", "pchSetupExeName specified with path - using as is.");
    AppendCut(achCmdLine, kInstallCmdLength, pchSetupExeName);
  } else {
    TraceMessage(TRACE_INFO, 0, "%s", "pchSetupExeName specified without path - making full path.\n");
    char achProgram[kInstallCmdLength + 1];
    MakeFilePath(achProgram, sizeof(achProgram), pchSetupDirectory, pchSetupExeName);
    AppendCut(achCmdLine, kInstallCmdLength, achProgram);
  }
  AppendCut(achCmdLine, kInstallCmdLength, "\" ");
  AppendCut(achCmdLine, kInstallCmdLength, pchArguments);
  TraceMessage(TRACE_INFO, 0, "Resulting achCmdLine is [%s]\n", achCmdLine);
  TraceMessage(TRACE_INFO, 0, "%s", "Launching the setup process...\n");

  int nResult = LaunchAndWait(achCmdLine, pchSetupDirectory, dwTimeout);
  TraceMessage(TRACE_INFO, 0, "Return code is %d\n", nResult);
  // The program ran: its result is what it left behind, not its exit code.
  if (nResult >= 0) {
    nResult = GetRegistrySetupResultCode();
    if (nResult == KINETRA_NO_RESULT_CODE) nResult = GetSetupLogResultCode(pchSetupDirectory);
  }
  TraceMessage(TRACE_INFO, 0, "We return %d\n", nResult);
  return nResult;
}

int RunProductUninstallation(const char* pchProductName, std::uint32_t dwTimeout) {
  TraceCallText call;
  call.Text("RunProductUninstallation(").Text(pchProductName).Text(",").Unsigned(dwTimeout).Text(")\n");
  TraceScope scope(call.c_str());
  if (pchProductName == nullptr) pchProductName = "";

  TraceMessage(TRACE_INFO, 0, "%s", "Retrieving uninst string from registry...\n");
  char achKey[kUninstallKeyLength + 1] = {};
  AppendCut(achKey, kUninstallKeyLength, kUninstallRoot);
  AppendCut(achKey, kUninstallKeyLength, "\\");
  AppendCut(achKey, kUninstallKeyLength, pchProductName);
  TraceMessage(TRACE_INFO, 0, "Uninstallation key: [%s]\n", achKey);

  platform::IRegistry& registry = LauncherRegistry();
  platform::RegKey hKey = 0;
  const platform::RegStatus lOpen = registry.OpenKeyA(platform::kHKeyLocalMachine, achKey, 0, platform::kKeyRead, &hKey);
  if (lOpen != platform::kErrorSuccess) {
    TraceMessage(TRACE_WARNING, 0, "Failed to open uninst reg key, error code: %d.\n", static_cast<int>(lOpen));
    return KINETRA_UNINSTALL_KEY_NOT_FOUND;
  }
  // One byte beyond what the value may fill keeps the text terminated.
  char achUninstall[kUninstallValueSize + 1] = {};
  std::uint32_t dwSize = kUninstallValueSize;
  std::uint32_t dwType = platform::kRegNone;
  const platform::RegStatus lQuery = registry.QueryValueA(hKey, "UninstallString", &dwType,
                                                          reinterpret_cast<std::uint8_t*>(achUninstall), &dwSize);
  if (lQuery != platform::kErrorSuccess) {
    TraceMessage(TRACE_ERROR, 0, "Failed to read the uninstall string value, error code: %d\n", static_cast<int>(lQuery));
    (void)registry.CloseKey(hKey);
    return KINETRA_UNINSTALL_STRING_UNREADABLE;
  }
  if (dwType != platform::kRegSz) {
    TraceMessage(TRACE_ERROR, 0, "Failed to read the uninstall string value, value type is: %d\n",
                 static_cast<int>(dwType));
    (void)registry.CloseKey(hKey);
    return KINETRA_UNINSTALL_STRING_UNREADABLE;
  }
  TraceMessage(TRACE_INFO, 0, "Uninst string retrieved  OK: ['%s']\n", achUninstall);
  (void)registry.CloseKey(hKey);

  char achCommand[kUninstallCmdLength + 1] = {};
  AppendCut(achCommand, kUninstallCmdLength, achUninstall);
  AppendCut(achCommand, kUninstallCmdLength, " -a");
  TraceMessage(TRACE_INFO, 0, "Finally Uninst command line: ['%s']\n", achCommand);
  TraceMessage(TRACE_INFO, 0, "%s", "Launching the uninst string cmd line...\n");

  int nResult = LaunchAndWait(achCommand, nullptr, dwTimeout);
  TraceMessage(TRACE_INFO, 0, "Return code is %d\n", nResult);
  if (nResult == KINETRA_LAUNCH_FAILED) nResult = KINETRA_UNINSTALL_LAUNCH_FAILED;
  if (nResult >= 0) {
    const int nExitCode = nResult;
    nResult = GetRegistrySetupResultCode();
    if (nResult == KINETRA_NO_RESULT_CODE) nResult = nExitCode;
  }
  TraceMessage(TRACE_INFO, 0, "We return %d\n", nResult);
  return nResult;
}

int DoInstUninst(const char* pchSetupDirectory) {
  TraceCallText call;
  call.Text("DoInstUninst(").Text(pchSetupDirectory).Text(")\n");
  TraceScope scope(call.c_str());

  const CCmdLineOptions& options = GetCmdLineOptions();
  CCmdLine& cmdLine = GetCmdLine();
  const std::uint32_t dwTimeout = options.GetTimeout();
  const std::uint32_t dwCommandPause = options.GetCommandPause();
  const int bCheckDiskSpace = options.GetCheckDiskSpace();
  const int bCheckOBMA = options.GetCheckOBMA();

  if (cmdLine.GetInstUninstItemCount() == 0) {
    TraceMessage(TRACE_INFO, 0, "%s",
                 "No install/uninstall specifiers was found in command line. Assigning default command.\n");
    AddDefaultCmdLineItem();
  }

  const std::uint16_t wItemCount = cmdLine.GetItemCount();
  int nCommand = 0;
  int nCommandsRun = 0;
  for (std::uint16_t wItemIndex = 0; wItemIndex < wItemCount; ++wItemIndex) {
    const CCmdLineItem& item = cmdLine.GetCmdLineItem(wItemIndex);
    const int nType = item.GetType();
    if (nType != 4 && nType != 5) continue;

    if (options.GetCheckAdmin()) {
      if (!HaveAdminRights()) {
        TraceMessage(TRACE_ERROR, 0, "%s", "Process hasn't admin rights. Quiting.\n");
        return KINETRA_NO_ADMIN_RIGHTS;
      }
    } else {
      TraceMessage(TRACE_INFO, 0, "%s", "Admin rights check is not required.\n");
    }

    if (nCommandsRun > 0) {
      if (dwCommandPause != 0) {
        TraceMessage(TRACE_INFO, 0, "Sleep for %d ms to allow services to complete starting or stopping...\n",
                     static_cast<int>(dwCommandPause));
        LauncherProcess().Pause(dwCommandPause);
        TraceMessage(TRACE_INFO, 0, "%s", "Sleep passed.\n");
      } else {
        TraceMessage(TRACE_INFO, 0, "%s", "Command pause is not required.\n");
      }
    }

    int nResult = 0;
    if (nType == 4) {
      TraceMessage(TRACE_INFO, 0, "Command #%d, Installation.\n", nCommand);
      char achProgram[kNameLength + 1] = {};
      char achArguments[kNameLength + 1] = {};
      item.GetParameter(0).ConvertToString(achProgram, kNameLength);
      item.GetParameter(1).ConvertToString(achArguments, kNameLength);
      nResult = KinetraProgram(pchSetupDirectory, achProgram, achArguments, dwTimeout, bCheckDiskSpace, bCheckOBMA);
      if (nResult != 0) {
        TraceMessage(TRACE_ERROR, 0, "%s", "There were errors in launching installation, but we continue processing.\n");
      }
    } else {
      TraceMessage(TRACE_INFO, 0, "Command #%d, UnInstallation.\n", nCommand);
      char achProduct[kProductLength + 1] = {};
      item.GetParameter(0).ConvertToString(achProduct, kProductLength);
      nResult = RunProductUninstallation(achProduct, dwTimeout);
      if (nResult == KINETRA_UNINSTALL_KEY_NOT_FOUND || nResult == KINETRA_UNINSTALL_STRING_UNREADABLE) {
        TraceMessage(TRACE_WARNING, 0, "%s", "Assume that the product has been already uninstalled.\n");
      } else if (nResult != 0) {
        TraceMessage(TRACE_ERROR, 0, "%s", "There were errors in uninstallation, but we continue processing.\n");
      }
    }
    if (nResult >= 0) ++nCommandsRun;
    ++nCommand;
  }
  TraceMessage(TRACE_INFO, 0, "%s", "All inst/uninst commands passed OK.\n");
  return 0;
}
