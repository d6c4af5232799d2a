#include "serial/PortsFolderTrust.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <set>

namespace vela {
namespace {

// Prints text on standard error the first time it comes.
void WarnOnce(const std::string& text) {
  static std::mutex mutex;
  static std::set<std::string> told;
  const std::lock_guard<std::mutex> lock(mutex);
  if (told.insert(text).second) std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace

std::string PortsFolderFault(const std::string& folder) {
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0) return "";
  if (status.st_uid != ::geteuid()) {
    return "Папка портов " + folder +
           " принадлежит другому пользователю; задайте свою папку в VELALINK_PORTS_DIR";
  }
  if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return "В папку портов " + folder +
           " могут писать другие пользователи; исправьте: chmod go-w " + folder;
  }
  return "";
}

bool PortsFolderTrusted(const std::string& folder) {
  const std::string fault = PortsFolderFault(folder);
  if (fault.empty()) return true;
  WarnOnce(fault + ". Ссылки COMn из неё не используются.");
  return false;
}

bool PortsLinkTrusted(const std::string& link) {
  struct stat status {};
  if (::lstat(link.c_str(), &status) != 0 || status.st_uid == ::geteuid()) return true;
  WarnOnce("Ссылка " + link +
           " принадлежит другому пользователю и не используется; удалите её: rm " + link);
  return false;
}

}  // namespace vela
