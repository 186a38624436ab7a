#include "setup_launcher/decimal.h"

#include <cstdint>

long ParseDecimal(const char* pchText) {
  if (pchText == nullptr) return 0;
  const char* pch = pchText;
  while (*pch == ' ' || (*pch >= '\t' && *pch <= '\r')) ++pch;
  bool bNegative = false;
  if (*pch == '+' || *pch == '-') bNegative = *pch++ == '-';
  std::int64_t llValue = 0;
  for (; *pch >= '0' && *pch <= '9'; ++pch) {
    llValue = llValue * 10 + (*pch - '0');
    if (llValue > 0x80000000LL) llValue = 0x80000000LL;
  }
  if (bNegative) return static_cast<long>(-llValue);
  return static_cast<long>(llValue > 0x7FFFFFFFLL ? 0x7FFFFFFFLL : llValue);
}
