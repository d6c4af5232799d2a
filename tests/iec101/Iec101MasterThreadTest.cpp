// The master's receive entry used from another thread, as a port worker
// would: the chunk is handled on the GUI thread, and freeing the master while
// a worker waits in the hand-over is safe.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/HandOver.h"
#include "common/HeadlessEventLoop.h"
#include "iec101/Iec101Master.h"
#include "tests/iec101/IecTestSupport.h"

namespace vela {
namespace {

Octets Answer(uint8_t function) {
  return TArkOutPacket::Secondary(TIecFieldLengths(), function, 1, false, false).Frame();
}

class Iec101MasterThreads : public iectest::IecSettingsTest {
 protected:
  VirtualClock clock;
  HeadlessEventLoop loop{clock};
  std::unique_ptr<TArkSocket101Master> master = std::make_unique<TArkSocket101Master>(
      loop, clock, TIecLink{[](const Octets&) { return true; }, {}, {}}, lengths_, 1);
};

TEST_F(Iec101MasterThreads, ChunkFromAWorkerIsHandledOnTheGuiThread) {
  std::thread::id handledOn;
  std::atomic<int> results{0};
  master->OnLinkResult = [&](TArkSocket101Master*, TLinkResult result, const TArkInAsdu*, bool) {
    EXPECT_EQ(result, TLinkResult::lrAck);
    handledOn = std::this_thread::get_id();
    ++results;
  };
  master->ResetLink(3);
  std::thread worker([&] {
    master->ReceiveOctets(Answer(11));
    master->ReceiveOctets(Answer(0));
  });
  EXPECT_TRUE(loop.RunUntil([&] { return results.load() == 1; }, 5000));
  worker.join();
  EXPECT_EQ(handledOn, std::this_thread::get_id());
  EXPECT_TRUE(master->IsReady());
}

TEST_F(Iec101MasterThreads, FreeingServesAWaitingWorker) {
  int results = 0;
  master->OnLinkResult = [&](TArkSocket101Master*, TLinkResult, const TArkInAsdu*, bool) {
    ++results;
  };
  master->ResetLink(3);
  std::thread worker([&] { master->ReceiveOctets(Answer(11)); });
  while (handover::PendingCount() == 0) std::this_thread::yield();
  TArkSocket101Master* raw = master.release();
  delete raw;  // serves the queued chunk, which finds the master closing
  worker.join();
  EXPECT_EQ(results, 0);
}

}  // namespace
}  // namespace vela
