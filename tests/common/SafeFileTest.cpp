#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/SafeFile.h"
#include "tests/support/PlantedLink.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class SafeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velalink-safefile-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path dir;
};

// A link another user planted at the name: the append file refuses it, a
// whole-file write replaces it; the file it points at keeps its text.
struct TPlantedCase {
  const char* name;
  TFileStatus (*write)(const std::string& name);
  TFileFault fault;
};

class PlantedLinkTest : public SafeFileTest, public ::testing::WithParamInterface<TPlantedCase> {};

TEST_P(PlantedLinkTest, TargetStaysUntouched) {
  const fs::path target = dir / "roots-file";
  const fs::path name = dir / "out.txt";
  WriteText(target, "root's own");
  if (!testing::PlantForeignLink(dir, target, name)) GTEST_SKIP() << "needs root and nobody";
  EXPECT_EQ(GetParam().write(name.string()).fault, GetParam().fault);
  EXPECT_EQ(ReadAll(target), "root's own");
  if (GetParam().fault == TFileFault::None) {
    EXPECT_FALSE(fs::is_symlink(name));
    EXPECT_EQ(ReadAll(name), "new");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Writes, PlantedLinkTest,
    ::testing::Values(TPlantedCase{"AppendTruncating",
                                   [](const std::string& n) {
                                     return TAppendFile().Open(n, TAppendFile::TMode::Truncate);
                                   },
                                   TFileFault::ForeignLink},
                      TPlantedCase{"AppendCreatingNew",
                                   [](const std::string& n) {
                                     return TAppendFile().Open(n, TAppendFile::TMode::CreateNew);
                                   },
                                   TFileFault::ForeignLink},
                      TPlantedCase{"WholeFile",
                                   [](const std::string& n) { return WriteWholeFile(n, "new"); },
                                   TFileFault::None}),
    [](const auto& info) { return std::string(info.param.name); });

// What stands at the name an append file is opened on.
struct TAppendCase {
  const char* name;
  void (*prepare)(const fs::path& dir, const fs::path& name);
  TAppendFile::TMode mode;
  TFileFault fault;
  const char* textAfter;  // the file's text after the open and one append
};

class AppendOpenTest : public SafeFileTest, public ::testing::WithParamInterface<TAppendCase> {};

TEST_P(AppendOpenTest, OpensOnlyAPlainFileOfItsOwn) {
  const TAppendCase& c = GetParam();
  const fs::path name = dir / "rec.csv";
  c.prepare(dir, name);
  TAppendFile file;
  EXPECT_EQ(file.Open(name.string(), c.mode).fault, c.fault);
  EXPECT_EQ(file.IsOpen(), c.fault == TFileFault::None);
  if (file.IsOpen()) {
    EXPECT_TRUE(file.Append("+").Ok());
  }
  if (fs::is_regular_file(name)) {
    EXPECT_EQ(ReadAll(name), c.textAfter);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, AppendOpenTest,
    ::testing::Values(TAppendCase{"Missing", [](const fs::path&, const fs::path&) {},
                                  TAppendFile::TMode::Truncate, TFileFault::None, "+"},
                      TAppendCase{"ExistingTruncated",
                                  [](const fs::path&, const fs::path& n) { WriteText(n, "old"); },
                                  TAppendFile::TMode::Truncate, TFileFault::None, "+"},
                      TAppendCase{"ExistingNotTakenOver",
                                  [](const fs::path&, const fs::path& n) { WriteText(n, "old"); },
                                  TAppendFile::TMode::CreateNew, TFileFault::Taken, "old"},
                      TAppendCase{"OwnLink",
                                  [](const fs::path& d, const fs::path& n) {
                                    WriteText(d / "data", "old");
                                    fs::create_symlink(d / "data", n);
                                  },
                                  TAppendFile::TMode::Truncate, TFileFault::OwnLink, "old"},
                      TAppendCase{"HardLinked",
                                  [](const fs::path& d, const fs::path& n) {
                                    WriteText(d / "data", "old");
                                    fs::create_hard_link(d / "data", n);
                                  },
                                  TAppendFile::TMode::Truncate, TFileFault::HardLinked, "old"},
                      TAppendCase{
                          "FifoWithoutReader",
                          [](const fs::path&, const fs::path& n) { ::mkfifo(n.c_str(), 0600); },
                          TAppendFile::TMode::Truncate, TFileFault::NotRegular, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SafeFileTest, SecondWriterIsRefusedBeforeAnythingIsCut) {
  const std::string name = (dir / "rec.csv").string();
  TAppendFile first, second;
  ASSERT_TRUE(first.Open(name, TAppendFile::TMode::Truncate).Ok());
  ASSERT_TRUE(first.Append("kept").Ok());
  EXPECT_EQ(second.Open(name, TAppendFile::TMode::Truncate).fault, TFileFault::Locked);
  EXPECT_EQ(ReadAll(name), "kept");
  first.Close();
  EXPECT_TRUE(second.Open(name, TAppendFile::TMode::Truncate).Ok());
}

// Whole-file writes: the name gets the new text or keeps the old one, and no
// temporary file is left behind either way.
struct TWholeCase {
  const char* name;
  const char* target;  // under the test folder
  void (*prepare)(const fs::path& path);
  TFileFault fault;
  int error;
};

class WholeFileTest : public SafeFileTest, public ::testing::WithParamInterface<TWholeCase> {};

TEST_P(WholeFileTest, ReplacesTheNameOrLeavesItAlone) {
  const TWholeCase& c = GetParam();
  const fs::path path = dir / c.target;
  c.prepare(path);
  const TFileStatus status = WriteWholeFile(path.string(), "new");
  EXPECT_EQ(status.fault, c.fault);
  EXPECT_EQ(status.error, c.error);
  if (status.Ok()) {
    EXPECT_EQ(ReadAll(path), "new");
  }
  int entries = 0;
  for (const auto& entry : fs::directory_iterator(dir)) entries += entry.path() != path;
  EXPECT_EQ(entries, 0) << "a temporary file was left";
}

INSTANTIATE_TEST_SUITE_P(
    Names, WholeFileTest,
    ::testing::Values(TWholeCase{"New", "a.json", [](const fs::path&) {}, TFileFault::None, 0},
                      TWholeCase{"Existing", "a.json",
                                 [](const fs::path& p) { WriteText(p, "old text"); },
                                 TFileFault::None, 0},
                      TWholeCase{"Fifo", "a.json",
                                 [](const fs::path& p) { ::mkfifo(p.c_str(), 0600); },
                                 TFileFault::None, 0},
                      TWholeCase{"Folder", "a.json",
                                 [](const fs::path& p) {
                                   fs::create_directory(p);
                                   WriteText(p / "inside", "");
                                 },
                                 TFileFault::System, EISDIR},
                      TWholeCase{"MissingFolder", "no/a.json", [](const fs::path&) {},
                                 TFileFault::System, ENOENT}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SafeFileTest, WholeFileGetsTheModeOfANormalFile) {
  const mode_t mask = ::umask(022);
  ::umask(mask);
  const fs::path path = dir / "a.json";
  ASSERT_TRUE(WriteWholeFile(path.string(), "new").Ok());
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

// Input files: regular files only, links followed; nothing waits for a writer.
struct TReadCase {
  const char* name;
  void (*prepare)(const fs::path& dir, const fs::path& name);
  TFileFault fault;
  const char* text;
};

class ReadRegularTest : public SafeFileTest, public ::testing::WithParamInterface<TReadCase> {};

TEST_P(ReadRegularTest, ReadsRegularFilesOnly) {
  const fs::path name = dir / "profile.json";
  GetParam().prepare(dir, name);
  std::string text = "stale";
  EXPECT_EQ(ReadRegularFile(name.string(), 8, text).fault, GetParam().fault);
  EXPECT_EQ(text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ReadRegularTest,
    ::testing::Values(
        TReadCase{"Regular", [](const fs::path&, const fs::path& n) { WriteText(n, "12345678"); },
                  TFileFault::None, "12345678"},
        TReadCase{"LinkToRegular",
                  [](const fs::path& d, const fs::path& n) {
                    WriteText(d / "real", "{}");
                    fs::create_symlink(d / "real", n);
                  },
                  TFileFault::None, "{}"},
        TReadCase{"TooLarge", [](const fs::path&, const fs::path& n) { WriteText(n, "123456789"); },
                  TFileFault::TooLarge, ""},
        TReadCase{"Fifo", [](const fs::path&, const fs::path& n) { ::mkfifo(n.c_str(), 0600); },
                  TFileFault::NotRegular, ""},
        TReadCase{"Device",
                  [](const fs::path&, const fs::path& n) { fs::create_symlink("/dev/zero", n); },
                  TFileFault::NotRegular, ""},
        TReadCase{"Missing", [](const fs::path&, const fs::path&) {}, TFileFault::System, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela
