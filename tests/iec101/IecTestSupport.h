#pragma once
// Shared pieces of the IEC 60870-5-101 tests.

#include <gtest/gtest.h>

#include <string>

#include "common/ArkCmnUtils.h"
#include "common/ArkTypes.h"
#include "iec101/IecSettings.h"

namespace vela::iectest {

// "68 09 09 68" -> octets; spaces are ignored.
inline Octets Hex(std::string text) {
  std::erase(text, ' ');
  return HexToBytes(text);
}

// Every test starts and ends with the start values of the field lengths.
class IecSettingsTest : public ::testing::Test {
 protected:
  IecSettingsTest() { RestoreDefaultIecSettings(); }
  ~IecSettingsTest() override { RestoreDefaultIecSettings(); }

  static void SetLengths(uint32_t link, uint32_t common, uint32_t cot, uint32_t ioa) {
    SetLinkAddressLength(link);
    SetCommonAddressLength(common);
    SetCotLength(cot);
    SetIoaLength(ioa);
  }
};

// Runs call and returns the message of the TArkException it raises, or
// "<no exception>".
template <class Call>
std::string MessageOf(Call&& call) {
  try {
    call();
  } catch (const TArkException& e) {
    return e.what();
  }
  return "<no exception>";
}

}  // namespace vela::iectest
