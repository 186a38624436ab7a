#pragma once
// What the trace needs of the system, behind one interface so that the trace
// logic runs and is tested off Windows. Paths are Windows paths as the
// launcher builds them.

#include <cstdint>
#include <cstdio>

struct TraceLocalTime {
  int nYear;  // full year
  int nMonth; // 1 to 12
  int nDay;
  int nHour;  // 0 to 23
  int nMinute;
  int nSecond;
};

class ITracePlatform {
 public:
  virtual ~ITracePlatform() = default;

  // OutputDebugStringA.
  virtual void DebugOutput(const char* pchText) = 0;
  // GetWindowsDirectoryA / GetModuleFileNameA of the program itself: the
  // length copied, 0 on failure; the buffer is always terminated when size > 0.
  virtual unsigned WindowsDirectory(char* pchBuffer, unsigned uSize) = 0;
  virtual unsigned ModuleFileName(char* pchBuffer, unsigned uSize) = 0;
  virtual unsigned long GetCurrentThreadId() = 0;
  virtual unsigned long GetTickCount() = 0;
  virtual TraceLocalTime GetLocalTime() = 0;
  // Seconds since 1970, for the re-read interval.
  virtual std::int64_t GetTimeSeconds() = 0;

  // CreateFileA(GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) and close: can
  // the file be opened for reading, relative to the current directory.
  virtual bool CanOpenForReading(const char* pchPath) = 0;
  // GetFileSize of the file, 0xFFFFFFFF when it cannot be read.
  virtual std::uint32_t GetFileSize(const char* pchPath) = 0;
  virtual bool RemoveFile(const char* pchPath) = 0;
  // fopen with `pchMode`, other processes may read and write the file meanwhile.
  virtual std::FILE* OpenShared(const char* pchPath, const char* pchMode) = 0;

  // The trace lock (a critical section on Windows).
  virtual void InitializeLock() = 0;
  virtual void EnterLock() = 0;
  virtual void LeaveLock() = 0;
  virtual void DeleteLock() = 0;
};
