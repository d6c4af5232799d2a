// A velalink-cli command line (arguments separated by NUL octets): parsing
// either gives options or raises TCliUsageError, whatever the numbers say.

#include <string>
#include <vector>

#include "app/cli/CliOptions.h"
#include "fuzz/FuzzInput.h"

using namespace vela;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line = fuzz::FuzzInput(data, size).Rest();
  std::vector<std::string> args;
  size_t start = 0;
  for (size_t at; (at = line.find('\0', start)) != std::string::npos; start = at + 1) {
    args.push_back(line.substr(start, at - start));
  }
  args.push_back(line.substr(start));
  try {
    const cli::TCliOptions options = cli::ParseCliOptions(args);
    if (options.address < 0 || options.seconds < 0) fuzz::Violated();
  } catch (const cli::TCliUsageError&) {
  }
  (void)cli::ParseFrameText(args.front());
  return 0;
}
