// The home folder for per-user files is never the root: a $HOME of "/", a
// relative one or none gives way to the user database's.

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "common/UserHome.h"

namespace vela {
namespace {

struct HomeCase {
  const char* name;
  const char* home;
  const char* expected;  // nullptr: the user database's home
};

class UserHomeTest : public ::testing::TestWithParam<HomeCase> {};

TEST_P(UserHomeTest, NeverTheRoot) {
  const passwd* user = ::getpwuid(::geteuid());
  const std::string database = user && std::string(user->pw_dir) != "/" ? user->pw_dir : "";
  const std::string home = UserHome(GetParam().home);
  EXPECT_EQ(home, GetParam().expected ? GetParam().expected : database);
  EXPECT_NE(home, "/");
}

INSTANTIATE_TEST_SUITE_P(Homes, UserHomeTest,
                         ::testing::Values(HomeCase{"Given", "/home/op", "/home/op"},
                                           HomeCase{"Unset", "", nullptr},
                                           HomeCase{"Root", "/", nullptr},
                                           HomeCase{"RootTwice", "//", nullptr},
                                           HomeCase{"Relative", "home/op", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela
