#pragma once
// The launcher's function-level trace: one process-wide state, written to a
// trace file (by default Kinetra.log in the Windows directory) or to the
// debugger output. Nothing here reports a failure: a trace that cannot be
// written never changes what the launcher does.

#include <cstdint>
#include <cstdio>

#include "setup_launcher/trace/trace_platform.h"

// Message categories (bit values) and the severity column each gets.
enum : unsigned long {
  TRACE_ERROR = 1,    // "3\t"
  TRACE_WARNING = 2,  // "2\t"
  TRACE_INFO = 4,     // "1\t"
};

// Chooses the trace destination and settings; WinMain's very first step.
void InitTraceLog();

// Writes one message formatted printf-style; `format` carries its own line
// break. The formatted text is cut at 1023 characters.
void TraceMessage(unsigned long ulCategory, long lLevel, const char* pchFormat, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Opens the trace file `pchName` with fopen mode `pchMode`, or keeps it when
// it is already the open one (same text, case-sensitive).
void SetTraceFile(const char* pchName, const char* pchMode);
// Opens the configuration file and applies it.
void ReadTraceConfig(const char* pchPath);
// A negative threshold becomes 0.
void SetTraceSettings(unsigned long ulMask, long lThreshold, int bDateTime, int bThreadId);
// Flushes and closes both files, deletes the lock; nothing is written after.
void CloseTraceLog();

// The platform the trace writes through. The entry point installs the Win32
// one before anything is traced; without one every piece is dropped.
void SetTracePlatform(ITracePlatform* pPlatform);
// Puts the process-wide trace state back to its state before any start-up,
// closing what is open and forgetting the platform, so that tests do not see
// each other's leftovers.
void ResetTraceLog();

// The text of a scope entry line, built on the stack of the traced function:
// at most 255 characters; an append that would pass that writes only what
// fits, and once full appends add nothing. Each append returns the builder.
class TraceCallText {
 public:
  TraceCallText() { m_achText[0] = '\0'; }
  TraceCallText(const TraceCallText&) = delete;
  TraceCallText& operator=(const TraceCallText&) = delete;

  TraceCallText& Text(const char* pchText);         // unchanged; null appends nothing
  TraceCallText& Signed(long lValue);               // "%ld"
  TraceCallText& Unsigned(unsigned long ulValue);   // "%lu"
  TraceCallText& Pointer(const void* pValue);       // "0x" and upper-case hex digits, 8 on 32-bit

  const char* c_str() const { return m_achText; }

  static constexpr unsigned kMaxLength = 255;

 private:
  char m_achText[kMaxLength + 1];
  unsigned m_uLength = 0;
};

// Opens a scope: "{ text" on entry, "} text" on exit, the body indented by 3
// blanks. The outermost scope writes nothing; when it closes, the trace is
// closed. Refers to `pchText` without copying it.
class TraceScope {
 public:
  explicit TraceScope(const char* pchText);
  ~TraceScope();
  TraceScope(const TraceScope&) = delete;
  TraceScope& operator=(const TraceScope&) = delete;

 private:
  const char* m_pchText = nullptr;
};
