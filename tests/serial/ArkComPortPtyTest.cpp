// The port against a real pseudo-terminal, in real time (kept short).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

#include "common/HandOver.h"
#include "common/HeadlessEventLoop.h"
#include "serial/ArkComPort.h"
#include "tests/serial/PtyPair.h"

namespace vela {
namespace {

using testing::PortsFolder;
using testing::PtyPair;

void Pause(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class PtyPortTest : public ::testing::Test {
 protected:
  PtyPortTest() : loop_(SystemClock::Instance()) {
    folder_.Link("COM201", pty_.SlavePath());
    port_ = std::make_unique<TArkComPort>("COM201");
    port_->OnRead = [this](TArkComPort*, const Octets& data) { reads_.push_back(data); };
    port_->OnWrite = [this](TArkComPort*, const Octets& data) { writes_.push_back(data); };
    port_->OnError = [this](TArkComPort*, uint32_t, const TComStat&) { ++errors_; };
    port_->OnException = [this](TArkComPort*, const TArkException& e) {
      exceptions_.push_back(e.Message());
    };
  }

  size_t ReadOctets() const {
    size_t total = 0;
    for (const auto& read : reads_) total += read.size();
    return total;
  }
  bool WaitForOctets(size_t n) {
    return loop_.RunUntil([&] { return ReadOctets() >= n; }, 3000);
  }
  // Lets a read that would complete do so, and serves its hand-over.
  void Settle() { loop_.RunFor(150); }

  PortsFolder folder_;
  PtyPair pty_;
  HeadlessEventLoop loop_;
  std::vector<Octets> reads_;
  std::vector<Octets> writes_;
  int errors_ = 0;
  std::vector<std::string> exceptions_;
  // Last, so it goes first: its destructor may still deliver an event into
  // the records above.
  std::unique_ptr<TArkComPort> port_;
};

TEST_F(PtyPortTest, OctetsWithShortGapsComeAsOneRead) {
  port_->Open();
  for (const Octets& part : {Octets("\x01\x03", 2), Octets("\x00\x10", 2), Octets("\xFF")}) {
    pty_.Write(part);
    Pause(10);
  }
  ASSERT_TRUE(WaitForOctets(5));
  Settle();
  ASSERT_EQ(reads_.size(), 1u);
  EXPECT_EQ(reads_[0], Octets("\x01\x03\x00\x10\xFF", 5));
}

TEST_F(PtyPortTest, AGapLongerThanTheSilenceSplitsTheRead) {
  port_->Open();
  pty_.Write("abc");
  Pause(150);
  pty_.Write("de");
  ASSERT_TRUE(WaitForOctets(5));
  Settle();
  EXPECT_EQ(reads_, (std::vector<Octets>{"abc", "de"}));
}

TEST_F(PtyPortTest, AStreamLongerThanTheBufferComesInReadsOfAtMost1024) {
  port_->Open();
  std::string stream(1500, '\0');
  std::iota(stream.begin(), stream.end(), '\0');
  pty_.Write(stream);
  ASSERT_TRUE(WaitForOctets(stream.size()));
  Settle();
  ASSERT_GE(reads_.size(), 2u);
  std::string joined;
  for (const auto& read : reads_) {
    EXPECT_LE(read.size(), TArkComPort::kReadBufferSize);
    joined += read;
  }
  EXPECT_EQ(joined, stream);
}

TEST_F(PtyPortTest, EachSendIsReportedByOneWriteAndReachesTheLine) {
  port_->Open();
  const Octets request("\x01\x04\x00\x01", 4);
  EXPECT_TRUE(port_->Send(request));
  EXPECT_EQ(pty_.Read(4), request);
  EXPECT_TRUE(port_->Send("second"));
  EXPECT_EQ(pty_.Read(6), "second");
  Settle();
  EXPECT_EQ(writes_, (std::vector<Octets>{request, "second"}));
}

TEST_F(PtyPortTest, AWriteTheDriverCannotTakeAtOnceStaysPendingUntilDone) {
  port_->Open();
  const std::string big(256 * 1024, 'w');
  ASSERT_TRUE(port_->Send(big));
  EXPECT_FALSE(port_->Send("x"));  // the far end has not read: still pending
  EXPECT_EQ(pty_.Read(big.size(), 5000).size(), big.size());
  ASSERT_TRUE(loop_.RunUntil([&] { return !writes_.empty(); }, 3000));
  Settle();
  ASSERT_EQ(writes_.size(), 1u);
  EXPECT_EQ(writes_[0].size(), big.size());
  EXPECT_TRUE(port_->Send("x"));
}

TEST_F(PtyPortTest, SendIsRefusedOnAClosedPortAndForEmptyData) {
  EXPECT_FALSE(port_->Send("abc"));
  port_->Open();
  EXPECT_FALSE(port_->Send(""));
  Settle();
  EXPECT_TRUE(writes_.empty());
}

TEST_F(PtyPortTest, OpenAndCloseTwiceDoNothingMore) {
  port_->Open();
  port_->Open();
  EXPECT_TRUE(port_->IsOpen());
  port_->Close();
  port_->Close();
  EXPECT_FALSE(port_->IsOpen());
}

TEST_F(PtyPortTest, CloseDuringAReadDropsItAndTheNextOpenReadsAfresh) {
  port_->Open();
  pty_.Write("old");
  Pause(10);  // the worker is now collecting, waiting for the silence
  port_->Close();
  Settle();
  EXPECT_TRUE(reads_.empty());
  EXPECT_EQ(errors_, 0);
  port_->Open();
  pty_.Write("new");
  ASSERT_TRUE(WaitForOctets(3));
  Settle();
  EXPECT_EQ(reads_, (std::vector<Octets>{"new"}));
}

TEST_F(PtyPortTest, NewNameOnAnOpenPortReopensUnderIt) {
  PtyPair other;
  folder_.Link("COM202", other.SlavePath());
  port_->Open();
  port_->SetPortName("COM202");
  EXPECT_TRUE(port_->IsOpen());
  EXPECT_EQ(port_->PortName(), "COM202");
  EXPECT_EQ(port_->PortNumber(), 202);
  other.Write("from 202");
  ASSERT_TRUE(WaitForOctets(8));
  EXPECT_EQ(reads_, (std::vector<Octets>{"from 202"}));
}

TEST_F(PtyPortTest, TheFarEndHangingUpIsReportedOnceAndReadingStops) {
  port_->Open();
  pty_.CloseMaster();
  ASSERT_TRUE(loop_.RunUntil([&] { return !exceptions_.empty(); }, 3000));
  Settle();
  ASSERT_EQ(exceptions_.size(), 1u);
  EXPECT_EQ(exceptions_[0].rfind("Не удалось прочитать данные из порта\r\n read(): ошибка #5", 0),
            0u)
      << exceptions_[0];
}

TEST_F(PtyPortTest, TeardownWhileTheWorkerWaitsInAHandOverEnds) {
  bool handled = false;
  port_->OnRead = [&](TArkComPort*, const Octets&) { handled = true; };
  port_->Open();
  pty_.Write("pending");
  // Not serving the loop: the worker blocks handing the read over.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (handover::PendingCount() == 0 && std::chrono::steady_clock::now() < end) Pause(5);
  ASSERT_EQ(handover::PendingCount(), 1);
  port_.reset();  // returns, and the owner's handler is not run any more
  EXPECT_FALSE(handled);
  EXPECT_EQ(handover::PendingCount(), 0);
}

// The fast exchange: "abc" is a whole answer and "de" follows well within the
// silence. Only a test that accepts "abc" delivers it on its own.
enum class AnswerTest { kNone, kAccepting, kRefusing };

std::string AnswerTestName(AnswerTest mode) {
  static const char* const kNames[] = {"NoTest", "Accepting", "Refusing"};
  return kNames[static_cast<int>(mode)];
}

class PtyFastExchangeTest : public PtyPortTest, public ::testing::WithParamInterface<AnswerTest> {};

TEST_P(PtyFastExchangeTest, AWholeAnswerComesAtOnceOnlyWhenTheTestAcceptsIt) {
  const AnswerTest mode = GetParam();
  std::atomic<bool> accepted{false};
  if (mode != AnswerTest::kNone) {
    port_->SetAnswerComplete([&, mode](const Octets& received) {
      if (mode == AnswerTest::kRefusing || received != "abc") return false;
      accepted = true;
      return true;
    });
  }
  EXPECT_EQ(port_->FastExchange(), mode != AnswerTest::kNone);
  port_->Open();
  pty_.Write("abc");
  if (mode == AnswerTest::kAccepting) {
    // "de" is written once the worker has ended its read on "abc".
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!accepted && std::chrono::steady_clock::now() < end) Pause(1);
  } else {
    Pause(10);
  }
  pty_.Write("de");
  ASSERT_TRUE(WaitForOctets(5));
  Settle();
  if (mode == AnswerTest::kAccepting) {
    EXPECT_EQ(reads_, (std::vector<Octets>{"abc", "de"}));
  } else {
    EXPECT_EQ(reads_, (std::vector<Octets>{"abcde"}));
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, PtyFastExchangeTest,
                         ::testing::Values(AnswerTest::kNone, AnswerTest::kAccepting,
                                           AnswerTest::kRefusing),
                         [](const auto& info) { return AnswerTestName(info.param); });

struct Frame {
  const char* name;
  uint8_t byteSize, parity, stopBits;
};

class PtyFrameTest : public ::testing::TestWithParam<std::tuple<Frame, int>> {};

// A pseudo-terminal cannot carry parity or 7-bit frames; the port must still
// open with every frame and speed the program offers and carry octets.
TEST_P(PtyFrameTest, EveryOfferedFrameAndSpeedOpensAndCarriesOctets) {
  const auto [frame, baud] = GetParam();
  PortsFolder folder;
  PtyPair pty;
  folder.Link("COM7", pty.SlavePath());
  HeadlessEventLoop loop(SystemClock::Instance());
  TArkComPort port("COM7");
  Octets received;
  port.OnRead = [&](TArkComPort*, const Octets& data) { received += data; };
  port.SetBaudRate(baud);
  port.SetByteSize(frame.byteSize);
  port.SetParity(frame.parity);
  port.SetStopBits(frame.stopBits);
  ASSERT_NO_THROW(port.Open());
  ASSERT_TRUE(port.Send("ping"));
  EXPECT_EQ(pty.Read(4), "ping");
  pty.Write("pong");
  EXPECT_TRUE(loop.RunUntil([&] { return received == "pong"; }, 3000));
  // Changing the frame on the open port works too.
  EXPECT_NO_THROW(port.SetParity(frame.parity == 2 ? 1 : 2));
}

INSTANTIATE_TEST_SUITE_P(
    Frames, PtyFrameTest,
    ::testing::Combine(::testing::Values(Frame{"8E1", 8, 2, 0}, Frame{"8O1", 8, 1, 0},
                                         Frame{"8N2", 8, 0, 2}, Frame{"7E1", 7, 2, 0},
                                         Frame{"7O1", 7, 1, 0}, Frame{"7N2", 7, 0, 2}),
                       ::testing::Values(9600, 38400, 115200)),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + "_" +
             std::to_string(std::get<1>(info.param));
    });

TEST(PtyPortOpen, AnUnknownNameFailsWithTheOpenMessage) {
  PortsFolder folder;
  TArkComPort port("COMxx");
  EXPECT_EQ(port.PortNumber(), -1);
  try {
    port.Open();
    FAIL() << "opened";
  } catch (const TArkException& e) {
    EXPECT_EQ(e.Message(),
              "Не удалось открыть порт \"COMxx\"\r\n open(): ошибка #2: No such file or directory");
  }
  EXPECT_FALSE(port.IsOpen());
}

TEST(PtyPortOpen, ALinkToSomethingThatIsNoTerminalIsRefused) {
  PortsFolder folder;
  folder.Link("COM9", "/dev/null");
  TArkComPort port("COM9");
  EXPECT_THROW(port.Open(), TArkException);
  EXPECT_FALSE(port.IsOpen());
}

}  // namespace
}  // namespace vela
