#pragma once
// Recording of the displayed values to a semicolon-separated file: a header
// when recording starts, then one record per completed read, each introduced
// by CR LF, with the date and time and the CSV texts of 24 cells (the power
// factors are not recorded). The file is opened once when recording starts,
// never through a symbolic link, and locked against a second recorder; other
// programs can still read it. A record is written whole or not at all; a file
// that has vanished or been replaced is created again with its header; a run
// of skipped records is reported when it starts and when it ends.

#include <functional>
#include <string>

#include "common/ArkTypes.h"
#include "common/Clock.h"
#include "common/SafeFile.h"
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
  // cannot be written, is a symbolic link or not a regular file, or another
  // recorder writes it; recording then stays off and the file is untouched.
  void Start(const std::string& fileName);
  // Reports the end of a run of skipped records, if one is going on.
  void Stop();
  bool IsRecording() const { return !FRecordFile.empty(); }
  const std::string& FileName() const { return FRecordFile; }

  // Appends one record unless recording is off or the last record is less
  // than interval (days) ago; true when a record was written. When the name
  // no longer leads to the file opened, a new file is created there with the
  // header (never over whatever took the name), and OnNotice says so.
  // When the file cannot be written the record is skipped: the first skip of
  // a run raises TArkException with a Russian message, later ones are only
  // counted, and the first record written again reports the count through
  // OnNotice. The file keeps every line written before; recording stays on
  // and the next call tries again.
  bool WriteRecord(TDateTime interval);

  // Russian lines for the activity log: a recreated file, the end of a run
  // of skipped records.
  std::function<void(const std::string&)> OnNotice;
  // Records skipped since the last one written (0 outside a failure run).
  int SkippedRecords() const { return FSkipped; }

  // The rate limit of a list item, in days; 0 for " -" and unknown items.
  static TDateTime RecordIntervalOfItem(int itemIndex);
  static std::string Header();
  // The record for the cells at time now, with its leading CR LF.
  std::string Record(TDateTime now) const;

 private:
  void Notice(const std::string& text) const;
  void EndFailureRun(const std::string& how);
  // Writes record, first creating the file again when it left its name.
  TFileStatus Append(const std::string& record, bool& recreated);

  const TMeasurementCells& FCells;
  const Clock& FClock;
  std::string FRecordFile;
  TAppendFile FFile;
  bool FHeaderDue = false;  // the file was created anew and has no header yet
  TDateTime FLastRecord = 0;
  int FSkipped = 0;
};

}  // namespace vela
