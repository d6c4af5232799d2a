// HashFileGost256 against Debian's independent Streebog tools, and its
// failure messages.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "common/ArkSysUtils.h"
#include "ident/ArkGost3411.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

// A fresh directory for the test's files, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "gost_test_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : "";
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (fs::path(path_) / name).string(); }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, size_t size, bool allOnes, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\xFF');
  if (!allOnes) {
    for (char& c : bytes) c = static_cast<char>(random());
  }
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
}

// The command of an installed peer tool printing a 256-bit digest, or empty.
std::string PeerCommand() {
  for (const char* tool : {"gost12sum", "rhash --gost12-256"}) {
    const std::string program = std::string(tool).substr(0, std::string(tool).find(' '));
    if (std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0) return tool;
  }
  return {};
}

// The peer prints the digest bytes in memory order; this returns them most
// significant byte first, upper case, as HashFileGost256 does.
std::string PeerDigest(const std::string& command, const std::string& path) {
  FILE* pipe = ::popen((command + " '" + path + "' 2>/dev/null").c_str(), "r");
  if (!pipe) return {};
  char line[256] = {};
  const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
  ::pclose(pipe);
  const std::string hex = got ? std::string(line).substr(0, 64) : "";
  std::string reversed;
  for (size_t i = hex.size(); i >= 2; i -= 2) reversed += hex.substr(i - 2, 2);
  for (char& c : reversed) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return reversed;
}

struct FileCase {
  size_t size;
  bool allOnes;  // 0xFF bytes: every block addition carries through all words
};

class HashFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(HashFileTest, EqualsPeerTool) {
  const std::string peer = PeerCommand();
  if (peer.empty()) GTEST_SKIP() << "neither gost12sum nor rhash is installed";
  const TempDir dir;
  const std::string path = dir.File("data.bin");
  WriteFile(path, GetParam().size, GetParam().allOnes, static_cast<unsigned>(GetParam().size));
  const std::string expected = PeerDigest(peer, path);
  ASSERT_EQ(expected.size(), 64u) << peer;
  EXPECT_EQ(HashFileGost256(path), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, HashFileTest,
    testing::Values(FileCase{0, false}, FileCase{1, false}, FileCase{63, false},
                    FileCase{64, false}, FileCase{65, false}, FileCase{65535, false},
                    FileCase{65536, false}, FileCase{65537, false}, FileCase{(1 << 20) + 3, false},
                    FileCase{(1 << 20) + 3, true}),
    [](const auto& info) {
      return std::to_string(info.param.size) + (info.param.allOnes ? "_ones" : "_random");
    });

struct FailureCase {
  const char* name;
  bool directory;  // a directory opens but cannot be read
  const char* prefix;
  int error;
};

class HashFileFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(HashFileFailureTest, RaisesRussianMessageWithSystemError) {
  const FailureCase& c = GetParam();
  const TempDir dir;
  const std::string path = dir.File("subject");
  if (c.directory) fs::create_directory(path);
  try {
    HashFileGost256(path);
    FAIL() << "no exception";
  } catch (const TArkException& e) {
    const std::string expected =
        std::string(c.prefix) + " \"" + path + "\": " + SystemErrorText(c.error);
    EXPECT_EQ(e.Message(), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, HashFileFailureTest,
    testing::Values(FailureCase{"Missing", false, "Не удалось открыть файл", ENOENT},
                    FailureCase{"Directory", true, "Не удалось прочитать файл", EISDIR}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela
