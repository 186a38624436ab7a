#pragma once
// The trace's platform on Windows: kernel32 and the runtime's shared fopen.

#include "setup_launcher/trace/trace_platform.h"

class Win32TracePlatform final : public ITracePlatform {
 public:
  Win32TracePlatform();
  ~Win32TracePlatform() override;
  Win32TracePlatform(const Win32TracePlatform&) = delete;
  Win32TracePlatform& operator=(const Win32TracePlatform&) = delete;

  void DebugOutput(const char* pchText) override;
  unsigned WindowsDirectory(char* pchBuffer, unsigned uSize) override;
  unsigned ModuleFileName(char* pchBuffer, unsigned uSize) override;
  unsigned long GetCurrentThreadId() override;
  unsigned long GetTickCount() override;
  TraceLocalTime GetLocalTime() override;
  std::int64_t GetTimeSeconds() override;
  bool CanOpenForReading(const char* pchPath) override;
  std::uint32_t GetFileSize(const char* pchPath) override;
  bool RemoveFile(const char* pchPath) override;
  std::FILE* OpenShared(const char* pchPath, const char* pchMode) override;
  void InitializeLock() override;
  void EnterLock() override;
  void LeaveLock() override;
  void DeleteLock() override;

 private:
  // Storage for a CRITICAL_SECTION, kept opaque so that this header needs no
  // windows.h.
  alignas(8) unsigned char m_abLock[64];
};
