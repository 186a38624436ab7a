#pragma once
// What the pre-flight checks and the result reporting need of the system,
// one method per Win32 call. Text is 8-bit; buffer sizes are in characters.
// Failures come back as 0 or false, with the Windows code in LastError().

#include <cstdint>

class ISystemPort {
 public:
  virtual ~ISystemPort() = default;

  // GetVersionExA with a 148-byte OSVERSIONINFOA: its dwPlatformId, 0 when the
  // call fails.
  virtual std::uint32_t PlatformId() = 0;
  // OpenSCManagerA(local, SC_MANAGER_CREATE_SERVICE), closed at once: whether
  // a handle came back.
  virtual bool CanCreateServices() = 0;

  // GetCurrentDirectoryA / GetTempPathA / GetWindowsDirectoryA: the length
  // copied, 0 on failure.
  virtual std::uint32_t CurrentDirectory(char* pchBuffer, std::uint32_t uSize) = 0;
  virtual std::uint32_t TempPath(char* pchBuffer, std::uint32_t uSize) = 0;
  virtual std::uint32_t WindowsDirectory(char* pchBuffer, std::uint32_t uSize) = 0;

  // GetModuleHandleA: the handle value, 0 on failure.
  virtual std::uintptr_t ModuleHandle(const char* pchName) = 0;
  // GetProcAddress: whether the module exports `pchName`.
  virtual bool HasProcedure(std::uintptr_t hModule, const char* pchName) = 0;
  // GetDiskFreeSpaceExA: the total free bytes on the disk (its fourth argument).
  virtual bool DiskFreeSpaceEx(const char* pchDirectory, std::uint64_t* pullTotalFreeBytes) = 0;
  // GetDiskFreeSpaceA on a root such as "C:\".
  virtual bool DiskFreeSpace(const char* pchRoot, std::uint32_t* pdwSectorsPerCluster,
                             std::uint32_t* pdwBytesPerSector, std::uint32_t* pdwFreeClusters) = 0;

  // FindFirstFileA with `pchPattern`: whether anything matched.
  virtual bool FindFile(const char* pchPattern) = 0;
  // CreateFileA(GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), closed at once.
  virtual bool CreateEmptyFile(const char* pchPath) = 0;

  // GetModuleFileNameA of the running program: the length, 0 on failure.
  virtual std::uint32_t ProgramPath(char* pchBuffer, std::uint32_t uSize) = 0;
  // MessageBoxA without an owner: the button chosen, 0 on failure.
  virtual int ShowMessage(const char* pchText, const char* pchCaption, std::uint32_t uStyle) = 0;

  virtual std::uint32_t LastError() = 0;
};
