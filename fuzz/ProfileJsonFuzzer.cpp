// A settings profile file: the reader either gives a tree or raises
// TJsonError; a tree written back reads as the same text again.

#include <string>

#include "app/commission/ProfileJson.h"
#include "fuzz/FuzzInput.h"

using namespace vela;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz::FuzzInput(data, size).Rest();
  try {
    const std::string written = WriteProfileJson(ParseProfileJson(text));
    if (WriteProfileJson(ParseProfileJson(written)) != written) fuzz::Violated();
  } catch (const TJsonError&) {
  }
  return 0;
}
