#include "setup_launcher/error_codes.h"

#include <algorithm>
#include <cstring>

#include "setup_launcher/trace/trace_log.h"

namespace {

struct ErrorString {
  int nCode;
  unsigned uStringId;
};

// In the program's order; -24 and -25 are out of id order (110, 109).
constexpr ErrorString kErrorStrings[] = {
    {KINETRA_INVALID_CMDLINE, 100},
    {KINETRA_LAUNCH_FAILED, 101},
    {KINETRA_NO_RESULT_CODE, 102},
    {KINETRA_OVERFLOW, 103},
    {KINETRA_UNINSTALL_STRING_UNREADABLE, 104},
    {KINETRA_UNINSTALL_LAUNCH_FAILED, 105},
    {KINETRA_OBMA_DETECTED, 106},
    {KINETRA_NO_ADMIN_RIGHTS, 107},
    {KINETRA_NOT_ENOUGH_DISK_SPACE, 108},
    {KINETRA_TIMEOUT_ELAPSED, 110},
    {KINETRA_UNHANDLED_EXCEPTION, 109},
    {KINETRA_UNINSTALL_KEY_NOT_FOUND, 111},
    {KINETRA_REPORT_FAILED, 112},
};

struct StringText {
  unsigned uId;
  const char* pchText;
};

constexpr StringText kStrings[] = {
    {96,
     "Kinetra [options] [commands]\nOptions:\n        /CHECKADMIN\t - Check for administrative rights\n        "
     "/CHECKOBMA\t\t - Make sure that OBMA is not installed\n        /TIMEOUT:<seconds>\t - Timeout interval "
     "waiting for commands\n        /NOCHECKDISKSPACE\t - Skip checking for free space on the system drive\n        "
     "/COMMANDPAUSE:<seconds>\t - Pause inserting between commands\nCommands:\n        /INSTALLSHIELD [<program "
     "file name> [<arguments>] ]\t - Perform installation\n        /UNINSTALLSHIELD <product name>\t\t\t - "
     "Perform uninstallation"},
    {97, "Kinetra command line syntax"},
    {100, "Invalid command line passed to Kinetra"},
    {101, "Kinetra was unable to launch Setup"},
    {102, "Kinetra was unable to get the result code from setup.log file"},
    {103, "Kinetra overflow"},
    {104, "Registry uninstallation string for the product can't be read"},
    {105, "Kinetra was unable to launch uninstallation"},
    {106, "OBMA installation is detected (/CHECKOBMA specified)"},
    {107, "Kinetra process hasn't administrative rights (/CHECKADMIN specified)"},
    {108, "System drive hasn't enough free disk space for Setup temporary files"},
    {109, "Kinetra unhandled exception"},
    {110, "Kinetra waiting timeout elapsed (/TIMEOUT specified)"},
    {111, "Registry uninstallation key for the product isn't found"},
    {112, "Kinetra was unable to report the result to Registry"},
};

BuiltinStringResources g_builtinStrings;
IStringResources* g_pStrings = &g_builtinStrings;

}  // namespace

const char* BuiltinStringResources::Find(unsigned uId) {
  for (const StringText& entry : kStrings) {
    if (entry.uId == uId) return entry.pchText;
  }
  return nullptr;
}

int BuiltinStringResources::LoadText(void*, unsigned uId, char* pchBuffer, int cchBufferMax) {
  const char* pchText = Find(uId);
  if (pchBuffer == nullptr || cchBufferMax <= 0) return 0;
  if (pchText == nullptr) {
    pchBuffer[0] = '\0';
    return 0;
  }
  const std::size_t uLength = std::min<std::size_t>(std::strlen(pchText), static_cast<std::size_t>(cchBufferMax) - 1);
  std::memcpy(pchBuffer, pchText, uLength);
  pchBuffer[uLength] = '\0';
  return static_cast<int>(uLength);
}

void SetStringResources(IStringResources* pResources) {
  g_pStrings = pResources != nullptr ? pResources : &g_builtinStrings;
}

int LoadStringResource(void* hInstance, unsigned uId, char* pchBuffer, int cchBufferMax) {
  return g_pStrings->LoadText(hInstance, uId, pchBuffer, cchBufferMax);
}

int GetErrorDescription(void* hInstance, int nCode, char* pchResult, int cchBufferMax) {
  TraceCallText call;
  call.Text("GetErrorDescription(")
      .Pointer(hInstance)
      .Text(",")
      .Signed(nCode)
      .Text(",")
      .Pointer(pchResult)
      .Text(",")
      .Unsigned(static_cast<unsigned long>(cchBufferMax))
      .Text(")\n");
  TraceScope scope(call.c_str());

  for (const ErrorString& entry : kErrorStrings) {
    if (entry.nCode != nCode) continue;
    if (LoadStringResource(hInstance, entry.uStringId, pchResult, cchBufferMax) == 0) return 0;
    TraceMessage(TRACE_INFO, 0, "Loaded. Result: '%s'\n", pchResult);
    return 1;
  }
  return 0;
}
