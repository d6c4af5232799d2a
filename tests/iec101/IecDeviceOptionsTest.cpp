#include <gtest/gtest.h>

#include "iec101/IecDeviceOptions.h"
#include "iec101/IecMessages.h"
#include "iec101/IecSettings.h"
#include "tests/iec101/IecTestSupport.h"

namespace vela {
namespace {

using iectest::MessageOf;

TEST(IecDeviceOptionsTest, StartValuesAreTheFactoryValues) {
  const TIecDeviceOptions options;
  const TIecFieldLengths lengths;
  EXPECT_EQ(options, TIecDeviceOptions::Factory());
  EXPECT_EQ(options.LinkAddressLength, static_cast<int32_t>(lengths.LinkAddressLength()));
  EXPECT_EQ(options.IoaLength, static_cast<int32_t>(lengths.IoaLength()));
  EXPECT_EQ(options.AsduFormat, 13);
  EXPECT_EQ(options.CyclicInterval, 1000);
  EXPECT_EQ(options.CommonAddress, 1);
}

TEST(IecDeviceOptionsTest, ConnectionTakesLengthsAndCommonAddress) {
  TIecDeviceOptions options;
  options.LinkAddressLength = 2;
  options.CommonAddressLength = 2;
  options.CotLength = 2;
  options.IoaLength = 3;
  options.CommonAddress = 5;
  const TIecLinkSettings link = LinkSettingsFrom(options);
  EXPECT_EQ(link.lengths.LinkAddressLength(), 2u);
  EXPECT_EQ(link.lengths.CommonAddressLength(), 2u);
  EXPECT_EQ(link.lengths.CotLength(), 2u);
  EXPECT_EQ(link.lengths.IoaLength(), 3u);
  EXPECT_EQ(link.expectedCommonAddress, 5u);
}

TEST(IecDeviceOptionsTest, AnOptionOutOfRangeRaisesItsMessage) {
  struct Case {
    int32_t TIecDeviceOptions::*field;
    int32_t value;
    const char* message;
  };
  const Case cases[] = {
      {&TIecDeviceOptions::LinkAddressLength, 3, iec_messages::kBadLinkAddressLength},
      {&TIecDeviceOptions::CommonAddressLength, 0, iec_messages::kBadCommonAddressLength},
      {&TIecDeviceOptions::CotLength, -1, iec_messages::kBadCotLength},
      {&TIecDeviceOptions::IoaLength, 4, iec_messages::kBadIoaLength},
  };
  for (const Case& c : cases) {
    TIecDeviceOptions options;
    options.*c.field = c.value;
    EXPECT_EQ(MessageOf([&] { (void)LinkSettingsFrom(options); }), c.message);
  }
}

}  // namespace
}  // namespace vela
