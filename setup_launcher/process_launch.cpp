#include "setup_launcher/process_launch.h"

#include "setup_launcher/error_codes.h"
#include "setup_launcher/launcher_platform.h"
#include "setup_launcher/trace/trace_log.h"

namespace {

constexpr std::uint32_t kStartupInfoSize = 68;
constexpr std::uint32_t kStartfUseShowWindow = 0x1;
constexpr std::uint16_t kSwShow = 5;
// CREATE_SEPARATE_WOW_VDM | NORMAL_PRIORITY_CLASS
constexpr std::uint32_t kCreationFlags = 0x800 | 0x20;

}  // namespace

int LaunchAndWait(char* pchCommandLine, const char* pchCurrentDirectory, std::uint32_t dwMilliseconds) {
  TraceCallText call;
  call.Text("LaunchAndWait(").Text(pchCommandLine).Text(",").Unsigned(dwMilliseconds).Text(")\n");
  TraceScope scope(call.c_str());

  if (pchCommandLine == nullptr) throw static_cast<int>(KINETRA_INVALID_CMDLINE);

  IProcessPort& process = LauncherProcess();
  const LaunchStartupInfo startup{kStartupInfoSize, kStartfUseShowWindow, kSwShow};
  LaunchedProcess child{};
  TraceMessage(TRACE_INFO, 0, "%s", "Launching...\n");
  if (!process.StartProcess(pchCommandLine, pchCurrentDirectory, kCreationFlags, startup, &child)) {
    TraceMessage(TRACE_ERROR, 0, "Failed to CreateProcess, error: %u\n", process.LastError());
    return KINETRA_LAUNCH_FAILED;
  }
  // The primary thread is never used; its handle is not kept open.
  process.CloseProcessHandle(child.hThread);
  TraceMessage(TRACE_INFO, 0, "Created process ID = %d (%X)\n", static_cast<int>(child.dwProcessId),
               static_cast<unsigned>(child.dwProcessId));

  TraceMessage(TRACE_INFO, 0, "%s", "Waiting for the process complete...\n");
  if (process.WaitForProcess(child.hProcess, dwMilliseconds) == kWaitTimeout) {
    TraceMessage(TRACE_ERROR, 0, "%s", "Waiting failed: Timeout elapsed. Killing the process...\n");
    if (process.TerminateProcess(child.hProcess, 0)) {
      TraceMessage(TRACE_INFO, 0, "%s", "TerminateProcess OK.\n");
    } else {
      TraceMessage(TRACE_ERROR, 0, "Failed to TerminateProcess, error: %u\n", process.LastError());
    }
    process.CloseProcessHandle(child.hProcess);
    return KINETRA_TIMEOUT_ELAPSED;
  }

  TraceMessage(TRACE_INFO, 0, "%s", "We've waited OK.\n");
  std::uint32_t dwExitCode = 0;
  if (!process.GetExitCode(child.hProcess, &dwExitCode)) {
    // The child ran; its result is looked for where setup programs leave it.
    TraceMessage(TRACE_ERROR, 0, "Failed to GetExitCodeProcess, error: %u\n", process.LastError());
    dwExitCode = 0;
  }
  process.CloseProcessHandle(child.hProcess);
  TraceMessage(TRACE_INFO, 0, "Process returned the code: %u.\n", static_cast<unsigned>(dwExitCode));
  return static_cast<int>(dwExitCode);
}
