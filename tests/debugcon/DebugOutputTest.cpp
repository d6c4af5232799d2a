// The debug output on real sockets: delivery, dropping, reconnection, data
// from the viewer, a full socket, and teardown.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "common/ArkTypes.h"
#include "common/HandOver.h"
#include "common/HeadlessEventLoop.h"
#include "debugcon/ArkDbgCon.h"
#include "tests/debugcon/ConsoleTestSupport.h"

namespace vela {
namespace {

using testing::RawViewer;
using testing::TempDir;

constexpr int64_t kGuardMs = 5000;  // only a guard against a hanging test

class DebugOutputTest : public ::testing::Test {
 protected:
  std::unique_ptr<RawViewer> ConnectViewer(TArkPipeBase& output) {
    auto viewer = std::make_unique<RawViewer>(output.SocketPath());
    EXPECT_TRUE(loop.RunUntil([&] { return output.Connected(); }, kGuardMs));
    return viewer;
  }

  VirtualClock clock;
  HeadlessEventLoop loop{clock};
  TempDir dir;
};

TEST_F(DebugOutputTest, ConnectedViewerReceivesEachTextAsOneMessageInOrder) {
  TArkDebugOutput output(kDebugConsoleName, dir.Path());
  std::vector<std::string> written;
  output.SetOnWrite([&](TArkPipeBase&, const std::string& text) { written.push_back(text); });
  auto viewer = ConnectViewer(output);
  const std::vector<std::string> texts = {
      " Wr: 010400000002700B",
      "    <Чтение выполнено.>",
      "x",
      "Обнаружены ошибки формата данных.\r\nВероятная причина: конфликт логических адресов.",
      std::string("with\0zero", 9),
      std::string(5000, 'A'),
  };
  for (const std::string& text : texts) EXPECT_TRUE(output.Send(text));
  for (const std::string& text : texts) EXPECT_EQ(viewer->Receive(), text);
  EXPECT_EQ(written, texts);
}

TEST_F(DebugOutputTest, TextsWithoutViewerAndEmptyTextsAreDropped) {
  TArkDebugOutput output(kDebugConsoleName, dir.Path());
  EXPECT_FALSE(output.Connected());
  EXPECT_FALSE(output.Send("lost before the viewer"));
  auto viewer = ConnectViewer(output);
  EXPECT_FALSE(output.Send(""));
  EXPECT_TRUE(output.Send("first after connect"));
  EXPECT_EQ(viewer->Receive(), "first after connect");
  EXPECT_FALSE(viewer->HasMessage());
}

TEST_F(DebugOutputTest, ViewerThatReconnectsReceivesTracesAgain) {
  TArkDebugOutput output(kDebugConsoleName, dir.Path());
  const auto gui = std::this_thread::get_id();
  int connects = 0;
  int disconnects = 0;
  bool handlersOnGuiThread = true;
  output.SetOnConnect([&](TArkPipeBase&) {
    ++connects;
    handlersOnGuiThread &= std::this_thread::get_id() == gui;
  });
  output.SetOnDisconnect([&](TArkPipeBase&) {
    ++disconnects;
    handlersOnGuiThread &= std::this_thread::get_id() == gui;
  });
  for (int round = 1; round <= 3; ++round) {
    auto viewer = ConnectViewer(output);
    const std::string text = "round " + std::to_string(round);
    EXPECT_TRUE(output.Send(text));
    EXPECT_EQ(viewer->Receive(), text);
    viewer.reset();
    EXPECT_TRUE(loop.RunUntil([&] { return !output.Connected(); }, kGuardMs));
    EXPECT_FALSE(output.Send("nobody listens"));
  }
  EXPECT_TRUE(loop.RunUntil([&] { return disconnects == 3; }, kGuardMs));
  EXPECT_EQ(connects, 3);
  EXPECT_TRUE(handlersOnGuiThread);
}

struct ViewerInput {
  const char* name;
  std::vector<std::string> messages;
  std::vector<size_t> partSizes;  // as OnRead sees them
};

class ViewerInputTest : public DebugOutputTest,
                        public ::testing::WithParamInterface<ViewerInput> {};

TEST_P(ViewerInputTest, IsReadAndDiscardedWithoutDisturbingTraces) {
  TArkDebugOutput output(kDebugConsoleName, dir.Path());
  std::vector<size_t> parts;
  output.SetOnRead([&](TArkPipeBase&, const std::string& data) { parts.push_back(data.size()); });
  auto viewer = ConnectViewer(output);
  for (const std::string& message : GetParam().messages) viewer->SendText(message);
  // Messages are read in order: once the closing one is seen, all are.
  viewer->SendText("#");
  std::vector<size_t> expected = GetParam().partSizes;
  expected.push_back(1);
  EXPECT_TRUE(loop.RunUntil([&] { return parts.size() >= expected.size(); }, kGuardMs));
  EXPECT_EQ(parts, expected);
  EXPECT_TRUE(output.Connected());
  EXPECT_TRUE(output.Send("trace"));
  EXPECT_EQ(viewer->Receive(), "trace");
  EXPECT_FALSE(viewer->HasMessage());
}

INSTANTIATE_TEST_SUITE_P(
    DebugOutput, ViewerInputTest,
    ::testing::Values(ViewerInput{"Short", {"hello"}, {5}},
                      ViewerInput{"Several", {"a", "bc", "def"}, {1, 2, 3}},
                      ViewerInput{"Empty", {"", "z"}, {1}},
                      ViewerInput{"ExactlyOneBuffer", {std::string(4096, 'q')}, {4096}},
                      ViewerInput{
                          "LongerThanTheBuffer", {std::string(10000, 'q')}, {4096, 4096, 1808}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DebugOutputTest, FullSocketKeepsOneWritePendingAndRecovers) {
  TArkDebugOutput output(kDebugConsoleName, dir.Path());
  auto viewer = ConnectViewer(output);
  // The viewer reads nothing: the socket fills and one write stays pending.
  std::vector<std::string> accepted;
  for (int i = 0; i < 100000; ++i) {
    const std::string text = "burst " + std::to_string(i);
    if (!output.Send(text)) break;
    accepted.push_back(text);
  }
  ASSERT_LT(accepted.size(), 100000u);
  for (int i = 0; i < 10; ++i) EXPECT_FALSE(output.Send("dropped while pending"));

  std::vector<std::string> received;
  while (received.size() < accepted.size()) {
    const std::optional<std::string> message = viewer->Receive();
    if (!message) break;
    received.push_back(*message);
  }
  EXPECT_EQ(received, accepted);  // the pending text arrives, nothing else
  EXPECT_TRUE(loop.RunUntil([&] { return output.Send("after the burst"); }, kGuardMs));
  EXPECT_EQ(viewer->Receive(), "after the burst");
}

TEST_F(DebugOutputTest, AViewerThatFellBehindIsToldHowManyTextsItMissed) {
  TArkDebugOutput output(kDebugConsoleName, dir.Path());
  auto viewer = ConnectViewer(output);
  size_t accepted = 0;
  while (output.Send("burst " + std::to_string(accepted))) ++accepted;
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(output.Send("dropped"));
  for (size_t i = 0; i < accepted; ++i) ASSERT_TRUE(viewer->Receive());
  // The refused text that found the write pending counts as well: 1 + 4.
  EXPECT_TRUE(loop.RunUntil([&] { return output.Send("after the burst"); }, kGuardMs));
  EXPECT_EQ(viewer->Receive(), "after the burst");
  EXPECT_EQ(viewer->Receive(),
            "    <Пропущено сообщений трассировки: 5 (консоль не успевала их читать)>");
}

TEST_F(DebugOutputTest, ASecondViewerIsToldTheConsoleIsTakenAndLetGo) {
  TArkDebugOutput output(kDebugConsoleName, dir.Path());
  auto first = ConnectViewer(output);
  RawViewer second(output.SocketPath());
  const std::optional<std::string> refusal = second.Receive();
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->rfind(std::string(1, TArkPipeBase::kRefusalMark) + "К программе VelaLink", 0),
            0u)
      << *refusal;
  EXPECT_NE(refusal->find("уже подключена другая консоль"), std::string::npos);
  EXPECT_EQ(second.Receive(), "<EOF>");
  ASSERT_TRUE(output.Send("still the first's"));
  EXPECT_EQ(first->Receive(), "still the first's");
}

TEST_F(DebugOutputTest, ListenWhileConnectedRaises) {
  TArkDebugOutput output(kDebugConsoleName, dir.Path());
  output.Listen();  // already listening: nothing happens
  auto viewer = ConnectViewer(output);
  try {
    output.Listen();
    FAIL() << "Listen while connected must raise";
  } catch (const TArkException& e) {
    EXPECT_EQ(e.Message(), "PIPE уже открыт");
  }
}

TEST_F(DebugOutputTest, DestructionWithConnectedViewerEndsItsConnection) {
  auto output = std::make_unique<TArkDebugOutput>(kDebugConsoleName, dir.Path());
  const std::string path = output->SocketPath();
  auto viewer = ConnectViewer(*output);
  EXPECT_TRUE(output->Send("last words"));
  output.reset();
  EXPECT_EQ(viewer->Receive(), "last words");
  EXPECT_EQ(viewer->Receive(), "<EOF>");
  struct stat st {};
  EXPECT_NE(::lstat(path.c_str(), &st), 0) << "the socket file must go";
}

TEST_F(DebugOutputTest, DestructionServesAHandOverTheWorkerIsBlockedIn) {
  auto output = std::make_unique<TArkDebugOutput>(kDebugConsoleName, dir.Path());
  bool connectHandled = false;
  output->SetOnConnect([&](TArkPipeBase&) { connectHandled = true; });
  RawViewer viewer(output->SocketPath());
  // Nothing drains the hand-over queue: the worker waits in OnConnect's
  // hand-over until the destructor serves it.
  const auto guard = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGuardMs);
  while (handover::PendingCount() == 0 && std::chrono::steady_clock::now() < guard) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(handover::PendingCount(), 1);
  output.reset();
  EXPECT_TRUE(connectHandled);
  EXPECT_EQ(handover::PendingCount(), 0);
}

}  // namespace
}  // namespace vela
