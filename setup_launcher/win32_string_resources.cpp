#include "setup_launcher/win32_string_resources.h"

#include <windows.h>

int Win32StringResources::LoadText(void* hInstance, unsigned uId, char* pchBuffer, int cchBufferMax) {
  // LoadStringA with a zero size would hand back a pointer instead of a copy.
  if (pchBuffer == nullptr || cchBufferMax <= 0) return 0;
  return LoadStringA(static_cast<HINSTANCE>(hInstance), uId, pchBuffer, cchBufferMax);
}
