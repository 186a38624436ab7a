#include "setup_launcher/tests/fake_trace_platform.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

#include "setup_launcher/trace/trace_log.h"

namespace {

unsigned CopyOut(const std::string& text, char* pchBuffer, unsigned uSize) {
  if (uSize == 0) return 0;
  const std::size_t n = std::min<std::size_t>(text.size(), uSize - 1);
  std::memcpy(pchBuffer, text.data(), n);
  pchBuffer[n] = '\0';
  return static_cast<unsigned>(n);
}

}  // namespace

FakeTracePlatform::FakeTracePlatform() {
  static int counter = 0;
  root = std::filesystem::temp_directory_path() /
         ("kinetra_trace_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "cwd");
  std::filesystem::create_directories(HostPath(windowsDirectory));
  std::filesystem::create_directories(HostPath("C:\\app"));
}

FakeTracePlatform::~FakeTracePlatform() {
  // The trace must not outlive its platform, nor keep files in the tree.
  ResetTraceLog();
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

std::filesystem::path FakeTracePlatform::HostPath(const std::string& windowsPath) const {
  std::string rest = windowsPath;
  std::filesystem::path base = root / "cwd";
  if (rest.size() >= 2 && rest[1] == ':') {
    base = root / std::string(1, rest[0]);
    rest = rest.substr(2);
  }
  for (char& ch : rest) {
    if (ch == '\\') ch = '/';
  }
  while (!rest.empty() && rest.front() == '/') rest.erase(rest.begin());
  return rest.empty() ? base : base / rest;
}

void FakeTracePlatform::WriteFile(const std::string& windowsPath, const std::string& content) const {
  std::filesystem::create_directories(HostPath(windowsPath).parent_path());
  std::ofstream out(HostPath(windowsPath), std::ios::binary | std::ios::trunc);
  out << content;
}

std::string FakeTracePlatform::ReadFile(const std::string& windowsPath) const {
  std::ifstream in(HostPath(windowsPath), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool FakeTracePlatform::Exists(const std::string& windowsPath) const {
  return std::filesystem::exists(HostPath(windowsPath));
}

void FakeTracePlatform::DebugOutput(const char* pchText) {
  debugOutput += pchText;
  debugPieces.emplace_back(pchText);
}

unsigned FakeTracePlatform::WindowsDirectory(char* pchBuffer, unsigned uSize) {
  return CopyOut(windowsDirectory, pchBuffer, uSize);
}

unsigned FakeTracePlatform::ModuleFileName(char* pchBuffer, unsigned uSize) {
  return CopyOut(modulePath, pchBuffer, uSize);
}

bool FakeTracePlatform::CanOpenForReading(const char* pchPath) {
  std::error_code error;
  return std::filesystem::is_regular_file(HostPath(pchPath), error);
}

std::uint32_t FakeTracePlatform::GetFileSize(const char* pchPath) {
  std::error_code error;
  const auto size = std::filesystem::file_size(HostPath(pchPath), error);
  return error ? 0xFFFFFFFFu : static_cast<std::uint32_t>(size);
}

bool FakeTracePlatform::RemoveFile(const char* pchPath) {
  std::error_code error;
  return std::filesystem::remove(HostPath(pchPath), error);
}

std::FILE* FakeTracePlatform::OpenShared(const char* pchPath, const char* pchMode) {
  std::error_code error;
  const auto path = HostPath(pchPath);
  if (std::filesystem::is_directory(path, error)) return nullptr;
  return std::fopen(path.c_str(), pchMode);
}
