#pragma once
// Decimal text to a number the way the runtime's atoi reads it: leading white
// space, an optional sign, digits up to the first other character, 0 without
// digits. Beyond 32 bits the value is clamped, as the Windows runtime does,
// rather than left undefined.

long ParseDecimal(const char* pchText);
