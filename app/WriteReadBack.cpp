// A settings write that ended before its last block (no answer, a refusal,
// Escape, a signal): the program reads back what the device holds, over the
// link it had before the write and, once FinalizePrm may have been taken,
// over the link the new settings give it, and says block by block what was
// written. Never "not written" when some of it was.

#include <algorithm>

#include "app/Engine.h"
#include "app/Messages.h"

namespace vela {
namespace {

// The read-back: the link block first (it names the device by its serial
// number), then the others.
const std::vector<uint8_t> kReadBackJobs = {jobGetLinkPrm,  jobGetMainPrm,  jobGetLinkPrm2,
                                            jobGetLinkPrm3, jobGetLinkPrm4, jobFinish};

uint8_t SetJobOf(uint8_t getJob) {
  switch (getJob) {
    case jobGetMainPrm:
      return jobSetMainPrm;
    case jobGetLinkPrm:
      return jobSetLinkPrm;
    case jobGetLinkPrm2:
      return jobSetLinkPrm2;
    case jobGetLinkPrm3:
      return jobSetLinkPrm3;
    case jobGetLinkPrm4:
      return jobSetLinkPrm4;
    default:
      return jobNone;
  }
}

const char* BlockMeaning(uint8_t setJob) {
  switch (setJob) {
    case jobSetLinkPrm2:
      return "тип ASDU IEC 60870-5-101";
    case jobSetLinkPrm3:
      return "циклическая передача IEC 60870-5-101";
    case jobSetLinkPrm4:
      return "общий адрес ASDU";
    case jobSetMainPrm:
      return "тип сети";
    case jobSetLinkPrm:
      return "установки рабочего интерфейса";
    case jobFinalizePrm:
      return "применение новых установок";
    default:
      return "";
  }
}

}  // namespace

void TVelaEngine::NoteWriteAttempt(uint8_t job) {
  // A write request without a valid answer may still have been carried out.
  if (FWritePhase == TWritePhase::None || BlockAccessOf(job) != TBlockAccess::WriteParams) return;
  const TBlockResult* result = FRecord.Outcome().Block(job);
  if (result && result->exceptionCode != 0) return;
  std::vector<uint8_t>& maybe = FWriteEvidence.maybeTaken;
  if (std::find(maybe.begin(), maybe.end(), job) == maybe.end()) maybe.push_back(job);
}

bool TVelaEngine::WriteStarted() const {
  for (const TBlockResult& block : FRecord.Outcome().blocks) {
    if (block.sent && BlockAccessOf(block.job) == TBlockAccess::WriteParams) return true;
  }
  return false;
}

TProgramLink TVelaEngine::LinkOfWrittenSettings() const {
  // Over the service interface the program's link never moves.
  if (!FWriteStartLink.rs485) return FWriteStartLink;
  TProgramLink link = FWriteStartLink;
  link.protocol = FDevice.protocol;
  link.speedIndex = IndexOfText(kProgramSpeeds, FDevice.SpeedText());
  link.frame = FDevice.frame;
  link.address = FDevice.address;
  return link;
}

void TVelaEngine::BeginReadBack() {
  if (FWritePhase == TWritePhase::StopRequested) FRecord.MarkCancelled();
  FWritePhase = TWritePhase::ReadingBack;
  Timer1->SetEnabled(false);
  FRepeatPending = false;
  FFactoryLinkSwitched = false;
  FFinalizeOnPreviousLink = false;
  ForgetSettingsOrigin();  // what is shown is not what the device holds
  const TProgramLink next = LinkOfWrittenSettings();
  FWrittenLink = next;
  FWriteEvidence.linkMoves = next != FWriteStartLink;
  // Only the MODBUS link at a speed the port takes can be read over.
  const bool nextReadable = next.protocol != 2 && next.speedIndex >= 0;
  const TBlockResult* finalize = FRecord.Outcome().Block(jobFinalizePrm);
  FReadBackLinks.clear();
  if (finalize && finalize->sent && FWriteEvidence.linkMoves) {
    // The device is on one link or the other: the one in use first.
    const TProgramLink other = FLink == next ? FWriteStartLink : next;
    if (other != next || nextReadable) FReadBackLinks.push_back(other);
  } else if (FLink != FWriteStartLink) {
    SetProgramLink(FWriteStartLink);  // the device cannot have moved
  }
  Log(msg::kWriteReadBack);
  StartReadBackJobs();
}

void TVelaEngine::StartReadBackJobs() {
  FReadBackRepeatedJob = jobNone;
  FJobIndex = FPrefixLength - 1;
  WriteJobs(kReadBackJobs);
  Advance();
}

void TVelaEngine::ReadBackTaken(uint8_t job) {
  const uint8_t setJob = SetJobOf(job);
  if (setJob == jobNone) return;
  FWriteEvidence.readBack[setJob] = ParamsOfJob(job)->Registers;
  FWriteEvidence.answeredOn = FLink == FWrittenLink ? TReadBackLink::New : TReadBackLink::Previous;
}

bool TVelaEngine::ReadBackAnswered() const {
  return FWriteEvidence.answeredOn != TReadBackLink::None;
}

void TVelaEngine::ReadBackTimedOut() {
  // Once per block: a late answer to the write may have taken the place of
  // the first answer.
  if (FReadBackRepeatedJob != CurrentJob()) {
    FReadBackRepeatedJob = CurrentJob();
    FRepeatPending = true;
    StartCurrentJob();
    return;
  }
  if (!ReadBackAnswered() && !FReadBackLinks.empty()) {
    const TProgramLink link = FReadBackLinks.front();
    FReadBackLinks.erase(FReadBackLinks.begin());
    SetProgramLink(link);
    Log(msg::kReadBackOnOtherLink + link.ProtocolText() + ", " + link.SpeedText() + ", " +
        link.FrameText() + ", адрес " + link.AddressText() + ".");
    StartReadBackJobs();
    return;
  }
  if (!ReadBackAnswered()) {
    Log(msg::kReadBackNoAnswer);
    // Nobody answered: a settings write leaves the program on the link the
    // operator chose, a factory write on the factory link.
    const bool factory = FRecord.Outcome().kind == TOperationKind::WriteFactory;
    const TProgramLink& keep = factory ? FWrittenLink : FWriteStartLink;
    if (FLink != keep && keep.speedIndex >= 0) SetProgramLink(keep);
  }
  StopOperation();
}

void TVelaEngine::FillWriteReport(TOperationOutcome& outcome) {
  FWriteEvidence.requests = &outcome;
  TWriteReport report;
  report.blocks = JudgeWrite(FWriteEvidence);
  report.readBack = ReadBackAnswered();
  if (FWriteEvidence.readBack.count(jobSetLinkPrm)) {
    report.device = TSettingsReport{FLinkPrm->GetProtocol(),   FLinkPrm->GetDeviceAddress(),
                                    FLinkPrm->GetSpeedIndex(), FLinkPrm->GetFrameIndex(),
                                    FLinkPrm->GetThreeWire(),  FLinkPrm->GetSerialNumber()};
    if (FWriteEvidence.readBack.count(jobSetMainPrm)) {
      report.device->threeWire = FMainPrm->GetThreeWire();
    }
  }
  FWriteEvidence = TWriteEvidence{};
  LogWriteReport(report);
  outcome.write = std::move(report);
}

void TVelaEngine::LogWriteReport(const TWriteReport& report) {
  Log(msg::kWriteBlocksHeading);
  for (const TWrittenBlock& block : report.blocks) {
    Log("  " + JobName(block.job, false) + " (" + BlockMeaning(block.job) +
        "): " + WriteStateText(block.state) +
        (block.state == TWriteState::Unknown ? " (ответа не было)" : ""));
  }
  if (report.device) {
    const TSettingsReport& d = *report.device;
    TDeviceSettingsModel now{d.protocol, d.speedIndex, d.frameIndex, d.address, d.threeWire};
    Log("В приборе сейчас: протокол " + now.ProtocolText() + ", скорость " + now.SpeedText() +
        ", формат " + now.FrameText() + ", адрес " + std::to_string(d.address) + ", " +
        now.NetworkText() + ".");
  }
  Log(report.Partial() ? msg::kWritePartial : msg::kWriteNothing);
}

}  // namespace vela
