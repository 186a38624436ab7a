#pragma once
// A trace platform for the Linux tests: debugger output collected in a
// string, Windows paths mapped into a temporary directory ("C:\x\y" to
// <root>/C/x/y, a relative path to <root>/cwd/...), a clock, thread id and
// tick count the test sets, and a lock that counts its use.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "setup_launcher/trace/trace_platform.h"

class FakeTracePlatform final : public ITracePlatform {
 public:
  FakeTracePlatform();
  ~FakeTracePlatform() override;

  void DebugOutput(const char* pchText) override;
  unsigned WindowsDirectory(char* pchBuffer, unsigned uSize) override;
  unsigned ModuleFileName(char* pchBuffer, unsigned uSize) override;
  unsigned long GetCurrentThreadId() override { return threadId; }
  unsigned long GetTickCount() override { return tickCount; }
  TraceLocalTime GetLocalTime() override { return localTime; }
  std::int64_t GetTimeSeconds() override { return now; }
  bool CanOpenForReading(const char* pchPath) override;
  std::uint32_t GetFileSize(const char* pchPath) override;
  bool RemoveFile(const char* pchPath) override;
  std::FILE* OpenShared(const char* pchPath, const char* pchMode) override;
  void InitializeLock() override { ++lockInits; lockReady = true; }
  void EnterLock() override { ++lockEnters; }
  void LeaveLock() override { ++lockLeaves; }
  void DeleteLock() override { ++lockDeletes; lockReady = false; }

  // The host path a Windows path maps to.
  std::filesystem::path HostPath(const std::string& windowsPath) const;
  void WriteFile(const std::string& windowsPath, const std::string& content) const;
  std::string ReadFile(const std::string& windowsPath) const;
  bool Exists(const std::string& windowsPath) const;

  std::filesystem::path root;
  std::string windowsDirectory = "C:\\windows";
  std::string modulePath = "C:\\app\\Kinetra.exe";
  std::string debugOutput;              // every piece, concatenated
  std::vector<std::string> debugPieces; // one entry per call
  unsigned long threadId = 0x1A2B;
  unsigned long tickCount = 0x00C0FFEE;
  TraceLocalTime localTime{2026, 3, 7, 9, 5, 4};
  std::int64_t now = 1'000'000;
  int lockInits = 0, lockEnters = 0, lockLeaves = 0, lockDeletes = 0;
  bool lockReady = false;
};
