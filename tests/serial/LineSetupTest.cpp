// Opening a real pseudo-terminal the way an operator's machine does: as an
// ordinary user, on a line another program left in some state, without the
// right to open it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <sys/stat.h>
#include <termios.h>

#include <cerrno>
#include <cstdlib>

#include "common/ArkSysUtils.h"
#include "common/ArkTypes.h"
#include "serial/ArbitrarySpeed.h"
#include "serial/TermiosBackend.h"
#include "tests/serial/PtyPair.h"
#include "tests/serial/UnprivilegedChild.h"

namespace vela {
namespace {

using testing::PtyPair;

// Opens, configures and closes the device as the port does; the failure text
// or "ok".
std::string OpenConfigureClose(const std::string& device, const LineSettings& settings = {}) {
  try {
    TermiosBackend backend;
    backend.Open(device);
    backend.Configure(settings);
    backend.Close();
    return "ok";
  } catch (const TArkException& e) {
    return e.Message();
  }
}

TEST(LineSetup, AnOrdinaryUserOpensTheSameLineAgainAndAgain) {
  PtyPair pty;
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(pty.SlavePath().c_str(), testing::kNobody, -1), 0);
  }
  const auto result = testing::RunUnprivileged([&] {
    std::string all;
    for (int run = 0; run < 3; ++run) all += OpenConfigureClose(pty.SlavePath()) + ";";
    return all;
  });
  if (!result) GTEST_SKIP() << "cannot drop privileges to nobody here";
  EXPECT_EQ(*result, "ok;ok;ok;");
}

struct FailedSetupCase {
  const char* name;
  LineSettings settings;
};

class FailedSetupTest : public ::testing::TestWithParam<FailedSetupCase> {};

TEST_P(FailedSetupTest, LeavesTheTerminalAsItWasFound) {
  PtyPair pty;
  // Opened before the backend marks the line exclusive.
  const int observer = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(observer, 0);
  termios before{};
  ASSERT_EQ(tcgetattr(observer, &before), 0);
  TermiosBackend backend;
  backend.Open(pty.SlavePath());
  EXPECT_THROW(backend.Configure(GetParam().settings), TArkException);
  termios after{};
  ASSERT_EQ(tcgetattr(observer, &after), 0);
  ::close(observer);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
}

INSTANTIATE_TEST_SUITE_P(Failures, FailedSetupTest,
                         ::testing::Values(FailedSetupCase{"NoKernelRs485",
                                                           {38400, 8, 0, 0, RtsControl::Kernel}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct LeftoverCase {
  const char* name;
  tcflag_t termios::*field;
  tcflag_t flags;
};

class LeftoverTest : public ::testing::TestWithParam<LeftoverCase> {};

TEST_P(LeftoverTest, WhatAnotherProgramLeftOnTheLineIsCleared) {
  PtyPair pty;
  {
    const int slave = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    termios left{};
    ASSERT_EQ(tcgetattr(slave, &left), 0);
    left.*GetParam().field |= GetParam().flags;
    ASSERT_EQ(tcsetattr(slave, TCSANOW, &left), 0);
    termios check{};
    tcgetattr(slave, &check);
    ::close(slave);
    if ((check.*GetParam().field & GetParam().flags) != GetParam().flags) {
      GTEST_SKIP() << "a pseudo-terminal does not keep these flags";
    }
  }
  TermiosBackend backend;
  backend.Open(pty.SlavePath());
  backend.Configure({9600, 8, 2, 0});
  termios now{};
  ASSERT_EQ(tcgetattr(pty.Master(), &now), 0);  // the master sees the slave's setting
  EXPECT_EQ(now.*GetParam().field & GetParam().flags, 0u);
  // Octets that a translating or flow-controlled line would change pass as they are.
  const Octets octets("\r\n\x11\x13\x03\x7f", 6);
  pty.Write(octets);
  const ReadResult read = backend.Read(64, 50, {});
  EXPECT_EQ(read.data, octets);
  ASSERT_EQ(backend.WriteNow(octets).status, WriteStatus::Done);
  EXPECT_EQ(pty.Read(octets.size()), octets);
  backend.Close();
}

INSTANTIATE_TEST_SUITE_P(
    Flags, LeftoverTest,
    ::testing::Values(LeftoverCase{"MarkSpaceParity", &termios::c_cflag, CMSPAR},
                      LeftoverCase{"HardwareFlow", &termios::c_cflag, CRTSCTS},
                      LeftoverCase{"SoftwareFlow", &termios::c_iflag, IXON | IXOFF | IXANY},
                      LeftoverCase{"InputTranslation", &termios::c_iflag,
                                   ICRNL | INLCR | IGNCR | ISTRIP | PARMRK},
                      LeftoverCase{"CanonicalMode", &termios::c_lflag,
                                   ICANON | ECHO | ISIG | IEXTEN},
                      LeftoverCase{"OutputProcessing", &termios::c_oflag, OPOST | ONLCR}),
    [](const auto& info) { return std::string(info.param.name); });

struct SpeedCase {
  int baud;
  tcflag_t code;  // the speed bits the line then carries; BOTHER where there is no B-constant
};

class DeviceSpeedTest : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(DeviceSpeedTest, EverySpeedTheDeviceTakesIsSetOnTheLine) {
  PtyPair pty;
  TermiosBackend backend;
  backend.Open(pty.SlavePath());
  backend.Configure({GetParam().baud, 8, 2, 0});
  termios now{};
  ASSERT_EQ(tcgetattr(pty.Master(), &now), 0);
  EXPECT_EQ(now.c_cflag & CBAUD, GetParam().code);
  EXPECT_EQ(serial_detail::ReportedSpeed(pty.Master()), GetParam().baud);
  // Back to a classic speed from an arbitrary one.
  backend.Configure({38400, 8, 2, 0});
  ASSERT_EQ(tcgetattr(pty.Master(), &now), 0);
  EXPECT_EQ(now.c_cflag & CBAUD, tcflag_t{B38400});
  EXPECT_EQ(serial_detail::ReportedSpeed(pty.Master()), 38400);
  backend.Close();
}

constexpr tcflag_t kArbitrary = CBAUDEX;  // the kernel's BOTHER

INSTANTIATE_TEST_SUITE_P(Speeds, DeviceSpeedTest,
                         ::testing::Values(SpeedCase{9600, B9600}, SpeedCase{19200, B19200},
                                           SpeedCase{38400, B38400}, SpeedCase{57600, B57600},
                                           SpeedCase{76800, kArbitrary}, SpeedCase{115200, B115200},
                                           SpeedCase{230400, B230400}),
                         [](const auto& info) { return std::to_string(info.param.baud); });

struct AccessCase {
  const char* name;
  mode_t mode;
  bool dialoutGroup;  // the node belongs to group dialout (else tty, as ptys do)
  const char* advice;
};

class NoAccessTest : public ::testing::TestWithParam<AccessCase> {};

TEST_P(NoAccessTest, OpeningWithoutTheRightNamesTheNodeItsGroupAndTheFix) {
  PtyPair pty;
  const std::string node = pty.SlavePath();
  if (::geteuid() == 0 && GetParam().dialoutGroup) {
    ASSERT_EQ(::chown(node.c_str(), -1, 20), 0);  // Debian's dialout
  }
  // Not root: even the owner may not open a node with no owner rights.
  ASSERT_EQ(::chmod(node.c_str(), ::geteuid() == 0 ? GetParam().mode : 0060), 0);
  const auto message = testing::RunUnprivileged([&] { return OpenConfigureClose(node); });
  if (!message) GTEST_SKIP() << "cannot drop privileges to nobody here";
  EXPECT_EQ(message->rfind("Не удалось открыть порт \"" + node + "\"\r\n open(): ошибка #13: ", 0),
            0u)
      << *message;
  EXPECT_NE(message->find("(нет прав на доступ к порту)\r\n Устройство " + node + " (группа "),
            std::string::npos)
      << *message;
  if (::geteuid() == 0) {
    EXPECT_NE(message->find(GetParam().advice), std::string::npos) << *message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, NoAccessTest,
    ::testing::Values(AccessCase{"RootOnly", 0600, false, "права 0600) недоступно и группе"},
                      AccessCase{"DialoutGroup", 0660, true,
                                 "(группа dialout, права 0660) открывают члены группы dialout. "
                                 "Добавьте пользователя в эту группу: sudo usermod -aG "
                                 "dialout $USER, затем войдите в систему заново."}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
  const char* name;
  int error;
  const char* hint;
};

class FailureHintTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailureHintTest, TheFailuresAnOperatorMeetsCarryAHint) {
  PtyPair pty;
  TermiosBackend holder;
  holder.Open(pty.SlavePath());  // the line is taken: a second open is EBUSY
  const std::string node = GetParam().error == EBUSY ? pty.SlavePath() : "/dev/ttyUSB31";
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(pty.SlavePath().c_str(), testing::kNobody, -1), 0);
  }
  const auto message = testing::RunUnprivileged([&] { return OpenConfigureClose(node); });
  if (!message) GTEST_SKIP() << "cannot drop privileges to nobody here";
  EXPECT_EQ(*message, "Не удалось открыть порт \"" + node + "\"\r\n open(): " +
                          SystemErrorText(GetParam().error) + " (" + GetParam().hint + ")");
}

INSTANTIATE_TEST_SUITE_P(
    Errors, FailureHintTest,
    ::testing::Values(FailureCase{"Busy", EBUSY,
                                  "порт занят другой программой, например ModemManager"},
                      FailureCase{"Unplugged", ENOENT, "адаптер отключён от компьютера"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineSetup, TheSystemTextComesInTheUsersLanguageForMessages) {
  const char* saved = std::getenv("LC_ALL");
  const std::string before = saved ? saved : "";
  setenv("LC_ALL", "ru_RU.UTF-8", 1);
  const locale_t russian = newlocale(LC_MESSAGES_MASK, "", nullptr);
  const std::string text = SystemErrorText(EACCES);
  saved ? setenv("LC_ALL", before.c_str(), 1) : unsetenv("LC_ALL");
  if (!russian) GTEST_SKIP() << "the ru_RU.UTF-8 locale is not installed (scripts/setup)";
  freelocale(russian);
  EXPECT_EQ(text, "ошибка #13: Отказано в доступе");
  EXPECT_STREQ(setlocale(LC_NUMERIC, nullptr), "C");  // numbers keep the program's locale
}

}  // namespace
}  // namespace vela
