#pragma once
// File helpers shared by the launcher's Windows tests.

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

// The folder of the running test binary, without a trailing backslash.
inline std::string ProgramDirectory() {
  char achPath[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, achPath, MAX_PATH);
  const std::string path = achPath;
  return path.substr(0, path.rfind('\\'));
}

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

inline void WriteWhole(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}
