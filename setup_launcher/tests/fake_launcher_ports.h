#pragma once
// Stand-ins for the launcher's process and system ports: each result is a
// field a test sets, each call is recorded, and every handle given out is
// counted until it is closed.

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "setup_launcher/process_port.h"
#include "setup_launcher/system_port.h"

class FakeProcessPort final : public IProcessPort {
 public:
  bool StartProcess(char* pchCommandLine, const char* pchCurrentDirectory, std::uint32_t dwCreationFlags,
                    const LaunchStartupInfo& startup, LaunchedProcess* pProcess) override;
  std::uint32_t WaitForProcess(ProcessHandle hProcess, std::uint32_t dwMilliseconds) override;
  bool TerminateProcess(ProcessHandle hProcess, std::uint32_t uExitCode) override;
  bool GetExitCode(ProcessHandle hProcess, std::uint32_t* pdwExitCode) override;
  bool CloseProcessHandle(ProcessHandle hHandle) override;
  std::uint32_t LastError() override { return lastError; }
  void Pause(std::uint32_t dwMilliseconds) override { pauses.push_back(dwMilliseconds); }

  // What the children do, in order of start; the last one repeats.
  struct Child {
    bool bStarts = true;
    std::uint32_t dwExitCode = 0;
    bool bHangs = false;  // outlives any finite wait
    bool bTerminateFails = false;
    bool bExitCodeFails = false;
    std::function<void()> onRun;  // what the child does while it runs
  };
  std::vector<Child> children{Child{}};
  std::uint32_t lastError = 0;

  struct Start {
    std::string commandLine;
    std::optional<std::string> currentDirectory;
    std::uint32_t dwCreationFlags;
    LaunchStartupInfo startup;
  };
  std::vector<Start> starts;
  std::vector<std::uint32_t> waits;       // the limits waited with
  std::vector<std::uint32_t> terminations; // exit codes given
  std::vector<std::uint32_t> pauses;
  std::set<ProcessHandle> openHandles;

 private:
  const Child& Current() const;
  ProcessHandle nextHandle_ = 0x100;
};

class FakeSystemPort final : public ISystemPort {
 public:
  std::uint32_t PlatformId() override { return platformId; }
  bool CanCreateServices() override { return canCreateServices; }
  std::uint32_t CurrentDirectory(char* pchBuffer, std::uint32_t uSize) override;
  std::uint32_t TempPath(char* pchBuffer, std::uint32_t uSize) override;
  std::uint32_t WindowsDirectory(char* pchBuffer, std::uint32_t uSize) override;
  std::uintptr_t ModuleHandle(const char* pchName) override;
  bool HasProcedure(std::uintptr_t hModule, const char* pchName) override;
  bool DiskFreeSpaceEx(const char* pchDirectory, std::uint64_t* pullTotalFreeBytes) override;
  bool DiskFreeSpace(const char* pchRoot, std::uint32_t* pdwSectorsPerCluster, std::uint32_t* pdwBytesPerSector,
                     std::uint32_t* pdwFreeClusters) override;
  bool FindFile(const char* pchPattern) override;
  bool CreateEmptyFile(const char* pchPath) override;
  std::uint32_t ProgramPath(char* pchBuffer, std::uint32_t uSize) override;
  int ShowMessage(const char* pchText, const char* pchCaption, std::uint32_t uStyle) override;
  std::uint32_t LastError() override { return lastError; }

  std::uint32_t platformId = 2;
  std::optional<std::string> programPath = std::string("C:\\app\\Kinetra.exe");
  struct Message {
    std::string text, caption;
    std::uint32_t uStyle;
  };
  std::vector<Message> messages;
  int messageResult = 1;
  bool canCreateServices = true;
  // An empty optional makes the call fail.
  std::optional<std::string> currentDirectory = std::string("C:\\app");
  std::optional<std::string> tempPath = std::string("C:\\Temp\\");
  std::optional<std::string> windowsDirectory = std::string("C:\\windows");
  std::uintptr_t kernelHandle = 0x7C800000;
  bool hasDiskFreeSpaceEx = true;
  bool hasDiskFreeSpace = true;
  std::optional<std::uint64_t> totalFreeBytes = std::uint64_t{10} << 30;
  bool diskFreeSpaceFails = false;
  std::uint32_t sectorsPerCluster = 8, bytesPerSector = 512, freeClusters = 1000;
  std::set<std::string> files;  // what FindFile finds
  // Where CreateEmptyFile really creates the file; empty: it fails.
  std::function<std::string(const std::string&)> hostPath;
  std::uint32_t lastError = 0;

  std::vector<std::string> measured;  // directories or roots asked for free space
  std::vector<std::string> found;     // patterns looked up
};
