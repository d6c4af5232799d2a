#include "common/ArkSysUtils.h"

#include <fcntl.h>
#include <libintl.h>
#include <locale.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "common/CRuntimeErrorText.h"

namespace vela {
namespace {

// strerror_r comes in two forms; the overloads take whichever the C library has.
[[maybe_unused]] const char* ErrorMessage(const char* gnuResult, const char*) {
  return gnuResult;
}
[[maybe_unused]] const char* ErrorMessage(int xsiResult, const char* buffer) {
  return xsiResult == 0 ? buffer : "неизвестная ошибка";
}

const char kUnknownVersion[] = "?.?.?.?";
const char kStampSection[] = ".velalink_version";
constexpr uint64_t kMaxSectionTable = 16u << 20;  // bytes
constexpr uint64_t kMaxNameTable = 1u << 20;      // bytes
constexpr uint64_t kMaxStamp = 64;                // bytes
constexpr uint32_t kSectionNoBits = 8;            // SHT_NOBITS: no data in the file
constexpr uint16_t kExtendedIndex = 0xFFFF;       // SHN_XINDEX

// A regular file read by ranges; every read is checked against its size.
class RangeReader {
 public:
  explicit RangeReader(const std::string& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
    struct stat info {};
    if (fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
      size_ = static_cast<uint64_t>(info.st_size);
    }
  }
  ~RangeReader() {
    if (fd_ >= 0) ::close(fd_);
  }
  RangeReader(const RangeReader&) = delete;
  RangeReader& operator=(const RangeReader&) = delete;

  // The bytes [offset, offset + count), or nothing when they are not all there.
  std::optional<std::string> Read(uint64_t offset, uint64_t count) const {
    if (offset > size_ || count > size_ - offset) return std::nullopt;
    std::string bytes(count, '\0');
    uint64_t done = 0;
    while (done < count) {
      const ssize_t got =
          ::pread(fd_, bytes.data() + done, count - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return std::nullopt;
      done += static_cast<uint64_t>(got);
    }
    return bytes;
  }

 private:
  int fd_;
  uint64_t size_ = 0;
};

// Where the section header table is and how to read its numbers.
struct ElfLayout {
  bool is64 = true;
  bool bigEndian = false;
  uint64_t tableOffset = 0;
  uint64_t entrySize = 0;
  uint64_t count = 0;
  uint64_t nameTableIndex = 0;

  uint64_t Get(const std::string& bytes, uint64_t at, int width) const {
    uint64_t value = 0;
    for (int i = 0; i < width; ++i) {
      const uint64_t octet = static_cast<uint8_t>(bytes[at + (bigEndian ? i : width - 1 - i)]);
      value = (value << 8) | octet;
    }
    return value;
  }
};

struct SectionHeader {
  uint64_t name = 0, type = 0, offset = 0, size = 0, link = 0;
};

// Reads entry `index` of a table whose entries were checked to be large enough.
SectionHeader GetSection(const ElfLayout& elf, const std::string& table, uint64_t index) {
  const uint64_t at = index * elf.entrySize;
  SectionHeader header;
  header.name = elf.Get(table, at, 4);
  header.type = elf.Get(table, at + 4, 4);
  if (elf.is64) {
    header.offset = elf.Get(table, at + 24, 8);
    header.size = elf.Get(table, at + 32, 8);
    header.link = elf.Get(table, at + 40, 4);
  } else {
    header.offset = elf.Get(table, at + 16, 4);
    header.size = elf.Get(table, at + 20, 4);
    header.link = elf.Get(table, at + 24, 4);
  }
  return header;
}

std::optional<ElfLayout> ReadElfHeader(const RangeReader& file) {
  const auto ident = file.Read(0, 16);
  if (!ident || ident->compare(0, 4,
                               "\x7F"
                               "ELF") != 0)
    return std::nullopt;
  ElfLayout elf;
  const char elfClass = (*ident)[4], elfData = (*ident)[5];
  if ((elfClass != 1 && elfClass != 2) || (elfData != 1 && elfData != 2)) return std::nullopt;
  elf.is64 = elfClass == 2;
  elf.bigEndian = elfData == 2;
  const auto header = file.Read(0, elf.is64 ? 64 : 52);
  if (!header) return std::nullopt;
  const uint64_t fields = elf.is64 ? 0x3A : 0x2E;  // e_shentsize, e_shnum, e_shstrndx follow
  elf.tableOffset = elf.is64 ? elf.Get(*header, 0x28, 8) : elf.Get(*header, 0x20, 4);
  elf.entrySize = elf.Get(*header, fields, 2);
  elf.count = elf.Get(*header, fields + 2, 2);
  elf.nameTableIndex = elf.Get(*header, fields + 4, 2);
  if (elf.tableOffset == 0 || elf.entrySize < (elf.is64 ? 64u : 40u)) return std::nullopt;
  return elf;
}

// Reads the section header table; resolves the extended numbering kept in
// entry 0 when the counts do not fit the ELF header.
std::optional<std::string> ReadSectionTable(const RangeReader& file, ElfLayout& elf) {
  if (elf.count == 0 || elf.nameTableIndex == kExtendedIndex) {
    const auto first = file.Read(elf.tableOffset, elf.entrySize);
    if (!first) return std::nullopt;
    const SectionHeader zero = GetSection(elf, *first, 0);
    if (elf.count == 0) elf.count = zero.size;
    if (elf.nameTableIndex == kExtendedIndex) elf.nameTableIndex = zero.link;
  }
  if (elf.count == 0 || elf.count > kMaxSectionTable / elf.entrySize) return std::nullopt;
  if (elf.nameTableIndex >= elf.count) return std::nullopt;
  return file.Read(elf.tableOffset, elf.count * elf.entrySize);
}

std::optional<std::string> ReadSectionData(const RangeReader& file, const SectionHeader& section,
                                           uint64_t maxSize) {
  if (section.type == kSectionNoBits || section.size > maxSize) return std::nullopt;
  return file.Read(section.offset, section.size);
}

// The contents of the named section, or nothing.
std::optional<std::string> FindSectionData(const RangeReader& file, const std::string& name,
                                           uint64_t maxSize) {
  auto elf = ReadElfHeader(file);
  if (!elf) return std::nullopt;
  const auto table = ReadSectionTable(file, *elf);
  if (!table) return std::nullopt;
  const auto names =
      ReadSectionData(file, GetSection(*elf, *table, elf->nameTableIndex), kMaxNameTable);
  if (!names) return std::nullopt;
  for (uint64_t i = 1; i < elf->count; ++i) {
    const SectionHeader section = GetSection(*elf, *table, i);
    if (section.name >= names->size()) continue;
    // Bounded by the table: a name without a terminating zero never matches.
    if (names->compare(section.name, name.size() + 1, name.c_str(), name.size() + 1) == 0) {
      return ReadSectionData(file, section, maxSize);
    }
  }
  return std::nullopt;
}

// "a.b.c.d" with four decimal numbers of 0 to 65535, normalised; else unknown.
std::string ParseVersionStamp(const std::string& data) {
  const std::string stamp = data.substr(0, data.find('\0'));
  std::string result;
  size_t at = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && (at >= stamp.size() || stamp[at++] != '.')) return kUnknownVersion;
    size_t digits = 0;
    unsigned value = 0;
    for (; at < stamp.size() && stamp[at] >= '0' && stamp[at] <= '9'; ++at, ++digits) {
      value = value * 10 + static_cast<unsigned>(stamp[at] - '0');
      if (value > 65535) return kUnknownVersion;
    }
    if (digits == 0) return kUnknownVersion;
    if (part > 0) result += '.';
    result += std::to_string(value);
  }
  return at == stamp.size() ? result : kUnknownVersion;
}

}  // namespace

std::string SystemErrorText(int code) {
  // The text comes in the user's language for messages; the program's own
  // locale (numbers, dates) is left alone. The C library's texts are asked
  // for in UTF-8 whatever the program's character set is.
  static const bool utf8 = bind_textdomain_codeset("libc", "UTF-8") != nullptr;
  (void)utf8;
  // Made once and kept: the C library loads locale data under a lock of its
  // own, and ports fail in several threads at once.
  static const locale_t messages = newlocale(LC_MESSAGES_MASK, "", nullptr);
  if (messages) return "ошибка #" + std::to_string(code) + ": " + strerror_l(code, messages);
  char buffer[256] = {};
  const char* text = ErrorMessage(strerror_r(code, buffer, sizeof buffer), buffer);
  return "ошибка #" + std::to_string(code) + ": " + text;
}

std::string CRuntimeErrorText(int errnoValue) {
  return SystemErrorText(errnoValue);
}

std::string LastErrorText() {
  return SystemErrorText(errno);
}

std::string FileVersionText(const std::string& fileName) {
  const RangeReader file(fileName);
  const auto stamp = FindSectionData(file, kStampSection, kMaxStamp);
  return stamp ? ParseVersionStamp(*stamp) : kUnknownVersion;
}

std::string OwnExecutablePath() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<size_t>(length) < buffer.size()) return std::string(buffer.data(), length);
    if (buffer.size() >= (1u << 20)) return {};
    buffer.resize(buffer.size() * 2);
  }
}

void OpenClosedStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is taken, which is this one.
    if (::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) < 0) return;
  }
}

void IgnoreBrokenPipes() {
  ::signal(SIGPIPE, SIG_IGN);
}

void UseUtf8Console() {}

}  // namespace vela
