#pragma once
// What the launcher needs of processes: start one, wait for it, kill it, read
// its exit code, close its handles, and sleep. One method per Win32 call;
// failures come back as false, with the Windows code in LastError().

#include <cstdint>

using ProcessHandle = std::uintptr_t;

// The STARTUPINFOA fields the launcher sets; all others are zero.
struct LaunchStartupInfo {
  std::uint32_t cb;
  std::uint32_t dwFlags;
  std::uint16_t wShowWindow;
};

struct LaunchedProcess {
  ProcessHandle hProcess;
  ProcessHandle hThread;
  std::uint32_t dwProcessId;
};

inline constexpr std::uint32_t kWaitTimeout = 0x102;
inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

class IProcessPort {
 public:
  virtual ~IProcessPort() = default;
  // CreateProcessA without an application name, security attributes or
  // inherited handles, with the launcher's environment.
  [[nodiscard]] virtual bool StartProcess(char* pchCommandLine, const char* pchCurrentDirectory,
                                          std::uint32_t dwCreationFlags, const LaunchStartupInfo& startup,
                                          LaunchedProcess* pProcess) = 0;
  // WaitForSingleObject: its result (0 when the process ended, kWaitTimeout).
  virtual std::uint32_t WaitForProcess(ProcessHandle hProcess, std::uint32_t dwMilliseconds) = 0;
  [[nodiscard]] virtual bool TerminateProcess(ProcessHandle hProcess, std::uint32_t uExitCode) = 0;
  [[nodiscard]] virtual bool GetExitCode(ProcessHandle hProcess, std::uint32_t* pdwExitCode) = 0;
  virtual bool CloseProcessHandle(ProcessHandle hHandle) = 0;
  virtual std::uint32_t LastError() = 0;
  virtual void Pause(std::uint32_t dwMilliseconds) = 0;
};
