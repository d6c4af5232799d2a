#include "common/ProcessResources.h"

#include <dirent.h>

#include <cstdio>

namespace vela {

TProcessResources SampleProcessResources() {
  TProcessResources r;
  if (FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
      long long kb = 0;
      if (std::sscanf(line, "VmRSS: %lld kB", &kb) == 1) r.residentKb = kb;
    }
    std::fclose(status);
  }
  if (DIR* fds = opendir("/proc/self/fd")) {
    int count = 0;
    while (const dirent* entry = readdir(fds)) {
      if (entry->d_name[0] != '.') ++count;
    }
    closedir(fds);
    r.openDescriptors = count - 1;  // the listing's own descriptor
  }
  return r;
}

}  // namespace vela
