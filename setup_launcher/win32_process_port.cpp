#include "setup_launcher/win32_process_port.h"

#include <windows.h>

namespace {

HANDLE AsHandle(ProcessHandle hHandle) { return reinterpret_cast<HANDLE>(hHandle); }

}  // namespace

bool Win32ProcessPort::StartProcess(char* pchCommandLine, const char* pchCurrentDirectory,
                                    std::uint32_t dwCreationFlags, const LaunchStartupInfo& startup,
                                    LaunchedProcess* pProcess) {
  STARTUPINFOA info{};
  info.cb = startup.cb;
  info.dwFlags = startup.dwFlags;
  info.wShowWindow = startup.wShowWindow;
  PROCESS_INFORMATION created{};
  if (!CreateProcessA(nullptr, pchCommandLine, nullptr, nullptr, FALSE, dwCreationFlags, nullptr,
                      pchCurrentDirectory, &info, &created)) {
    return false;
  }
  pProcess->hProcess = reinterpret_cast<ProcessHandle>(created.hProcess);
  pProcess->hThread = reinterpret_cast<ProcessHandle>(created.hThread);
  pProcess->dwProcessId = created.dwProcessId;
  return true;
}

std::uint32_t Win32ProcessPort::WaitForProcess(ProcessHandle hProcess, std::uint32_t dwMilliseconds) {
  return WaitForSingleObject(AsHandle(hProcess), dwMilliseconds);
}

bool Win32ProcessPort::TerminateProcess(ProcessHandle hProcess, std::uint32_t uExitCode) {
  return ::TerminateProcess(AsHandle(hProcess), uExitCode) != FALSE;
}

bool Win32ProcessPort::GetExitCode(ProcessHandle hProcess, std::uint32_t* pdwExitCode) {
  DWORD dwExitCode = 0;
  if (!GetExitCodeProcess(AsHandle(hProcess), &dwExitCode)) return false;
  *pdwExitCode = dwExitCode;
  return true;
}

bool Win32ProcessPort::CloseProcessHandle(ProcessHandle hHandle) { return CloseHandle(AsHandle(hHandle)) != FALSE; }

std::uint32_t Win32ProcessPort::LastError() { return GetLastError(); }

void Win32ProcessPort::Pause(std::uint32_t dwMilliseconds) { Sleep(dwMilliseconds); }
