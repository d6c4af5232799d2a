// CSV recording of the displayed values: the recording button and the record
// job of the read sequence.

#include "app/MainForm.h"

namespace vela {

void TForm1::BitBtn1Click() {
  if (FRecorder->IsRecording()) {
    FRecorder->Stop();
  } else if (FSeams.saveDialog) {
    std::string fileName;
    if (FSeams.saveDialog->Execute("запись результатов в файл", "CSV files|*.csv|ALL files|*.*",
                                   "*.csv", fileName)) {
      try {
        FRecorder->Start(fileName);
      } catch (const std::exception& e) {
        ReportOutsideJob(e);
      }
    }
  }
  BitBtn1.SetGlyph(FRecorder->IsRecording() ? "CHK1" : "CHK0");
}

void TForm1::WriteRecord() {
  if (OnReadingComplete) OnReadingComplete();
  // A file that cannot be written raises; the record job logs it and goes on.
  FRecorder->WriteRecord(TCsvRecorder::RecordIntervalOfItem(ComboBox1.ItemIndex()));
}

}  // namespace vela
