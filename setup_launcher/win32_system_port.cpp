#include "setup_launcher/win32_system_port.h"

#include <windows.h>

namespace {

using DiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
using DiskFreeSpaceFn = BOOL(WINAPI*)(LPCSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD);

// The disk-space calls are found at run time: the oldest systems lack the
// extended one.
template <typename Fn>
Fn Kernel32Procedure(const char* pchName) {
  HMODULE hKernel = GetModuleHandleA("kernel32.dll");
  if (hKernel == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(hKernel, pchName)));
}

// Results that do not fit the buffer are failures, as the callers take them.
std::uint32_t Fitting(DWORD dwLength, std::uint32_t uSize) { return dwLength < uSize ? dwLength : 0; }

}  // namespace

std::uint32_t Win32SystemPort::PlatformId() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  static_assert(sizeof(OSVERSIONINFOA) == 148);
  if (!GetVersionExA(&info)) return 0;
  return info.dwPlatformId;
}

bool Win32SystemPort::CanCreateServices() {
  SC_HANDLE hManager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
  if (hManager == nullptr) return false;
  CloseServiceHandle(hManager);
  return true;
}

std::uint32_t Win32SystemPort::CurrentDirectory(char* pchBuffer, std::uint32_t uSize) {
  return Fitting(GetCurrentDirectoryA(uSize, pchBuffer), uSize);
}

std::uint32_t Win32SystemPort::TempPath(char* pchBuffer, std::uint32_t uSize) {
  return Fitting(GetTempPathA(uSize, pchBuffer), uSize);
}

std::uint32_t Win32SystemPort::WindowsDirectory(char* pchBuffer, std::uint32_t uSize) {
  return Fitting(GetWindowsDirectoryA(pchBuffer, uSize), uSize);
}

std::uintptr_t Win32SystemPort::ModuleHandle(const char* pchName) {
  return reinterpret_cast<std::uintptr_t>(GetModuleHandleA(pchName));
}

bool Win32SystemPort::HasProcedure(std::uintptr_t hModule, const char* pchName) {
  return GetProcAddress(reinterpret_cast<HMODULE>(hModule), pchName) != nullptr;
}

bool Win32SystemPort::DiskFreeSpaceEx(const char* pchDirectory, std::uint64_t* pullTotalFreeBytes) {
  auto pfn = Kernel32Procedure<DiskFreeSpaceExFn>("GetDiskFreeSpaceExA");
  if (pfn == nullptr) return false;
  ULARGE_INTEGER available{}, total{}, totalFree{};
  if (!pfn(pchDirectory, &available, &total, &totalFree)) return false;
  *pullTotalFreeBytes = totalFree.QuadPart;
  return true;
}

bool Win32SystemPort::DiskFreeSpace(const char* pchRoot, std::uint32_t* pdwSectorsPerCluster,
                                    std::uint32_t* pdwBytesPerSector, std::uint32_t* pdwFreeClusters) {
  auto pfn = Kernel32Procedure<DiskFreeSpaceFn>("GetDiskFreeSpaceA");
  if (pfn == nullptr) return false;
  DWORD dwSectors = 0, dwBytes = 0, dwFree = 0, dwTotal = 0;
  if (!pfn(pchRoot, &dwSectors, &dwBytes, &dwFree, &dwTotal)) return false;
  *pdwSectorsPerCluster = dwSectors;
  *pdwBytesPerSector = dwBytes;
  *pdwFreeClusters = dwFree;
  return true;
}

bool Win32SystemPort::FindFile(const char* pchPattern) {
  WIN32_FIND_DATAA data{};
  HANDLE hFind = FindFirstFileA(pchPattern, &data);
  if (hFind == INVALID_HANDLE_VALUE) return false;
  FindClose(hFind);
  return true;
}

bool Win32SystemPort::CreateEmptyFile(const char* pchPath) {
  HANDLE hFile = CreateFileA(pchPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
  if (hFile == INVALID_HANDLE_VALUE) return false;
  CloseHandle(hFile);
  return true;
}

std::uint32_t Win32SystemPort::ProgramPath(char* pchBuffer, std::uint32_t uSize) {
  return Fitting(GetModuleFileNameA(nullptr, pchBuffer, uSize), uSize);
}

int Win32SystemPort::ShowMessage(const char* pchText, const char* pchCaption, std::uint32_t uStyle) {
  return MessageBoxA(nullptr, pchText, pchCaption, uStyle);
}

std::uint32_t Win32SystemPort::LastError() { return GetLastError(); }
