#pragma once
// The process port over kernel32.

#include "setup_launcher/process_port.h"

class Win32ProcessPort final : public IProcessPort {
 public:
  bool StartProcess(char* pchCommandLine, const char* pchCurrentDirectory, std::uint32_t dwCreationFlags,
                    const LaunchStartupInfo& startup, LaunchedProcess* pProcess) override;
  std::uint32_t WaitForProcess(ProcessHandle hProcess, std::uint32_t dwMilliseconds) override;
  bool TerminateProcess(ProcessHandle hProcess, std::uint32_t uExitCode) override;
  bool GetExitCode(ProcessHandle hProcess, std::uint32_t* pdwExitCode) override;
  bool CloseProcessHandle(ProcessHandle hHandle) override;
  std::uint32_t LastError() override;
  void Pause(std::uint32_t dwMilliseconds) override;
};
