// velasim's --wiring texts: faults with their phases, and the mistakes refused.

#include <gtest/gtest.h>

#include "sim/WiringNetwork.h"

namespace vela {
namespace {

std::string Described(const std::vector<WiringFault>& faults) {
  std::string text;
  for (const WiringFault& fault : faults) {
    text += std::to_string(static_cast<int>(fault.kind)) + ":";
    for (int phase : fault.phases) text += static_cast<char>('A' + phase);
    text += ' ';
  }
  return text;
}

TEST(WiringNetworkFaults, ParseEachFaultWithItsPhases) {
  const struct {
    const char* text;
    const char* expected;  // kind:phases per fault; empty: refused
  } cases[] = {
      {"ct-reversed:B", "0:B "},
      {"currents-swapped:A,C", "1:AC "},
      {"vt-reversed:C,voltage-missing:A,current-missing:B", "2:C 3:A 4:B "},
      {"ct-reversed:A,B", "0:AB "},
      {"currents-swapped:A", ""},
      {"currents-swapped:A,A", ""},
      {"ct-reversed:D", ""},
      {"reversed:A", ""},
      {"B", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    std::vector<WiringFault> faults;
    const bool parsed = ParseWiringFaults(c.text, faults);
    EXPECT_EQ(parsed ? Described(faults) : "", c.expected) << c.text;
  }
}

}  // namespace
}  // namespace vela
