// CSV recording of the displayed values: starting and stopping, and the
// record job of the read sequence (one record per completed reading).

#include <utility>

#include "app/Engine.h"

namespace vela {

void TVelaEngine::StartRecording(const std::string& fileName) {
  if (FRecorder->IsRecording()) return;
  try {
    FRecorder->Start(fileName);
  } catch (const std::exception& e) {
    ReportOutsideJob(e);
  }
  if (OnRecordingChanged) OnRecordingChanged();
}

void TVelaEngine::StopRecording() {
  FRecorder->Stop();
  if (OnRecordingChanged) OnRecordingChanged();
}

void TVelaEngine::CompleteReading() {
  if (!std::exchange(FReadingTaken, false)) return;
  ReportExchange(TExchangeEventKind::ReadingCompleted);
  WriteRecord();
}

void TVelaEngine::WriteRecord() {
  if (OnReadingComplete) OnReadingComplete();
  // A file that cannot be written raises; the record job logs it and goes on.
  FRecorder->WriteRecord(TCsvRecorder::RecordIntervalOfItem(FRecordIntervalItem));
}

}  // namespace vela
