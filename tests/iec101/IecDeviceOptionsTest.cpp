#include <gtest/gtest.h>

#include "iec101/IecDeviceOptions.h"
#include "iec101/IecMessages.h"
#include "iec101/IecSettings.h"
#include "tests/iec101/IecTestSupport.h"

namespace vela {
namespace {

using iectest::MessageOf;

class IecDeviceOptionsTest : public iectest::IecSettingsTest {
 protected:
  ~IecDeviceOptionsTest() override { IecDeviceOptions() = TIecDeviceOptions::Factory(); }
};

TEST_F(IecDeviceOptionsTest, StartValuesAreTheFactoryValues) {
  const TIecDeviceOptions& options = IecDeviceOptions();
  EXPECT_EQ(options, TIecDeviceOptions::Factory());
  EXPECT_EQ(options.LinkAddressLength, static_cast<int32_t>(LinkAddressLength()));
  EXPECT_EQ(options.IoaLength, static_cast<int32_t>(IoaLength()));
  EXPECT_EQ(options.AsduFormat, 13);
  EXPECT_EQ(options.CyclicInterval, 1000);
  EXPECT_EQ(options.CommonAddress, 1);
}

TEST_F(IecDeviceOptionsTest, EnteringIecModeCopiesLengthsAndCommonAddress) {
  TIecDeviceOptions options;
  options.LinkAddressLength = 2;
  options.CommonAddressLength = 2;
  options.CotLength = 2;
  options.IoaLength = 3;
  options.CommonAddress = 5;
  ApplyIecDeviceOptionsToConnection(options);
  EXPECT_EQ(LinkAddressLength(), 2u);
  EXPECT_EQ(CommonAddressLength(), 2u);
  EXPECT_EQ(CotLength(), 2u);
  EXPECT_EQ(IoaLength(), 3u);
  EXPECT_EQ(ExpectedCommonAddress(), 5u);
}

TEST_F(IecDeviceOptionsTest, AnOptionOutOfRangeChangesNothing) {
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
  SetExpectedCommonAddress(9);
  for (const Case& c : cases) {
    TIecDeviceOptions options;
    options.LinkAddressLength = 0;  // would change if applied
    options.CommonAddress = 5;
    options.*c.field = c.value;
    EXPECT_EQ(MessageOf([&] { ApplyIecDeviceOptionsToConnection(options); }), c.message);
    EXPECT_EQ(LinkAddressLength(), 1u);
    EXPECT_EQ(ExpectedCommonAddress(), 9u);
  }
}

}  // namespace
}  // namespace vela
