#include "display/CsvRecorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <iterator>

#include "display/RegionalSettings.h"

namespace vela {
namespace {

constexpr double kMsPerDay = 86400000.0;

std::string SystemErrorText(int error) {
  return "ошибка #" + std::to_string(error) + ": " + std::strerror(error);
}

// Writes all of text at the end of fd; on failure cuts the file back to its
// former length, so no part of a record stays behind. Returns 0 or the errno.
int AppendAll(int fd, const std::string& text) {
  const off_t formerSize = ::lseek(fd, 0, SEEK_END);
  size_t done = 0;
  while (done < text.size()) {
    // One call for the whole record; a second one only after a short write,
    // where it fails and tells why (full disk, file size limit).
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : EIO;
      if (done > 0 && formerSize >= 0) (void)::ftruncate(fd, formerSize);
      return error;
    }
    done += static_cast<size_t>(n);
  }
  return 0;
}

// Opens fileName with flags, appends text and closes it; 0 or the errno.
// Non-blocking, so that a name that is a FIFO or a device cannot freeze the
// program (it has no effect on a regular file).
int WriteFile(const std::string& fileName, int flags, const std::string& text) {
  const int fd = ::open(fileName.c_str(), flags | O_WRONLY | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return errno;
  const int writeError = AppendAll(fd, text);
  const int closeError = ::close(fd) == 0 ? 0 : errno;
  return writeError != 0 ? writeError : closeError;
}

}  // namespace

TCsvRecorder::TCsvRecorder(const TMeasurementCells& cells, const Clock& clock)
    : FCells(cells), FClock(clock) {}

void TCsvRecorder::Start(const std::string& fileName) {
  FRecordFile.clear();
  const int error = WriteFile(fileName, O_CREAT | O_TRUNC, Header());
  if (error != 0) {
    throw TArkException("Не удалось создать файл записи показаний \"" + fileName +
                        "\": " + SystemErrorText(error));
  }
  FRecordFile = fileName;
  FLastRecord = 0;
  FSkipped = 0;
}

void TCsvRecorder::Stop() {
  if (!FRecordFile.empty()) EndFailureRun("остановлена");
  FRecordFile.clear();
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
  const std::string record = Record(now);
  int error = WriteFile(FRecordFile, O_APPEND, record);
  bool recreated = false;
  if (error == ENOENT) {
    // Deleted or rotated away: a new file with its header, never one that
    // someone else has just created.
    error = WriteFile(FRecordFile, O_CREAT | O_EXCL, Header() + record);
    recreated = error == 0;
  }
  if (error != 0) {
    if (FSkipped++ > 0) return false;  // the run was reported when it began
    throw TArkException("Запись показаний в файл \"" + FRecordFile +
                        "\" пропущена: " + SystemErrorText(error) +
                        ". Следующие записи пропускаются без сообщений, пока файл недоступен.");
  }
  EndFailureRun("возобновлена");
  if (recreated) {
    Notice("Файл записи показаний \"" + FRecordFile + "\" пропал и создан заново с заголовком.");
  }
  FLastRecord = now;
  return true;
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
