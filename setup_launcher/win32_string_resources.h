#pragma once
// The program's string table, read with LoadStringA.

#include "setup_launcher/error_codes.h"

class Win32StringResources final : public IStringResources {
 public:
  int LoadText(void* hInstance, unsigned uId, char* pchBuffer, int cchBufferMax) override;
};
