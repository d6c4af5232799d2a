// The fast exchange's test of a whole FT 1.2 answer.

#include <gtest/gtest.h>

#include "iec101/Ft12AnswerComplete.h"
#include "tests/iec101/IecTestSupport.h"

namespace vela {
namespace {

using iectest::Hex;

class Ft12AnswerCompleteTest : public iectest::IecSettingsTest {};

TEST_F(Ft12AnswerCompleteTest, AcceptsExactlyOneWholeFrame) {
  const struct {
    const char* name;
    const char* octets;
    uint32_t linkLength;
    bool complete;
  } cases[] = {
      {"single character", "E5", 1, true},
      {"exact fixed frame", "10 0B 01 0C 16", 1, true},
      {"fixed frame without address", "10 0B 0B 16", 0, true},
      {"exact variable frame", "68 03 03 68 08 01 AA B3 16", 1, true},
      {"one octet short", "68 03 03 68 08 01 AA B3", 1, false},
      {"one octet extra", "10 0B 01 0C 16 00", 1, false},
      {"bad checksum", "68 03 03 68 08 01 AA B4 16", 1, false},
      {"two frames back to back", "10 0B 01 0C 16 10 0B 01 0C 16", 1, false},
      {"two single characters", "E5 E5", 1, false},
      {"first part of a split frame", "68 03 03 68 08", 1, false},
      {"fixed frame of another address length", "10 0B 01 0C 16", 2, false},
      {"noise", "FF", 1, false},
      {"nothing", "", 1, false},
  };
  for (const auto& c : cases) {
    SetLinkAddressLength(c.linkLength);
    EXPECT_EQ(Ft12AnswerComplete(lengths_, Hex(c.octets)), c.complete) << c.name;
  }
}

}  // namespace
}  // namespace vela
