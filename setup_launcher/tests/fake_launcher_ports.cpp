#include "setup_launcher/tests/fake_launcher_ports.h"

#include <cstring>
#include <fstream>

namespace {

std::uint32_t CopyOut(const std::optional<std::string>& text, char* pchBuffer, std::uint32_t uSize) {
  if (!text || uSize == 0) return 0;
  const std::size_t n = std::min<std::size_t>(text->size(), uSize - 1);
  std::memcpy(pchBuffer, text->data(), n);
  pchBuffer[n] = '\0';
  return static_cast<std::uint32_t>(n);
}

}  // namespace

const FakeProcessPort::Child& FakeProcessPort::Current() const {
  const std::size_t index = starts.empty() ? 0 : starts.size() - 1;
  return children[std::min(index, children.size() - 1)];
}

bool FakeProcessPort::StartProcess(char* pchCommandLine, const char* pchCurrentDirectory,
                                   std::uint32_t dwCreationFlags, const LaunchStartupInfo& startup,
                                   LaunchedProcess* pProcess) {
  Start start{pchCommandLine, std::nullopt, dwCreationFlags, startup};
  if (pchCurrentDirectory != nullptr) start.currentDirectory = pchCurrentDirectory;
  starts.push_back(start);
  if (!Current().bStarts) {
    lastError = 2;
    return false;
  }
  pProcess->hProcess = nextHandle_++;
  pProcess->hThread = nextHandle_++;
  pProcess->dwProcessId = 4660;
  openHandles.insert(pProcess->hProcess);
  openHandles.insert(pProcess->hThread);
  if (Current().onRun) Current().onRun();
  return true;
}

std::uint32_t FakeProcessPort::WaitForProcess(ProcessHandle, std::uint32_t dwMilliseconds) {
  waits.push_back(dwMilliseconds);
  return Current().bHangs ? kWaitTimeout : 0;
}

bool FakeProcessPort::TerminateProcess(ProcessHandle, std::uint32_t uExitCode) {
  terminations.push_back(uExitCode);
  if (Current().bTerminateFails) {
    lastError = 5;
    return false;
  }
  return true;
}

bool FakeProcessPort::GetExitCode(ProcessHandle, std::uint32_t* pdwExitCode) {
  if (Current().bExitCodeFails) {
    lastError = 6;
    return false;
  }
  *pdwExitCode = Current().dwExitCode;
  return true;
}

bool FakeProcessPort::CloseProcessHandle(ProcessHandle hHandle) { return openHandles.erase(hHandle) > 0; }

std::uint32_t FakeSystemPort::CurrentDirectory(char* pchBuffer, std::uint32_t uSize) {
  if (!currentDirectory) lastError = 3;
  return CopyOut(currentDirectory, pchBuffer, uSize);
}

std::uint32_t FakeSystemPort::TempPath(char* pchBuffer, std::uint32_t uSize) {
  if (!tempPath) lastError = 3;
  return CopyOut(tempPath, pchBuffer, uSize);
}

std::uint32_t FakeSystemPort::WindowsDirectory(char* pchBuffer, std::uint32_t uSize) {
  if (!windowsDirectory) lastError = 3;
  return CopyOut(windowsDirectory, pchBuffer, uSize);
}

std::uintptr_t FakeSystemPort::ModuleHandle(const char* pchName) {
  if (std::strcmp(pchName, "kernel32.dll") != 0 || kernelHandle == 0) {
    lastError = 126;
    return 0;
  }
  return kernelHandle;
}

bool FakeSystemPort::HasProcedure(std::uintptr_t hModule, const char* pchName) {
  if (hModule != kernelHandle) return false;
  if (std::strcmp(pchName, "GetDiskFreeSpaceExA") == 0) return hasDiskFreeSpaceEx;
  if (std::strcmp(pchName, "GetDiskFreeSpaceA") == 0) return hasDiskFreeSpace;
  return false;
}

bool FakeSystemPort::DiskFreeSpaceEx(const char* pchDirectory, std::uint64_t* pullTotalFreeBytes) {
  measured.emplace_back(pchDirectory);
  if (!totalFreeBytes) {
    lastError = 21;
    return false;
  }
  *pullTotalFreeBytes = *totalFreeBytes;
  return true;
}

bool FakeSystemPort::DiskFreeSpace(const char* pchRoot, std::uint32_t* pdwSectorsPerCluster,
                                   std::uint32_t* pdwBytesPerSector, std::uint32_t* pdwFreeClusters) {
  measured.emplace_back(pchRoot);
  if (diskFreeSpaceFails) {
    lastError = 21;
    return false;
  }
  *pdwSectorsPerCluster = sectorsPerCluster;
  *pdwBytesPerSector = bytesPerSector;
  *pdwFreeClusters = freeClusters;
  return true;
}

bool FakeSystemPort::FindFile(const char* pchPattern) {
  found.emplace_back(pchPattern);
  return files.count(pchPattern) > 0;
}

bool FakeSystemPort::CreateEmptyFile(const char* pchPath) {
  if (!hostPath) {
    lastError = 5;
    return false;
  }
  std::ofstream out(hostPath(pchPath), std::ios::binary | std::ios::trunc);
  if (!out) {
    lastError = 3;
    return false;
  }
  return true;
}

std::uint32_t FakeSystemPort::ProgramPath(char* pchBuffer, std::uint32_t uSize) {
  return CopyOut(programPath, pchBuffer, uSize);
}

int FakeSystemPort::ShowMessage(const char* pchText, const char* pchCaption, std::uint32_t uStyle) {
  messages.push_back(Message{pchText, pchCaption, uStyle});
  return messageResult;
}
