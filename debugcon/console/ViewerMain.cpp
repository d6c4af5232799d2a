// velalink-console: shows the trace of a running VelaLink.
//
//   velalink-console            instance 0 (dbg_VelaLink in the runtime directory)
//   velalink-console N          instance N, 0 to 15 (dbg_VelaLinkN)
//   velalink-console PATH       the socket at PATH (anything containing "/")
//   velalink-console NAME       the socket NAME in the runtime directory
//   velalink-console --list     the sockets of the running copies

#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "common/ProgramVersion.h"
#include "debugcon/ConsolePaths.h"
#include "debugcon/console/ConsoleViewer.h"

namespace {

volatile sig_atomic_t stopRequested = 0;

void OnStopSignal(int) {
  stopRequested = 1;
}

const char* const kUsage =
    "Использование: velalink-console [номер экземпляра 0-15 | путь к сокету | имя]\n"
    "               velalink-console --list\n"
    "Показывает отладочную трассировку работающей программы VelaLink, по сообщению в строке.\n"
    "--list: сокеты работающих копий программы (номер, путь, процесс).\n"
    "Завершение: Ctrl+C.\n"
    "\n"
    "  --help      показать эту справку\n"
    "  --version   показать версию программы\n";

std::optional<int> InstanceNumber(const std::string& text) {
  if (text.empty() || text.size() > 2 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::stoi(text);
}

// The socket path the argument names; nullopt when it names none.
std::optional<std::string> TargetPath(int argc, char** argv) {
  const std::string base = vela::ConsoleBasePath(vela::kDebugConsoleName);
  if (argc < 2) return base;
  const std::string argument = argv[1];
  if (argc > 2 || argument.empty() || argument[0] == '-') return std::nullopt;
  if (argument.find_first_not_of("0123456789") == std::string::npos) {
    const std::optional<int> index = InstanceNumber(argument);
    if (!index || *index >= vela::kMaxConsoleInstances) return std::nullopt;
    return vela::ConsoleInstancePath(base, *index);
  }
  if (argument.find('/') != std::string::npos) return argument;
  return vela::ConsoleBasePath(argument);
}

// Blocks the stop signals (they are let through only while the viewer waits)
// and returns the mask to wait with.
sigset_t InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigset_t waitMask;
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  sigdelset(&waitMask, SIGINT);
  sigdelset(&waitMask, SIGTERM);
  return waitMask;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::fputs(vela::ProgramVersionText("velalink-console").c_str(), stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
    std::signal(SIGPIPE, SIG_IGN);
    return vela::ListConsoles(vela::ConsoleBasePath(vela::kDebugConsoleName));
  }
  const std::optional<std::string> path = TargetPath(argc, argv);
  if (!path) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const sigset_t waitMask = InstallStopSignals();
  return vela::ConsoleViewer(*path, waitMask, stopRequested).Run();
}
