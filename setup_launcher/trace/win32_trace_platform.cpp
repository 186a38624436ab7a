#include "setup_launcher/trace/win32_trace_platform.h"

#include <windows.h>

#include <share.h>
#include <ctime>

namespace {

CRITICAL_SECTION* AsLock(unsigned char* pbStorage) { return reinterpret_cast<CRITICAL_SECTION*>(pbStorage); }

}  // namespace

Win32TracePlatform::Win32TracePlatform() : m_abLock{} {
  static_assert(sizeof(CRITICAL_SECTION) <= sizeof(m_abLock));
}

Win32TracePlatform::~Win32TracePlatform() = default;

void Win32TracePlatform::DebugOutput(const char* pchText) { OutputDebugStringA(pchText); }

unsigned Win32TracePlatform::WindowsDirectory(char* pchBuffer, unsigned uSize) {
  const UINT uLength = GetWindowsDirectoryA(pchBuffer, uSize);
  if (uLength < uSize) return uLength;
  if (uSize > 0) pchBuffer[0] = '\0';
  return 0;
}

unsigned Win32TracePlatform::ModuleFileName(char* pchBuffer, unsigned uSize) {
  if (uSize == 0) return 0;
  // Older systems leave a cut-off path unterminated.
  const DWORD dwLength = GetModuleFileNameA(nullptr, pchBuffer, uSize);
  if (dwLength >= uSize) pchBuffer[uSize - 1] = '\0';
  return dwLength < uSize ? dwLength : uSize - 1;
}

unsigned long Win32TracePlatform::GetCurrentThreadId() { return ::GetCurrentThreadId(); }

unsigned long Win32TracePlatform::GetTickCount() { return ::GetTickCount(); }

TraceLocalTime Win32TracePlatform::GetLocalTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return TraceLocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::int64_t Win32TracePlatform::GetTimeSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

bool Win32TracePlatform::CanOpenForReading(const char* pchPath) {
  HANDLE hFile = CreateFileA(pchPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) return false;
  CloseHandle(hFile);
  return true;
}

std::uint32_t Win32TracePlatform::GetFileSize(const char* pchPath) {
  HANDLE hFile = CreateFileA(pchPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) return INVALID_FILE_SIZE;
  const DWORD dwSize = ::GetFileSize(hFile, nullptr);
  CloseHandle(hFile);
  return dwSize;
}

bool Win32TracePlatform::RemoveFile(const char* pchPath) { return DeleteFileA(pchPath) != FALSE; }

std::FILE* Win32TracePlatform::OpenShared(const char* pchPath, const char* pchMode) {
  return _fsopen(pchPath, pchMode, _SH_DENYNO);
}

void Win32TracePlatform::InitializeLock() { InitializeCriticalSection(AsLock(m_abLock)); }

void Win32TracePlatform::EnterLock() { EnterCriticalSection(AsLock(m_abLock)); }

void Win32TracePlatform::LeaveLock() { LeaveCriticalSection(AsLock(m_abLock)); }

void Win32TracePlatform::DeleteLock() { DeleteCriticalSection(AsLock(m_abLock)); }
