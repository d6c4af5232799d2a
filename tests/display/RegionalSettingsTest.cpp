#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>

#include "common/DateTime.h"
#include "display/RegionalSettings.h"

namespace vela {
namespace {

struct LocaleCase {
  const char* locale;
  const char* number;  // -1234.5 as "%.2f"
  const char* morning;
  const char* evening;
};

class RegionalSettingsTest : public ::testing::TestWithParam<LocaleCase> {};

// The formats come from the C library's locale data: a locale that is not
// generated on this machine (scripts/setup generates ru_RU, en_US and de_DE)
// cannot be checked.
TEST_P(RegionalSettingsTest, NumberDateAndTimeOfTheLocale) {
  if (!LocaleInstalled(GetParam().locale)) {
    GTEST_SKIP() << "locale " << GetParam().locale << " is not installed (locale-gen)";
  }
  const TRegionalSettings regional = RegionalSettingsOfLocale(GetParam().locale, GetParam().locale);
  EXPECT_EQ(FormatFixed(-1234.5, "%.2f", regional), GetParam().number);
  EXPECT_EQ(FormatDateTime(EncodeDateTime(2026, 3, 7, 9, 5, 3), regional), GetParam().morning);
  EXPECT_EQ(FormatDateTime(EncodeDateTime(2026, 3, 7, 21, 5, 3), regional), GetParam().evening);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, RegionalSettingsTest,
    ::testing::Values(
        LocaleCase{"ru_RU.UTF-8", "-1234,50", "07.03.2026 09:05:03", "07.03.2026 21:05:03"},
        LocaleCase{"ru_RU", "-1234,50", "07.03.2026 09:05:03", "07.03.2026 21:05:03"},
        LocaleCase{"de_DE.UTF-8@euro", "-1234,50", "07.03.2026 09:05:03", "07.03.2026 21:05:03"},
        LocaleCase{"de_CH.UTF-8", "-1234.50", "07.03.2026 09:05:03", "07.03.2026 21:05:03"},
        LocaleCase{"en_US.UTF-8", "-1234.50", "03/07/2026 09:05:03 AM", "03/07/2026 09:05:03 PM"},
        LocaleCase{"en_GB.UTF-8", "-1234.50", "07/03/26 09:05:03", "07/03/26 21:05:03"},
        LocaleCase{"fr_FR.UTF-8", "-1234,50", "07/03/2026 09:05:03", "07/03/2026 21:05:03"},
        LocaleCase{"sv_SE.UTF-8", "-1234,50", "2026-03-07 09:05:03", "2026-03-07 21:05:03"},
        LocaleCase{"C", "-1234.50", "03/07/26 09:05:03", "03/07/26 21:05:03"},
        LocaleCase{"C.UTF-8", "-1234.50", "03/07/26 09:05:03", "03/07/26 21:05:03"},
        LocaleCase{"", "-1234.50", "03/07/26 09:05:03", "03/07/26 21:05:03"}));

TEST(RegionalFormatTest, ALocaleThatIsNotInstalledGivesTheFormatsOfC) {
  EXPECT_EQ(RegionalSettingsOfLocale("xx_YY.UTF-8", "xx_YY.UTF-8"),
            RegionalSettingsOfLocale("C", "C"));
}

TEST(RegionalFormatTest, MidnightAndNoonOnATwelveHourClock) {
  if (!LocaleInstalled("en_US.UTF-8")) GTEST_SKIP() << "locale en_US.UTF-8 is not installed";
  const TRegionalSettings us = RegionalSettingsOfLocale("en_US", "en_US");
  EXPECT_EQ(FormatDateTime(EncodeDateTime(2026, 1, 2, 0, 30, 0), us), "01/02/2026 12:30:00 AM");
  EXPECT_EQ(FormatDateTime(EncodeDateTime(2026, 1, 2, 12, 0, 0), us), "01/02/2026 12:00:00 PM");
}

TEST(RegionalFormatTest, FormatsAreFixedPointWithTheirDecimals) {
  const TRegionalSettings c = RegionalSettingsOfLocale("C", "C");
  EXPECT_EQ(FormatFixed(50.0125, "%.3f", c), "50.013");  // nearest, like printf
  EXPECT_EQ(FormatFixed(0.98, "%.4f", c), "0.9800");
  EXPECT_EQ(FormatFixed(-0.04, "%.1f", c), "-0.0");
  EXPECT_EQ(FormatFixed(2.5, "%.0f", c), "2");
  EXPECT_EQ(FormatFixed(2.5, "%d", c), "2.50");  // not a fixed-point format
}

// Sets locale variables for one test and restores them afterwards.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(std::map<std::string, std::optional<std::string>> values) {
    for (const auto& [name, value] : values) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
      Set(name, value);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) Set(name, value);
  }

 private:
  static void Set(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(RegionalEnvironmentTest, LcAllOverridesCategoryVariablesWhichOverrideLang) {
  for (const char* name : {"ru_RU.UTF-8", "de_DE.UTF-8", "en_US.UTF-8"}) {
    if (!LocaleInstalled(name)) GTEST_SKIP() << "locale " << name << " is not installed";
  }
  {
    ScopedEnvironment env({{"LC_ALL", std::nullopt},
                           {"LC_NUMERIC", "de_DE.UTF-8"},
                           {"LC_TIME", std::nullopt},
                           {"LANG", "en_US.UTF-8"}});
    const TRegionalSettings r = RegionalSettingsFromEnvironment();
    EXPECT_EQ(r.DecimalSeparator, ',');
    EXPECT_EQ(r.DateOrder, TDateOrder::MonthDayYear);
  }
  {
    ScopedEnvironment env({{"LC_ALL", "ru_RU.UTF-8"},
                           {"LC_NUMERIC", "en_US.UTF-8"},
                           {"LC_TIME", "en_US.UTF-8"},
                           {"LANG", "en_US.UTF-8"}});
    EXPECT_EQ(RegionalSettingsFromEnvironment(),
              RegionalSettingsOfLocale("ru_RU.UTF-8", "ru_RU.UTF-8"));
  }
  {
    ScopedEnvironment env({{"LC_ALL", ""},
                           {"LC_NUMERIC", std::nullopt},
                           {"LC_TIME", "ru_RU"},
                           {"LANG", std::nullopt}});
    const TRegionalSettings r = RegionalSettingsFromEnvironment();
    EXPECT_EQ(r.DecimalSeparator, '.');
    EXPECT_EQ(r.DateOrder, TDateOrder::DayMonthYear);
  }
}

}  // namespace
}  // namespace vela
