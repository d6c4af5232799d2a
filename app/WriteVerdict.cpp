#include "app/WriteVerdict.h"

#include <algorithm>

#include "app/JobCodes.h"

namespace vela {
namespace {

// Words of a block that a read-back cannot compare: the link block's serial
// number (words 10 and 11) is the factory's and ignores writes.
bool WordComparable(uint8_t setJob, size_t word) {
  return !(setJob == jobSetLinkPrm && (word == 10 || word == 11));
}

bool Contains(const std::vector<uint8_t>& jobs, uint8_t job) {
  return std::find(jobs.begin(), jobs.end(), job) != jobs.end();
}

// The device holds what the job sent: true, false, or nothing when the
// block was not read back.
int HoldsSent(const TWriteEvidence& evidence, uint8_t job) {
  const auto sent = evidence.sent.find(job);
  const auto read = evidence.readBack.find(job);
  if (sent == evidence.sent.end() || read == evidence.readBack.end()) return -1;
  if (sent->second.size() != read->second.size()) return -1;
  for (size_t i = 0; i < sent->second.size(); ++i) {
    if (WordComparable(job, i) && sent->second[i] != read->second[i]) return 0;
  }
  return 1;
}

TWriteState FinalizeState(const TWriteEvidence& evidence) {
  if (!evidence.linkMoves) return TWriteState::Unknown;
  switch (evidence.answeredOn) {
    case TReadBackLink::New:
      return TWriteState::Written;
    case TReadBackLink::Previous:
      return TWriteState::NotWritten;
    case TReadBackLink::None:
      break;
  }
  return TWriteState::Unknown;
}

}  // namespace

const char* WriteStateText(TWriteState state) {
  switch (state) {
    case TWriteState::Written:
      return "записан";
    case TWriteState::NotWritten:
      return "не записан";
    case TWriteState::Unknown:
      return "неизвестно";
  }
  return "";
}

std::vector<TWrittenBlock> JudgeWrite(const TWriteEvidence& evidence) {
  std::vector<TWrittenBlock> blocks;
  for (const uint8_t job : evidence.setJobs) {
    const TBlockResult* result = evidence.requests ? evidence.requests->Block(job) : nullptr;
    TWriteState state = TWriteState::NotWritten;
    if (result && result->taken) {
      state = TWriteState::Written;
    } else if (result && result->sent) {
      // A refusal (exception answer) means the device did not take it, unless
      // an earlier attempt went unanswered.
      const bool refused = result->exceptionCode != 0 && !Contains(evidence.maybeTaken, job);
      state = refused ? TWriteState::NotWritten : TWriteState::Unknown;
      if (state == TWriteState::Unknown) {
        if (job == jobFinalizePrm) {
          state = FinalizeState(evidence);
        } else if (const int holds = HoldsSent(evidence, job); holds >= 0) {
          state = holds ? TWriteState::Written : TWriteState::NotWritten;
        }
      }
    }
    blocks.push_back({job, state});
  }
  return blocks;
}

}  // namespace vela
