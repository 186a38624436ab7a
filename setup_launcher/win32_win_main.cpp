// Kinetra.exe's entry point: picks the Win32 ports and runs the launcher.

#include <windows.h>

#include "platform/profile/win32_profile.h"
#include "platform/registry/win32_registry.h"
#include "setup_launcher/launcher_main.h"
#include "setup_launcher/launcher_platform.h"
#include "setup_launcher/trace/trace_log.h"
#include "setup_launcher/trace/win32_trace_platform.h"
#include "setup_launcher/win32_process_port.h"
#include "setup_launcher/win32_string_resources.h"
#include "setup_launcher/win32_system_port.h"

namespace {

// Order matters: the platform exists before the process-wide scope opens, and
// the scope closes (closing the trace) before the platform goes at exit.
Win32TracePlatform g_tracePlatform;
const bool g_bTraceReady = (SetTracePlatform(&g_tracePlatform), true);
TraceScope g_processScope("*\n");

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
  platform::Win32Registry registry;
  Win32ProcessPort process;
  Win32SystemPort system;
  platform::Win32Profile profile;
  Win32StringResources strings;
  SetLauncherPlatform(CLauncherPlatform{&registry, &process, &system, &profile});
  SetStringResources(&strings);
  const int nExitCode = KinetraWinMain(hInstance, lpCmdLine);
  SetStringResources(nullptr);
  SetLauncherPlatform(CLauncherPlatform{});
  return nExitCode;
}
