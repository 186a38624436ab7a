#pragma once
// The system port over kernel32 and advapi32.

#include "setup_launcher/system_port.h"

class Win32SystemPort final : public ISystemPort {
 public:
  std::uint32_t PlatformId() override;
  bool CanCreateServices() override;
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
  std::uint32_t LastError() override;
};
