#include "debugcon/ConsolePaths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "common/ArkTypes.h"
#include "debugcon/SystemError.h"
#include "debugcon/UniqueFd.h"

namespace vela {
namespace {

bool OwnerOnly(const struct stat& st) {
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

}  // namespace

std::string RuntimeDirectoryPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/' && IsPrivateDirectory(runtime)) return runtime;
  return "/tmp/velalink-" + std::to_string(::geteuid());
}

bool IsPrivateDirectory(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && OwnerOnly(st);
}

void EnsurePrivateDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    RaiseSystemError("Не удалось создать каталог отладочной консоли " + path);
  }
  // Opened without following links, so the checks below apply to the very
  // directory that will hold the sockets.
  UniqueFd dir(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!dir.Valid()) {
    RaiseSystemError("Каталог отладочной консоли " + path + " недоступен");
  }
  struct stat st {};
  if (::fstat(dir.Get(), &st) != 0) {
    RaiseSystemError("Каталог отладочной консоли " + path + " недоступен");
  }
  if (st.st_uid != ::geteuid()) {
    throw TArkException("Каталог отладочной консоли " + path + " принадлежит другому пользователю");
  }
  if ((st.st_mode & 077) != 0) {
    throw TArkException("Каталог отладочной консоли " + path +
                        " доступен другим пользователям (нужны права 0700)");
  }
}

std::string ConsoleBasePath(const std::string& name, const std::string& directory) {
  if (name.size() >= 2 && name[0] == '/') return name;
  return (directory.empty() ? RuntimeDirectoryPath() : directory) + "/" + name;
}

std::string ConsoleInstancePath(const std::string& basePath, int index) {
  return index == 0 ? basePath : basePath + std::to_string(index);
}

}  // namespace vela
