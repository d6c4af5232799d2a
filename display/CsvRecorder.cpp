#include "display/CsvRecorder.h"

#include <cmath>
#include <iterator>

#include "display/RegionalSettings.h"

namespace vela {
namespace {

constexpr double kMsPerDay = 86400000.0;

}  // namespace

TCsvRecorder::TCsvRecorder(const TMeasurementCells& cells, const Clock& clock)
    : FCells(cells), FClock(clock) {}

void TCsvRecorder::Start(const std::string& fileName) {
  FRecordFile.clear();
  TFileStatus status = FFile.Open(fileName, TAppendFile::TMode::Truncate);
  if (status.Ok()) status = FFile.Append(Header());
  if (!status.Ok()) {
    FFile.Close();
    throw TArkException("Не удалось создать файл записи показаний \"" + fileName +
                        "\": " + FileStatusText(status));
  }
  FRecordFile = fileName;
  FHeaderDue = false;
  FLastRecord = 0;
  FSkipped = 0;
}

void TCsvRecorder::Stop() {
  if (!FRecordFile.empty()) EndFailureRun("остановлена");
  FRecordFile.clear();
  FFile.Close();
}

void TCsvRecorder::Notice(const std::string& text) const {
  if (OnNotice) OnNotice(text);
}

void TCsvRecorder::EndFailureRun(const std::string& how) {
  if (FSkipped == 0) return;
  Notice("Запись показаний в файл \"" + FRecordFile + "\" " + how +
         "; пропущено записей: " + std::to_string(FSkipped) + ".");
  FSkipped = 0;
}

bool TCsvRecorder::WriteRecord(TDateTime interval) {
  if (FRecordFile.empty()) return false;
  const TDateTime now = FClock.Now();
  // Whole milliseconds, so that a record exactly one interval later is due.
  // A clock set back (now before the last record) does not stop recording.
  const int64_t elapsedMs = std::llround((now - FLastRecord) * kMsPerDay);
  if (elapsedMs >= 0 && elapsedMs < std::llround(interval * kMsPerDay)) return false;
  bool recreated = false;
  const TFileStatus status = Append(Record(now), recreated);
  if (!status.Ok()) {
    if (FSkipped++ > 0) return false;  // the run was reported when it began
    throw TArkException("Запись показаний в файл \"" + FRecordFile +
                        "\" пропущена: " + FileStatusText(status) +
                        ". Следующие записи пропускаются без сообщений, пока файл недоступен.");
  }
  EndFailureRun("возобновлена");
  if (recreated) {
    Notice("Файл записи показаний \"" + FRecordFile + "\" пропал и создан заново с заголовком.");
  }
  FLastRecord = now;
  return true;
}

TFileStatus TCsvRecorder::Append(const std::string& record, bool& recreated) {
  if (!FFile.StillAt(FRecordFile)) {
    // Deleted, rotated away or replaced: a new file with its header, never
    // one that someone else has put there.
    FFile.Close();
    const TFileStatus status = FFile.Open(FRecordFile, TAppendFile::TMode::CreateNew);
    if (!status.Ok()) return status;
    FHeaderDue = true;
  }
  const TFileStatus status = FFile.Append(FHeaderDue ? Header() + record : record);
  if (status.Ok()) {
    recreated = FHeaderDue;
    FHeaderDue = false;
  }
  return status;
}

TDateTime TCsvRecorder::RecordIntervalOfItem(int itemIndex) {
  static constexpr int kSeconds[] = {0, 1, 2, 5, 10, 20, 30, 60, 120, 300, 600};
  if (itemIndex < 0 || itemIndex >= static_cast<int>(std::size(kSeconds))) return 0;
  return kSeconds[itemIndex] / 86400.0;
}

std::string TCsvRecorder::Header() {
  return "\r\nTime;;Ua;Ub;Uc;Uo;;Ia;Ib;Ic;Io;;Uab;Ubc;Uca;;Pa;Pb;Pc;P;;Qa;Qb;Qc;Q;;Sa;Sb;Sc;S;;f";
}

std::string TCsvRecorder::Record(TDateTime now) const {
  // Groups as in the header; an empty slot entry closes a group with ";;".
  static constexpr int kGroupEnd = -1;
  static constexpr int kColumns[] = {
      slotUa,  slotUb,  slotUc,  slotUo,    kGroupEnd, slotIa, slotIb, slotIc, slotIo,    kGroupEnd,
      slotUab, slotUbc, slotUca, kGroupEnd, slotPa,    slotPb, slotPc, slotP,  kGroupEnd, slotQa,
      slotQb,  slotQc,  slotQ,   kGroupEnd, slotSa,    slotSb, slotSc, slotS,  kGroupEnd};
  std::string record = "\r\n" + FormatDateTime(now, CurrentRegionalSettings()) + ";;";
  for (int column : kColumns) {
    record += column == kGroupEnd ? ";" : FCells[column].GetText() + ";";
  }
  return record + FCells[slotF].GetText();
}

}  // namespace vela
