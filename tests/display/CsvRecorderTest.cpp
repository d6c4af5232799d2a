#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/DateTime.h"
#include "display/CsvRecorder.h"
#include "display/MeasurementPresenter.h"
#include "display/RegionalSettings.h"
#include "display/RegisterReading.h"
#include "tests/support/PlantedLink.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

const std::string kHeader =
    "\r\nTime;;Ua;Ub;Uc;Uo;;Ia;Ib;Ic;Io;;Uab;Ubc;Uca;;Pa;Pb;Pc;P;;Qa;Qb;Qc;Q;;Sa;Sb;Sc;S;;f";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

class CsvRecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // ru_RU's formats, set directly: the test needs no generated locale.
    SetCurrentRegionalSettings(TRegionalSettings{',', TDateOrder::DayMonthYear, '.', false, false});
    char pattern[] = "/tmp/velalink-csv-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    file = dir / "values.csv";
  }
  void TearDown() override {
    fs::remove_all(dir);
    SetCurrentRegionalSettings(RegionalSettingsOfLocale("C", "C"));
  }

  // A 3-wire reading under normalisation type 3 with one current out of range.
  void FillThreeWireReading() {
    TMeasurementPresenter presenter(cells, clock);
    TModbusParamsMain mainPrm;
    mainPrm.SetNormalisationType(3);
    mainPrm.SetThreeWire(true);
    TModbusValues3Wire values;
    values.Registers = {0xFFC1, 10, 15, 11502, 11500, 11500, 25000, 25000, 0xFFFF};
    presenter.ShowReading(TValueGroup::MainValues, DecodeRegisters(values, mainPrm));
    TModbusValuesF frequency;
    frequency.Registers[0] = 50012;
    presenter.ShowReading(TValueGroup::Frequency, DecodeRegisters(frequency, mainPrm));
    TModbusValues3Cos cos;
    cos.Registers[0] = 9800;
    presenter.ShowReading(TValueGroup::TotalCos, DecodeRegisters(cos, mainPrm));
  }

  fs::path dir, file;
  VirtualClock clock{EncodeDateTime(2025, 12, 10, 12, 0, 0)};
  TMeasurementCells cells;
  TCsvRecorder recorder{cells, clock};
};

TEST_F(CsvRecorderTest, StartWritesTheHeaderWithLeadingLineBreak) {
  recorder.Start(file.string());
  EXPECT_TRUE(recorder.IsRecording());
  EXPECT_EQ(recorder.FileName(), file.string());
  EXPECT_EQ(ReadAll(file), kHeader);
  EXPECT_EQ(TCsvRecorder::Header(), kHeader);
}

TEST_F(CsvRecorderTest, ThreeWireRecordByteForByte) {
  FillThreeWireReading();
  recorder.Start(file.string());
  ASSERT_TRUE(recorder.WriteRecord(0));
  const std::string record = std::string("\r\n10.12.2025 12:00:00;;") +
                             ";;;;;" +                                 // Ua Ub Uc Uo hidden
                             "5,0000;5,0000;ovf;;;" +                  // Ia Ib Ic, Io hidden
                             "230,04;230,00;230,00;;" +                // Uab Ubc Uca
                             ";;;-12,6;;" + ";;;2,0;;" + ";;;3,0;;" +  // totals only
                             "50,012";                                 // f; no power factors
  EXPECT_EQ(ReadAll(file), kHeader + record);
}

TEST_F(CsvRecorderTest, FreshCellsGiveEmptyFields) {
  // Two after the time, then 29 closing the 24 fields and 5 groups; f empty.
  EXPECT_EQ(recorder.Record(clock.Now()), "\r\n10.12.2025 12:00:00" + std::string(31, ';'));
}

struct IntervalCase {
  int item;
  int seconds;
};

class RecordIntervalTest : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(RecordIntervalTest, ItemsMapToSeconds) {
  EXPECT_DOUBLE_EQ(TCsvRecorder::RecordIntervalOfItem(GetParam().item) * 86400, GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(Items, RecordIntervalTest,
                         ::testing::Values(IntervalCase{0, 0}, IntervalCase{1, 1},
                                           IntervalCase{2, 2}, IntervalCase{3, 5},
                                           IntervalCase{4, 10}, IntervalCase{5, 20},
                                           IntervalCase{6, 30}, IntervalCase{7, 60},
                                           IntervalCase{8, 120}, IntervalCase{9, 300},
                                           IntervalCase{10, 600}, IntervalCase{11, 0},
                                           IntervalCase{-1, 0}));

struct RateCase {
  int item;
  std::vector<std::pair<int64_t, bool>> steps;  // ms to advance, then whether a record is written
};

class CsvRateLimitTest : public CsvRecorderTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(CsvRateLimitTest, RecordsAreAtLeastOneIntervalApart) {
  recorder.Start(file.string());
  const TDateTime interval = TCsvRecorder::RecordIntervalOfItem(GetParam().item);
  int written = 0;
  for (const auto& [advance, expected] : GetParam().steps) {
    clock.Advance(advance);
    EXPECT_EQ(recorder.WriteRecord(interval), expected) << "after " << clock.MonotonicMs() << " ms";
    written += expected;
  }
  const std::string content = ReadAll(file);
  EXPECT_EQ(static_cast<int>(std::count(content.begin(), content.end(), '\n')), 1 + written);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, CsvRateLimitTest,
    ::testing::Values(RateCase{0, {{0, true}, {0, true}, {300, true}}},
                      RateCase{4,
                               {{0, true}, {300, false}, {9699, false}, {1, true}, {300, false}}},
                      RateCase{1, {{5000, true}, {999, false}, {1, true}, {1000, true}}},
                      RateCase{10, {{0, true}, {599999, false}, {1, true}}}));

TEST_F(CsvRecorderTest, ClockSetBackDoesNotStopRecording) {
  recorder.Start(file.string());
  const TDateTime tenSeconds = TCsvRecorder::RecordIntervalOfItem(4);
  ASSERT_TRUE(recorder.WriteRecord(tenSeconds));
  clock.SetNow(46000.0);  // twelve hours back
  EXPECT_TRUE(recorder.WriteRecord(tenSeconds));
}

TEST_F(CsvRecorderTest, StopEndsRecordingAndRestartTruncates) {
  recorder.Start(file.string());
  ASSERT_TRUE(recorder.WriteRecord(0));
  recorder.Stop();
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_FALSE(recorder.WriteRecord(0));
  const TDateTime tenSeconds = TCsvRecorder::RecordIntervalOfItem(4);
  recorder.Start(file.string());
  EXPECT_EQ(ReadAll(file), kHeader);
  EXPECT_TRUE(recorder.WriteRecord(tenSeconds));  // the first record after a start is never held
}

TEST_F(CsvRecorderTest, FailedStartLeavesRecordingOffWithARussianMessage) {
  recorder.Start(file.string());
  const std::string missing = (dir / "no-such-dir" / "values.csv").string();
  try {
    recorder.Start(missing);
    FAIL() << "no exception";
  } catch (const TArkException& e) {
    EXPECT_EQ(e.Message(), "Не удалось создать файл записи показаний \"" + missing +
                               "\": ошибка #2: " + std::strerror(ENOENT));
  }
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_FALSE(recorder.WriteRecord(0));
}

TEST_F(CsvRecorderTest, DeletedFileIsCreatedAgainWithItsHeaderAndSaidSoOnce) {
  std::vector<std::string> notices;
  recorder.OnNotice = [&](const std::string& text) { notices.push_back(text); };
  recorder.Start(file.string());
  ASSERT_TRUE(recorder.WriteRecord(0));
  fs::remove(file);
  ASSERT_TRUE(recorder.WriteRecord(0));
  ASSERT_TRUE(recorder.WriteRecord(0));
  EXPECT_EQ(ReadAll(file), kHeader + recorder.Record(clock.Now()) + recorder.Record(clock.Now()));
  EXPECT_EQ(notices, std::vector<std::string>{"Файл записи показаний \"" + file.string() +
                                              "\" пропал и создан заново с заголовком."});
}

// The name taken from the open file between two records: the next record
// goes to a new file with its header, never into what took the name; the
// file that left keeps everything written to it.
struct TLeaveCase {
  const char* name;
  void (*leave)(const fs::path& dir, const fs::path& file);
  bool intruder;  // something else holds the name until the test removes it
};

class CsvFileLeftTest : public CsvRecorderTest, public ::testing::WithParamInterface<TLeaveCase> {};

TEST_P(CsvFileLeftTest, NextRecordGoesToANewFileWithItsHeader) {
  std::vector<std::string> notices;
  recorder.OnNotice = [&](const std::string& text) { notices.push_back(text); };
  recorder.Start(file.string());
  ASSERT_TRUE(recorder.WriteRecord(0));
  const std::string written = kHeader + recorder.Record(clock.Now());
  GetParam().leave(dir, file);
  std::vector<std::string> expected;
  if (GetParam().intruder) {
    const std::string theirs = ReadAll(file);
    clock.Advance(1000);
    EXPECT_THROW(recorder.WriteRecord(0), TArkException);
    EXPECT_EQ(ReadAll(file), theirs);
    fs::remove(file);
    expected.push_back("Запись показаний в файл \"" + file.string() +
                       "\" возобновлена; пропущено записей: 1.");
  }
  clock.Advance(1000);
  ASSERT_TRUE(recorder.WriteRecord(0));
  EXPECT_EQ(ReadAll(file), kHeader + recorder.Record(clock.Now()));
  if (fs::exists(dir / "old.csv")) {
    EXPECT_EQ(ReadAll(dir / "old.csv"), written);
  }
  expected.push_back("Файл записи показаний \"" + file.string() +
                     "\" пропал и создан заново с заголовком.");
  EXPECT_EQ(notices, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CsvFileLeftTest,
    ::testing::Values(TLeaveCase{"RenamedAway",
                                 [](const fs::path& d, const fs::path& f) {
                                   fs::rename(f, d / "old.csv");
                                 },
                                 false},
                      TLeaveCase{"ReplacedByAnotherFile",
                                 [](const fs::path& d, const fs::path& f) {
                                   fs::rename(f, d / "old.csv");
                                   std::ofstream(d / "other.csv", std::ios::binary) << "theirs";
                                   fs::rename(d / "other.csv", f);
                                 },
                                 true},
                      TLeaveCase{"ReplacedByALink",
                                 [](const fs::path& d, const fs::path& f) {
                                   fs::remove(f);
                                   std::ofstream(d / "other.csv", std::ios::binary) << "theirs";
                                   fs::create_symlink(d / "other.csv", f);
                                 },
                                 true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CsvRecorderTest, SecondRecorderIsRefusedAndTheFirstLosesNothing) {
  recorder.Start(file.string());
  ASSERT_TRUE(recorder.WriteRecord(0));
  const std::string first = recorder.Record(clock.Now());
  TCsvRecorder second(cells, clock);
  try {
    second.Start(file.string());
    FAIL() << "no exception";
  } catch (const TArkException& e) {
    EXPECT_NE(e.Message().find("уже идёт запись"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(second.IsRecording());
  clock.Advance(1000);
  ASSERT_TRUE(recorder.WriteRecord(0));
  EXPECT_EQ(ReadAll(file), kHeader + first + recorder.Record(clock.Now()));
}

TEST_F(CsvRecorderTest, LinkPlantedByAnotherUserIsRefused) {
  const fs::path target = dir / "roots-file";
  std::ofstream(target, std::ios::binary) << "root's own";
  if (!testing::PlantForeignLink(dir, target, file)) GTEST_SKIP() << "needs root and nobody";
  try {
    recorder.Start(file.string());
    FAIL() << "no exception";
  } catch (const TArkException& e) {
    EXPECT_NE(e.Message().find("символическая ссылка другого пользователя"), std::string::npos)
        << e.Message();
  }
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_EQ(ReadAll(target), "root's own");
}

// A name that is a FIFO nobody reads would block open() for ever; it is
// refused at once instead, both when recording starts and when a record is due.
TEST_F(CsvRecorderTest, FifoWithoutReaderIsRefusedWithoutBlocking) {
  const fs::path fifo = dir / "fifo.csv";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_THROW(recorder.Start(fifo.string()), TArkException);
  EXPECT_FALSE(recorder.IsRecording());

  recorder.Start(file.string());
  fs::remove(file);
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  EXPECT_THROW(recorder.WriteRecord(0), TArkException);
  EXPECT_TRUE(recorder.IsRecording());
}

// A run of records cut short: each is removed again, the first raises, the
// others are counted, and the first record written again reports the count.
TEST_F(CsvRecorderTest, RecordsCutShortByAFileSizeLimitAreRemovedAndCounted) {
  std::vector<std::string> notices;
  recorder.OnNotice = [&](const std::string& text) { notices.push_back(text); };
  recorder.Start(file.string());
  ASSERT_TRUE(recorder.WriteRecord(0));
  const std::string before = ReadAll(file);

  struct sigaction ignore {
  }, previousAction{};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previousAction), 0);
  rlimit previousLimit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previousLimit), 0);
  rlimit limit = previousLimit;
  limit.rlim_cur = before.size() + 7;  // room for part of a record only
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  bool thrown = false;
  try {
    recorder.WriteRecord(0);
  } catch (const TArkException&) {
    thrown = true;
  }
  const bool laterWritten = recorder.WriteRecord(0) || recorder.WriteRecord(0);
  setrlimit(RLIMIT_FSIZE, &previousLimit);
  sigaction(SIGXFSZ, &previousAction, nullptr);

  EXPECT_TRUE(thrown);
  EXPECT_FALSE(laterWritten);
  EXPECT_EQ(recorder.SkippedRecords(), 3);
  EXPECT_EQ(ReadAll(file), before);
  EXPECT_TRUE(recorder.WriteRecord(0));
  EXPECT_EQ(notices, std::vector<std::string>{"Запись показаний в файл \"" + file.string() +
                                              "\" возобновлена; пропущено записей: 3."});
}

// A full file system: a small tmpfs over the test folder in a
// private mount namespace of this thread, so nothing outside the test sees it.
class CsvRecorderMountTest : public CsvRecorderTest {
 protected:
  void SetUp() override {
    CsvRecorderTest::SetUp();
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0) {
      GTEST_SKIP() << "no private mount namespace here (needs CAP_SYS_ADMIN): "
                   << std::strerror(errno);
    }
    mounted = true;
    recorder.OnNotice = [this](const std::string& text) { notices.push_back(text); };
    recorder.Start(file.string());
  }
  void TearDown() override {
    if (mounted) ::umount2(dir.c_str(), MNT_DETACH);
    CsvRecorderTest::TearDown();
  }
  // Writes records until one is refused; returns the file as it was before.
  std::string WriteUntilRefused() {
    std::string before;
    for (int i = 0; i < 1000; ++i) {
      before = ReadAll(file);
      clock.Advance(1000);
      try {
        if (!recorder.WriteRecord(0)) break;
      } catch (const TArkException&) {
        break;
      }
    }
    return before;
  }

  bool mounted = false;
  std::vector<std::string> notices;
};

TEST_F(CsvRecorderMountTest, FullFileSystemLeavesNoPartOfARecordAndResumes) {
  {
    std::ofstream filler(dir / "filler", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), block.size()) && filler.flush()) {
    }
  }
  const std::string before = WriteUntilRefused();
  EXPECT_EQ(ReadAll(file), before);  // whole records only
  EXPECT_EQ(recorder.SkippedRecords(), 1);
  EXPECT_FALSE(recorder.WriteRecord(0));
  fs::remove(dir / "filler");
  ASSERT_TRUE(recorder.WriteRecord(0));
  EXPECT_EQ(ReadAll(file), before + recorder.Record(clock.Now()));
  recorder.Stop();
  EXPECT_EQ(notices, std::vector<std::string>{"Запись показаний в файл \"" + file.string() +
                                              "\" возобновлена; пропущено записей: 2."});
}

TEST_F(CsvRecorderTest, StopDuringAFailureRunReportsTheRecordsSkipped) {
  std::vector<std::string> notices;
  recorder.OnNotice = [&](const std::string& text) { notices.push_back(text); };
  fs::create_directory(dir / "gone");
  recorder.Start((dir / "gone" / "values.csv").string());
  fs::remove_all(dir / "gone");
  EXPECT_THROW(recorder.WriteRecord(0), TArkException);
  EXPECT_FALSE(recorder.WriteRecord(0));
  recorder.Stop();
  EXPECT_EQ(notices.size(), 1u);
  EXPECT_NE(notices.at(0).find("остановлена; пропущено записей: 2."), std::string::npos);
}

}  // namespace
}  // namespace vela
