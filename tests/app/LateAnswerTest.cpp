// An operation stopped while its request is on the line: the port stays open
// until the answer comes, which is dropped unseen, or its time-out passes;
// with nothing on the line it closes at once.

#include <gtest/gtest.h>

#include "app/Engine.h"
#include "common/HeadlessEventLoop.h"
#include "serial/ScriptedBackend.h"

namespace vela {
namespace {

constexpr int kAnswerTimeoutMs = 400;

struct TLateAnswerCase {
  const char* name;
  TOperationKind kind;
  int stopAtMs;    // the operator stops it; -1: it ends by itself
  int answerAtMs;  // -1: the device never answers
  int closedAtMs;
};

void PrintTo(const TLateAnswerCase& c, std::ostream* os) {
  *os << c.name;
}

class LateAnswerTest : public testing::TestWithParam<TLateAnswerCase> {};

TEST_P(LateAnswerTest, PortClosesOnceTheAnswerIsNoLongerDue) {
  const TLateAnswerCase& c = GetParam();
  VirtualClock clock;
  HeadlessEventLoop loop(clock);
  TEngineSeams seams(clock, loop);
  ScriptedBackend* line = nullptr;
  seams.portFactory = [&line](const std::string& name) {
    auto backend = std::make_unique<ScriptedBackend>();
    line = backend.get();
    return std::make_unique<TArkComPort>(name, std::move(backend));
  };
  seams.responseTimeoutMs = kAnswerTimeoutMs;
  seams.awaitLateAnswer = true;
  TVelaEngine engine(std::move(seams));
  int answersTaken = 0;
  engine.OnExchange = [&](const TExchangeEvent& event) {
    answersTaken += event.kind == TExchangeEventKind::Answer ? 1 : 0;
  };
  engine.Start(c.kind);
  ASSERT_EQ(line->Written().size(), 1u);
  const auto runTo = [&](int ms) { loop.Advance(ms - static_cast<int>(clock.MonotonicMs())); };
  if (c.stopAtMs >= 0) {
    runTo(c.stopAtMs);
    engine.CancelOperation();
    EXPECT_FALSE(engine.Busy());
  }
  if (c.answerAtMs >= 0) {
    runTo(c.answerAtMs - 1);
    EXPECT_TRUE(engine.FPort->IsOpen());
    runTo(c.answerAtMs);
    line->PushRead({0x01, 0x04, 0x00});
    loop.RunUntil([&] { return !engine.FPort->IsOpen(); }, 5000);
  } else {
    runTo(c.closedAtMs - 1);
    EXPECT_TRUE(engine.FPort->IsOpen());
    runTo(c.closedAtMs);
  }
  EXPECT_FALSE(engine.FPort->IsOpen());
  EXPECT_FALSE(engine.AwaitingLateAnswer());
  EXPECT_EQ(clock.MonotonicMs(), c.closedAtMs);
  EXPECT_EQ(answersTaken, 0);
  EXPECT_EQ(line->Written().size(), 1u);  // nothing more was asked
}

// clang-format off
const TLateAnswerCase kCases[] = {
    {"answer_arrives", TOperationKind::Continuous, 100, 250, 250},
    {"answer_never_comes", TOperationKind::Continuous, 100, -1, kAnswerTimeoutMs},
    // The request timed out and ended the read: nothing is awaited any more.
    {"no_request_out", TOperationKind::ReadOnce, -1, -1, kAnswerTimeoutMs},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Stops, LateAnswerTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela
