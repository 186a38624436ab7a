#include "setup_launcher/path_utils.h"

#include <cstdio>
#include <cstring>

#include "setup_launcher/trace/trace_log.h"

void RemoveTrailingSlash(char* pchText) {
  TraceCallText call;
  call.Text("RemoveTrailingSlash(").Text(pchText).Text(")\n");
  TraceScope scope(call.c_str());
  if (pchText == nullptr) return;
  const std::size_t uLength = std::strlen(pchText);
  if (uLength > 0 && pchText[uLength - 1] == '\\') pchText[uLength - 1] = '\0';
  TraceMessage(TRACE_INFO, 0, "Result string is '%s'\n", pchText);
}

void GetFilePath(char* pchPath) {
  TraceCallText call;
  call.Text("GetFilePath(").Text(pchPath).Text(")\n");
  TraceScope scope(call.c_str());
  if (pchPath == nullptr) return;

  // As path splitting does it: a drive is "X:" at the start, the directory
  // runs up to and including the last separator. Drive and directory stand
  // at the start already, so joining them again is cutting after the
  // directory. The directory is kept whole, however long.
  const std::size_t uDrive = (pchPath[0] != '\0' && pchPath[1] == ':') ? 2 : 0;
  std::size_t uEnd = uDrive;
  for (std::size_t i = uDrive; pchPath[i] != '\0'; ++i) {
    if (pchPath[i] == '\\' || pchPath[i] == '/') uEnd = i + 1;
  }
  pchPath[uEnd] = '\0';
  RemoveTrailingSlash(pchPath);
  TraceMessage(TRACE_INFO, 0, "Result string: '%s'\n", pchPath);
}

void MakeFilePath(char* pchResult, unsigned uSize, const char* pchDirectory, const char* pchName) {
  if (pchDirectory == nullptr) pchDirectory = "";
  const std::size_t uLength = std::strlen(pchDirectory);
  const bool bHasSlash = uLength > 0 && (pchDirectory[uLength - 1] == '\\' || pchDirectory[uLength - 1] == '/');
  std::snprintf(pchResult, uSize, "%s%s%s", pchDirectory, bHasSlash ? "" : "\\", pchName);
}

bool HasDriveOrDirectory(const char* pchName) {
  if (pchName[0] != '\0' && pchName[1] == ':') return true;
  return std::strpbrk(pchName, "\\/") != nullptr;
}
