// System error text, the version stamp read back from ELF files, and the
// program's own path.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "common/ArkSysUtils.h"

namespace vela {
namespace {

namespace fs = std::filesystem;
const char kUnknown[] = "?.?.?.?";

TEST(SysUtils, LastErrorTextGivesCodeAndSystemText) {
  for (const int code : {ENOENT, EACCES, EBUSY, 123456}) {
    errno = code;
    const std::string text = LastErrorText();
    EXPECT_EQ(text, "ошибка #" + std::to_string(code) + ": " + std::strerror(code));
  }
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "sysutils_test_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : "";
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string path = (fs::path(path_) / name).string();
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SysUtils, OwnExecutablePathNamesThisTestProgram) {
  const std::string path = OwnExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_EQ(fs::path(path).filename(), "common_tests");
}

TEST(SysUtils, FileVersionTextOfThisExecutableIsTheProjectVersion) {
  EXPECT_EQ(FileVersionText(OwnExecutablePath()), VELALINK_PROJECT_VERSION);
}

TEST(SysUtils, FileVersionTextOfFilesWithoutStampIsUnknown) {
  const TempDir dir;
  const std::string cases[] = {
      dir.Write("text.txt", "1.0.0.1\n"),
      dir.Write("empty", ""),
      "/bin/true",
      "/nonexistent/file",
      "/tmp",
      "",
  };
  for (const std::string& path : cases) EXPECT_EQ(FileVersionText(path), kUnknown) << path;
}

// Truncating the test program anywhere before its end loses the section
// headers, which the linker puts last.
TEST(SysUtils, FileVersionTextOfTruncatedExecutableIsUnknown) {
  const std::string image = ReadAll(OwnExecutablePath());
  ASSERT_GT(image.size(), 4096u);
  const TempDir dir;
  for (const size_t size : {size_t{3}, size_t{16}, size_t{63}, size_t{64}, size_t{4096},
                            image.size() / 2, image.size() - 1}) {
    EXPECT_EQ(FileVersionText(dir.Write("cut", image.substr(0, size))), kUnknown) << size;
  }
}

// A minimal ELF file: header, section name table, stamp data, then the
// section headers [null, .shstrtab, .velalink_version].
struct ElfImage {
  bool is64, bigEndian;
  std::string bytes;
  size_t tableOffset = 0, stampOffset = 0;

  ElfImage(bool is64Bit, bool big, const std::string& stamp) : is64(is64Bit), bigEndian(big) {
    const std::string names = std::string("\0.shstrtab\0.velalink_version\0", 29);
    bytes.assign(is64 ? 64 : 52, '\0');
    bytes.replace(0, 6,
                  std::string("\x7F"
                              "ELF") +
                      char(is64 ? 2 : 1) + char(big ? 2 : 1));
    const size_t namesOffset = bytes.size();
    bytes += names;
    stampOffset = bytes.size();
    bytes += stamp;
    bytes.resize((bytes.size() + 7) / 8 * 8);
    tableOffset = bytes.size();
    bytes.resize(tableOffset + 3 * EntrySize());
    Put(is64 ? 0x28 : 0x20, is64 ? 8 : 4, tableOffset);
    Put(HeaderField(0), 2, EntrySize());
    Put(HeaderField(1), 2, 3);
    Put(HeaderField(2), 2, 1);
    SetSection(1, 1, 3, namesOffset, names.size());
    SetSection(2, 11, 1, stampOffset, stamp.size());
  }
  size_t EntrySize() const { return is64 ? 64 : 40; }
  // e_shentsize, e_shnum, e_shstrndx
  size_t HeaderField(int i) const { return (is64 ? 0x3A : 0x2E) + 2 * i; }
  // sh_name, sh_type, sh_offset, sh_size, sh_link of section `index`
  size_t SectionField(int index, int field) const {
    static const size_t k64[] = {0, 4, 24, 32, 40}, k32[] = {0, 4, 16, 20, 24};
    return tableOffset + index * EntrySize() + (is64 ? k64 : k32)[field];
  }
  int Width(int field) const { return (field == 2 || field == 3) && is64 ? 8 : 4; }
  void SetSection(int index, uint64_t name, uint64_t type, uint64_t offset, uint64_t size) {
    const uint64_t values[] = {name, type, offset, size};
    for (int f = 0; f < 4; ++f) Put(SectionField(index, f), Width(f), values[f]);
  }
  void PutSection(int index, int field, uint64_t value) {
    Put(SectionField(index, field), Width(field), value);
  }
  void Put(size_t at, int width, uint64_t value) {
    for (int i = 0; i < width; ++i) {
      bytes[at + (bigEndian ? width - 1 - i : i)] = static_cast<char>(value >> (8 * i));
    }
  }
};

struct ElfCase {
  const char* name;
  const char* stamp;
  std::function<void(ElfImage&)> mutate;
  const char* expected;
};

void NoChange(ElfImage&) {}

const ElfCase kElfCases[] = {
    {"Valid", "1.0.0.1", NoChange, "1.0.0.1"},
    {"LargeParts", "12.345.6789.65535", NoChange, "12.345.6789.65535"},
    {"LeadingZerosNormalised", "01.2.3.004", NoChange, "1.2.3.4"},
    {"WithoutTerminatingZero", "1.2.3.4", [](ElfImage& e) { e.PutSection(2, 3, 7); }, "1.2.3.4"},
    {"ThreeParts", "1.0.0", NoChange, kUnknown},
    {"FiveParts", "1.0.0.1.5", NoChange, kUnknown},
    {"EmptyPart", "1..0.1", NoChange, kUnknown},
    {"Letters", "a.b.c.d", NoChange, kUnknown},
    {"PartTooLarge", "1.0.0.65536", NoChange, kUnknown},
    {"TrailingText", "1.0.0.1x", NoChange, kUnknown},
    {"EmptyStamp", "", NoChange, kUnknown},
    {"OtherName", "1.0.0.1", [](ElfImage& e) { e.PutSection(2, 0, 12); }, kUnknown},
    {"NameBeyondTable", "1.0.0.1", [](ElfImage& e) { e.PutSection(2, 0, 1000); }, kUnknown},
    {"NameCutByTableEnd", "1.0.0.1", [](ElfImage& e) { e.PutSection(1, 3, 20); }, kUnknown},
    {"BadMagic", "1.0.0.1", [](ElfImage& e) { e.bytes[1] = 'e'; }, kUnknown},
    {"BadClass", "1.0.0.1", [](ElfImage& e) { e.bytes[4] = 3; }, kUnknown},
    {"BadByteOrder", "1.0.0.1", [](ElfImage& e) { e.bytes[5] = 0; }, kUnknown},
    {"TableBeyondFile", "1.0.0.1",
     [](ElfImage& e) { e.Put(e.is64 ? 0x28 : 0x20, e.is64 ? 8 : 4, 0xFFFFFF00); }, kUnknown},
    {"TableMissing", "1.0.0.1", [](ElfImage& e) { e.Put(e.is64 ? 0x28 : 0x20, e.is64 ? 8 : 4, 0); },
     kUnknown},
    {"EntryTooSmall", "1.0.0.1", [](ElfImage& e) { e.Put(e.HeaderField(0), 2, 8); }, kUnknown},
    {"TooManySections", "1.0.0.1", [](ElfImage& e) { e.Put(e.HeaderField(1), 2, 0xFFFE); },
     kUnknown},
    {"NameTableIndexOutOfRange", "1.0.0.1", [](ElfImage& e) { e.Put(e.HeaderField(2), 2, 3); },
     kUnknown},
    {"StampBeyondFile", "1.0.0.1", [](ElfImage& e) { e.PutSection(2, 2, 0xFFFFFFF0); }, kUnknown},
    {"StampSizeHuge", "1.0.0.1", [](ElfImage& e) { e.PutSection(2, 3, 0xFFFFFFF0); }, kUnknown},
    {"StampWithoutData", "1.0.0.1", [](ElfImage& e) { e.PutSection(2, 1, 8); }, kUnknown},
    {"NameTableHuge", "1.0.0.1", [](ElfImage& e) { e.PutSection(1, 3, 0xFFFFFFF0); }, kUnknown},
    {"ExtendedSectionCount", "1.0.0.1",
     [](ElfImage& e) {
       e.Put(e.HeaderField(1), 2, 0);
       e.PutSection(0, 3, 3);
     },
     "1.0.0.1"},
    {"ExtendedNameTableIndex", "1.0.0.1",
     [](ElfImage& e) {
       e.Put(e.HeaderField(2), 2, 0xFFFF);
       e.PutSection(0, 4, 1);
     },
     "1.0.0.1"},
    {"ExtendedCountZero", "1.0.0.1", [](ElfImage& e) { e.Put(e.HeaderField(1), 2, 0); }, kUnknown},
};

class ElfStampTest : public testing::TestWithParam<ElfCase> {};

TEST_P(ElfStampTest, ReadsStampOrGivesUnknown) {
  const ElfCase& c = GetParam();
  const TempDir dir;
  for (const bool is64 : {true, false}) {
    for (const bool bigEndian : {false, true}) {
      ElfImage image(is64, bigEndian, std::string(c.stamp) + '\0');
      c.mutate(image);
      EXPECT_EQ(FileVersionText(dir.Write("elf", image.bytes)), c.expected)
          << (is64 ? "ELF64 " : "ELF32 ") << (bigEndian ? "big-endian" : "little-endian");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Elf, ElfStampTest, testing::ValuesIn(kElfCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela
