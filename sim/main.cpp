// velasim: a Vela measuring transducer on pseudo-terminals, for trying the
// program without the device.
#include <cstdio>
#include <string>
#include <vector>

#include "common/ArkTypes.h"
#include "common/ProgramVersion.h"
#include "sim/SimOptions.h"
#include "sim/SimRunner.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  vela::SimOptions options;
  std::string error;
  if (!vela::ParseSimOptions(args, options, error)) {
    std::fprintf(stderr, "velasim: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(vela::SimUsage().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::fputs(vela::ProgramVersionText("velasim").c_str(), stdout);
    return 0;
  }
  try {
    return vela::RunSimulator(options);
  } catch (const vela::TArkException& e) {
    std::fprintf(stderr, "velasim: %s\n", e.what());
    return 1;
  }
}
