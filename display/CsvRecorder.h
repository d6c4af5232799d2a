#pragma once
// Recording of the displayed values to a semicolon-separated file: a header
// when recording starts, then one record per completed read, each introduced
// by CR LF, with the date and time and the CSV texts of 24 cells (the power
// factors are not recorded). The file is open only while one line is written,
// so other programs can read it while recording goes on.

#include <string>

#include "common/ArkTypes.h"
#include "common/Clock.h"
#include "display/MeasurementCells.h"

namespace vela {

// The items of the rate-limit list, in order; item i limits records to one
// per RecordIntervalOfItem(i).
inline constexpr const char* kRateLimitItems[] = {" -",     "1 сек",  "2 сек",  "5 сек",
                                                  "10 сек", "20 сек", "30 сек", "1 мин",
                                                  "2 мин",  "5 мин",  "10 мин"};

class TCsvRecorder {
 public:
  TCsvRecorder(const TMeasurementCells& cells, const Clock& clock);

  // Creates (or truncates) the file and writes the header; recording is on
  // afterwards. Throws TArkException with a Russian message when the file
  // cannot be written; recording then stays off.
  void Start(const std::string& fileName);
  void Stop();
  bool IsRecording() const { return !FRecordFile.empty(); }
  const std::string& FileName() const { return FRecordFile; }

  // Appends one record unless recording is off or the last record is less
  // than interval (days) ago; true when a record was written. When the file
  // cannot be written the record is skipped with a TArkException carrying a
  // Russian message; the file keeps every line written before, recording
  // stays on and the next call tries again.
  bool WriteRecord(TDateTime interval);

  // The rate limit of a list item, in days; 0 for " -" and unknown items.
  static TDateTime RecordIntervalOfItem(int itemIndex);
  static std::string Header();
  // The record for the cells at time now, with its leading CR LF.
  std::string Record(TDateTime now) const;

 private:
  const TMeasurementCells& FCells;
  const Clock& FClock;
  std::string FRecordFile;
  TDateTime FLastRecord = 0;
};

}  // namespace vela
