// The port over a scripted backend: what a pseudo-terminal cannot produce.

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <stdexcept>
#include <vector>

#include "common/ArkSysUtils.h"
#include "common/HeadlessEventLoop.h"
#include "serial/ArkComPort.h"
#include "serial/ScriptedBackend.h"

namespace vela {
namespace {

struct ErrorEvent {
  uint32_t mask;
  TComStat status;
};

class ScriptedPortTest : public ::testing::Test {
 protected:
  ScriptedPortTest() : loop_(SystemClock::Instance()) {
    auto backend = std::make_unique<ScriptedBackend>();
    backend_ = backend.get();
    port_ = std::make_unique<TArkComPort>("COM3", std::move(backend));
    port_->OnRead = [this](TArkComPort*, const Octets& data) { reads_.push_back(data); };
    port_->OnWrite = [this](TArkComPort*, const Octets& data) { writes_.push_back(data); };
    port_->OnError = [this](TArkComPort*, uint32_t mask, const TComStat& status) {
      errors_.push_back({mask, status});
    };
    port_->OnException = [this](TArkComPort*, const TArkException& e) {
      exceptions_.push_back(e.Message());
    };
  }

  bool Await(const std::function<bool()>& done) { return loop_.RunUntil(done, 3000); }

  HeadlessEventLoop loop_;
  ScriptedBackend* backend_ = nullptr;
  std::vector<Octets> reads_;
  std::vector<Octets> writes_;
  std::vector<ErrorEvent> errors_;
  std::vector<std::string> exceptions_;
  // Last, so it goes first: its destructor may still deliver an event into
  // the records above.
  std::unique_ptr<TArkComPort> port_;
};

struct LineErrorCase {
  const char* name;
  LineErrorCounters added;
  uint32_t mask;
};

class LineErrorTest : public ScriptedPortTest,
                      public ::testing::WithParamInterface<LineErrorCase> {};

TEST_P(LineErrorTest, ALineErrorIsOneErrorEventAndReadingGoesOn) {
  backend_->SetQueues({7, 3});
  port_->Open();
  backend_->PushRead(Octets("\x01\x00", 2), GetParam().added);
  backend_->PushRead("ok");
  ASSERT_TRUE(Await([&] { return !reads_.empty(); }));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].mask, GetParam().mask);
  EXPECT_EQ(errors_[0].status.cbInQue, 7u);
  EXPECT_EQ(errors_[0].status.cbOutQue, 3u);
  EXPECT_EQ(backend_->DiscardCount(), 1);
  EXPECT_EQ(reads_, (std::vector<Octets>{"ok"}));  // the damaged read is dropped
}

INSTANTIATE_TEST_SUITE_P(
    Masks, LineErrorTest,
    ::testing::Values(LineErrorCase{"Parity", {1, 0, 0, 0}, CE_RXPARITY},
                      LineErrorCase{"Framing", {0, 2, 0, 0}, CE_FRAME},
                      LineErrorCase{"Overrun", {0, 0, 1, 0}, CE_OVERRUN},
                      LineErrorCase{"QueueOverflow", {0, 0, 0, 1}, CE_RXOVER},
                      LineErrorCase{"ParityAndFraming", {3, 1, 0, 0}, CE_RXPARITY | CE_FRAME},
                      LineErrorCase{"Break", {0, 0, 0, 0, 1}, CE_BREAK},
                      LineErrorCase{"BreakWithFraming", {0, 1, 0, 0, 2}, CE_FRAME | CE_BREAK}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScriptedPortTest, ErrorsCountedBeforeAReopenAreNotReportedAgain) {
  port_->Open();
  backend_->PushRead("x", {1, 0, 0, 0});
  ASSERT_TRUE(Await([&] { return errors_.size() == 1; }));
  port_->Close();
  port_->Open();  // the backend counts from zero again
  backend_->PushRead("y");
  ASSERT_TRUE(Await([&] { return !reads_.empty(); }));
  EXPECT_EQ(errors_.size(), 1u);
}

TEST_F(ScriptedPortTest, AWriteTakenInPartsIsPendingUntilTheWorkerFinishesIt) {
  backend_->TakeAtMostPerWrite(2);
  backend_->HoldRemainders(true);
  port_->Open();
  EXPECT_TRUE(port_->Send("abcdef"));
  EXPECT_FALSE(port_->Send("second"));
  loop_.RunFor(20);
  EXPECT_TRUE(writes_.empty());
  backend_->HoldRemainders(false);
  ASSERT_TRUE(Await([&] { return !writes_.empty(); }));
  EXPECT_EQ(writes_, (std::vector<Octets>{"abcdef"}));
  EXPECT_EQ(backend_->Written(), (std::vector<Octets>{"ab", "cdef"}));
  backend_->TakeAtMostPerWrite(SIZE_MAX);
  EXPECT_TRUE(port_->Send("second"));
}

TEST_F(ScriptedPortTest, AFailedCompletionIsReportedAndFreesSend) {
  backend_->TakeAtMostPerWrite(2);
  backend_->FailRemainders(EIO);
  port_->Open();
  ASSERT_TRUE(port_->Send("abcdef"));
  ASSERT_TRUE(Await([&] { return !exceptions_.empty(); }));
  // The system's own text for the code, whatever the system.
  EXPECT_EQ(exceptions_[0],
            "Не удалось записать данные в порт\r\n write(): " + SystemErrorText(EIO));
  EXPECT_TRUE(writes_.empty());
  backend_->FailRemainders(0);
  backend_->TakeAtMostPerWrite(SIZE_MAX);
  EXPECT_TRUE(port_->Send("next"));
  EXPECT_EQ(writes_, (std::vector<Octets>{"next"}));
}

TEST_F(ScriptedPortTest, CloseEndsAPendingWriteWithoutAnEventAndFreesSend) {
  backend_->TakeAtMostPerWrite(1);
  backend_->HoldRemainders(true);
  port_->Open();
  ASSERT_TRUE(port_->Send("abc"));
  port_->Close();
  port_->Open();
  backend_->TakeAtMostPerWrite(SIZE_MAX);
  EXPECT_TRUE(port_->Send("new"));
  loop_.RunFor(30);
  EXPECT_EQ(writes_, (std::vector<Octets>{"new"}));
}

TEST_F(ScriptedPortTest, AFailedConfigurationClosesTheDeviceAgain) {
  backend_->FailConfigure("Не удалось записать настройки порта\r\n tcsetattr(): ошибка #22: x");
  EXPECT_THROW(port_->Open(), TArkException);
  EXPECT_FALSE(port_->IsOpen());
  EXPECT_FALSE(backend_->IsOpen());
  backend_->FailConfigure(std::nullopt);
  port_->Open();  // a later Open really opens
  EXPECT_TRUE(port_->IsOpen());
}

TEST_F(ScriptedPortTest, SettingsOnAClosedPortAreStoredAndAppliedByOpen) {
  port_->SetBaudRate(9600);
  port_->SetByteSize(7);
  port_->SetParity(2);
  port_->SetStopBits(2);
  EXPECT_TRUE(backend_->Configured().empty());
  EXPECT_EQ(port_->BaudRate(), 9600);
  port_->Open();
  ASSERT_EQ(backend_->Configured().size(), 1u);
  const LineSettings applied = backend_->Configured()[0];
  EXPECT_EQ(applied.baudRate, 9600);
  EXPECT_EQ(applied.byteSize, 7);
  EXPECT_EQ(applied.parity, 2);
  EXPECT_EQ(applied.stopBits, 2);
}

TEST_F(ScriptedPortTest, ARefusedSettingOnAnOpenPortKeepsTheOldValue) {
  port_->Open();
  backend_->FailConfigure("refused");
  EXPECT_THROW(port_->SetBaudRate(115200), TArkException);
  EXPECT_EQ(port_->BaudRate(), 38400);
  backend_->FailConfigure(std::nullopt);
  port_->SetBaudRate(115200);
  EXPECT_EQ(port_->BaudRate(), 115200);
  EXPECT_EQ(backend_->Configured().back().baudRate, 115200);
}

TEST_F(ScriptedPortTest, HandlerExceptionsGoToTheExceptionEvent) {
  port_->OnRead = [](TArkComPort*, const Octets& data) {
    if (data == "ark") throw TArkException("Длина ответа (3) не совпадает с ожидаемой (7)");
    throw std::runtime_error("other");
  };
  port_->Open();
  backend_->PushRead("ark");
  backend_->PushRead("std");
  ASSERT_TRUE(Await([&] { return exceptions_.size() == 2; }));
  EXPECT_EQ(exceptions_[0], "Длина ответа (3) не совпадает с ожидаемой (7)");
  EXPECT_EQ(exceptions_[1], "other");
}

TEST_F(ScriptedPortTest, AnOpenFailureLeavesThePortClosed) {
  backend_->FailNextOpen("Не удалось открыть порт \"COM3\"\r\n open(): ошибка #2: x");
  EXPECT_THROW(port_->Open(), TArkException);
  EXPECT_FALSE(port_->IsOpen());
  EXPECT_FALSE(port_->Send("x"));
}

struct NameCase {
  const char* name;
  int number;
};

class PortNameTest : public ScriptedPortTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(PortNameTest, TheNameGivesTheNumberAndIsKept) {
  port_->SetPortName(GetParam().name);
  EXPECT_EQ(port_->PortNumber(), GetParam().number);
  EXPECT_EQ(port_->PortName(), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Names, PortNameTest,
                         ::testing::Values(NameCase{"COM5", 5}, NameCase{"COM10", 10},
                                           NameCase{"COMxx", -1}, NameCase{"com3", -1},
                                           NameCase{"COM", -1}, NameCase{"CO1", -1},
                                           NameCase{"COM1a", -1}, NameCase{"COM-2", -1},
                                           NameCase{"", -1}));

TEST_F(ScriptedPortTest, SetPortNumberOnAClosedPortKeepsTheName) {
  port_->SetPortNumber(8);
  EXPECT_EQ(port_->PortNumber(), 8);
  EXPECT_EQ(port_->PortName(), "COM3");
}

TEST_F(ScriptedPortTest, AnInvalidNameOnAnOpenPortReopensAsNumberMinusOne) {
  port_->Open();
  port_->SetPortName("COMxx");
  EXPECT_EQ(port_->PortNumber(), -1);
  EXPECT_EQ(port_->PortName(), "COM-1");
  EXPECT_TRUE(port_->IsOpen());
}

// In the fast exchange a late tail still in the line must not start the next
// answer: each request first drops the receive queue; the silence rule keeps it.
class DiscardBeforeRequestTest : public ScriptedPortTest,
                                 public ::testing::WithParamInterface<bool> {};

TEST_P(DiscardBeforeRequestTest, EachRequestDropsTheInputOnlyInTheFastExchange) {
  const bool fast = GetParam();
  if (fast) port_->SetAnswerComplete([](const Octets&) { return true; });
  port_->Open();
  ASSERT_TRUE(port_->Send("one"));
  ASSERT_TRUE(port_->Send("two"));
  EXPECT_EQ(backend_->DiscardCount(), fast ? 2 : 0);
  EXPECT_EQ(backend_->Written(), (std::vector<Octets>{"one", "two"}));
}

INSTANTIATE_TEST_SUITE_P(Modes, DiscardBeforeRequestTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Fast" : "Silence"; });

}  // namespace
}  // namespace vela
