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

// The field lengths a test's frames and ASDUs are made with: the start values
// until the test sets others.
class IecSettingsTest : public ::testing::Test {
 protected:
  void SetLengths(uint32_t link, uint32_t common, uint32_t cot, uint32_t ioa) {
    lengths_.SetLinkAddressLength(link);
    lengths_.SetCommonAddressLength(common);
    lengths_.SetCotLength(cot);
    lengths_.SetIoaLength(ioa);
  }
  void SetLinkAddressLength(uint32_t length) { lengths_.SetLinkAddressLength(length); }
  void SetCotLength(uint32_t length) { lengths_.SetCotLength(length); }

  TIecFieldLengths lengths_;
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
