// A settings profile file: the reader either gives a tree or raises
// TJsonError; a tree written back reads as the same text again.

#include <string>

#include "app/cli/ProfileJson.h"
#include "fuzz/FuzzInput.h"

using namespace vela;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz::FuzzInput(data, size).Rest();
  try {
    const std::string written = cli::WriteProfileJson(cli::ParseProfileJson(text));
    if (cli::WriteProfileJson(cli::ParseProfileJson(written)) != written) fuzz::Violated();
  } catch (const cli::TJsonError&) {
  }
  return 0;
}
