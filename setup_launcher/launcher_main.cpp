#include "setup_launcher/launcher_main.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "setup_launcher/command_line.h"
#include "setup_launcher/error_codes.h"
#include "setup_launcher/install_commands.h"
#include "setup_launcher/launcher_platform.h"
#include "setup_launcher/path_utils.h"
#include "setup_launcher/result_reporting.h"
#include "setup_launcher/trace/trace_log.h"

namespace {

constexpr unsigned kPathSize = 260;
constexpr int kHelpBufferSize = 1024;
// MB_OK | MB_ICONINFORMATION | MB_SERVICE_NOTIFICATION
constexpr std::uint32_t kHelpStyle = 0x00200040;

}  // namespace

void DoHelp(void* hInstance) {
  TraceCallText call;
  call.Text("DoHelp(").Pointer(hInstance).Text(")\n");
  TraceScope scope(call.c_str());

  char achText[kHelpBufferSize] = {};
  char achCaption[kHelpBufferSize] = {};
  if (LoadStringResource(hInstance, kHelpTextId, achText, kHelpBufferSize) == 0 ||
      LoadStringResource(hInstance, kHelpCaptionId, achCaption, kHelpBufferSize) == 0) {
    TraceMessage(TRACE_WARNING, 0, "%s", "The help message is absent in the resources\n");
    throw static_cast<int>(KINETRA_OVERFLOW);
  }
  TraceMessage(TRACE_INFO, 0, "%s", "Showing help message...\n");
  const int nButton = LauncherSystem().ShowMessage(achText, achCaption, kHelpStyle);
  if (nButton == 0) {
    TraceMessage(TRACE_INFO, 0, "%s", "Call to Messagebox failed.\n");
  } else {
    TraceMessage(TRACE_INFO, 0, "Messagebox returned %d\n", nButton);
  }
}

int KinetraWinMain(void* hInstance, const char* pchCmdLine) {
  InitTraceLog();
  TraceMessage(TRACE_INFO, 0, "%s", "\n*******************************\n");
  TraceMessage(TRACE_INFO, 0, "%s version %d.%d.%d\n", "Kinetra.EXE", 8, 0, 3250);

  TraceScope scope("WinMain()\n");
  if (pchCmdLine == nullptr) pchCmdLine = "";
  TraceMessage(TRACE_INFO, 0, "Cmd Line: '%s'\n", pchCmdLine);

  int nExitCode = 0;
  char* pchCopy = nullptr;
  try {
    const int nCleared = DeleteRegistryResultValues();
    if (nCleared != 0) throw nCleared;

    TraceMessage(TRACE_INFO, 0, "%s", "\n");
    TraceMessage(TRACE_INFO, 0, "%s", "Parsing the commmand line...\n");
    TraceMessage(TRACE_INFO, 0, "%s", "\n");

    // Every item of the command line points into this copy.
    const std::size_t uLength = std::strlen(pchCmdLine);
    pchCopy = static_cast<char*>(std::malloc(uLength + 1));
    if (pchCopy == nullptr) throw static_cast<int>(KINETRA_OVERFLOW);
    std::memcpy(pchCopy, pchCmdLine, uLength + 1);

    const int nParsed = ParseCmdLine(&GetCmdLineOptions(), &GetCmdLine(), pchCopy);
    if (nParsed != 0) {
      nExitCode = nParsed;
      throw nParsed;
    }

    TraceMessage(TRACE_INFO, 0, "%s", "\n");
    TraceMessage(TRACE_INFO, 0, "%s", "Performing requested actions...\n");
    TraceMessage(TRACE_INFO, 0, "%s", "\n");

    if (GetCmdLineOptions().GetHelp()) {
      DoHelp(hInstance);
    } else {
      TraceMessage(TRACE_INFO, 0, "%s", "Help message was not requested.\n");
      char achDirectory[kPathSize] = {};
      LauncherSystem().ProgramPath(achDirectory, kPathSize);
      achDirectory[kPathSize - 1] = '\0';
      GetFilePath(achDirectory);
      nExitCode = DoInstUninst(achDirectory);
      TraceMessage(TRACE_INFO, 0, "DoInstUninst returned %d.\n", nExitCode);
    }
  } catch (int nError) {
    TraceMessage(TRACE_ERROR, 0, "Integer exception has occured: %d. Quiting\n", nError);
    nExitCode = nError;
  }
  std::free(pchCopy);

  TraceMessage(TRACE_INFO, 0, "Exiting Kinetra with exit code: %d\n", nExitCode);
  if (nExitCode < 0 && nExitCode != KINETRA_REPORT_FAILED) {
    const int nReported = WriteErrorCodeToRegistry(hInstance, nExitCode);
    if (nReported != 0) nExitCode = nReported;
  }
  return nExitCode;
}
