// Windows: the system's error text, the version resource read back with
// GetFileVersionInfo, and the program's own path.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "common/ArkSysUtils.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

TEST(SysUtilsWin32, LastErrorTextGivesCodeAndTheSystemsOwnText) {
  for (const DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION}) {
    SetLastError(code);
    const std::string text = LastErrorText();
    const std::string prefix = "ошибка #" + std::to_string(code) + ": ";
    ASSERT_EQ(text.rfind(prefix, 0), 0u) << text;
    EXPECT_GT(text.size(), prefix.size()) << "no message text for " << code;
    EXPECT_NE(text.back(), '\n');
  }
}

TEST(SysUtilsWin32, FileVersionTextReadsTheVersionResource) {
  const std::string own = OwnExecutablePath();
  EXPECT_EQ(fs::path(own).filename(), "common_tests.exe");
  const fs::path plain = fs::temp_directory_path() / "velalink_no_version.txt";
  std::ofstream(plain) << "no resource here";
  const struct {
    std::string file;
    std::string version;
  } cases[] = {
      {own, VELALINK_PROJECT_VERSION},
      {plain.string(), "?.?.?.?"},
      {(fs::temp_directory_path() / "velalink_missing.exe").string(), "?.?.?.?"},
  };
  for (const auto& c : cases) EXPECT_EQ(FileVersionText(c.file), c.version) << c.file;
  fs::remove(plain);
}

}  // namespace
}  // namespace vela
