// The advice for a port the user may not open follows the node and the
// user's standing in its group: join it, log in again, or (a node for root
// alone) a udev rule or chmod.

#include <gtest/gtest.h>

#include "serial/PortFailures.h"

namespace vela {
namespace {

struct AdviceCase {
  const char* name;
  bool groupMayUse;
  TGroupStanding standing;
  const char* advice;  // a part of it
  const char* notSaid;
};

class AccessAdviceTest : public ::testing::TestWithParam<AdviceCase> {};

TEST_P(AccessAdviceTest, MatchesTheNodeAndTheSession) {
  const TNodeAccess node{
      "/dev/ttyUSB0", "dialout",
      GetParam().groupMayUse ? "группа dialout, права 0660" : "группа root, права 0600",
      GetParam().groupMayUse};
  const std::string advice = AccessAdviceFor(node, GetParam().standing);
  EXPECT_NE(advice.find(GetParam().advice), std::string::npos) << advice;
  EXPECT_EQ(advice.find(GetParam().notSaid), std::string::npos) << advice;
}

INSTANTIATE_TEST_SUITE_P(
    Standings, AccessAdviceTest,
    ::testing::Values(
        AdviceCase{"NotInGroup", true, TGroupStanding::Outside,
                   "открывают члены группы dialout. Добавьте пользователя в эту группу: sudo "
                   "usermod -aG dialout $USER, затем войдите в систему заново.",
                   "newgrp"},
        AdviceCase{"JoinedAfterLogin", true, TGroupStanding::ListedOnly,
                   "Пользователь уже в этой группе, но текущий сеанс начат раньше: войдите в "
                   "систему заново (или выполните newgrp dialout).",
                   "usermod"},
        AdviceCase{"InGroupNow", true, TGroupStanding::InSession,
                   "и пользователь в ней; доступ закрыт иначе (списки доступа: getfacl "
                   "/dev/ttyUSB0).",
                   "usermod"},
        AdviceCase{"RootOnlyOutside", false, TGroupStanding::Outside,
                   "права 0600) недоступно и группе. Доступ даёт правило udev или "
                   "администратор (sudo chmod 0660 /dev/ttyUSB0).",
                   "usermod"},
        AdviceCase{"RootOnlyInSession", false, TGroupStanding::InSession,
                   "(sudo chmod 0660 /dev/ttyUSB0)", "newgrp"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela
