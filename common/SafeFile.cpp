#include "common/SafeFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "common/ArkSysUtils.h"

namespace vela {
namespace {

TFileStatus Failed(TFileFault fault, int error = 0) {
  return {fault, error};
}

TFileStatus SystemFailure(int error) {
  return {TFileFault::System, error};
}

// What stands at name when opening it for writing failed with error.
TFileStatus ClassifyRefusedName(const std::string& name, int error) {
  struct stat info {};
  if (::lstat(name.c_str(), &info) != 0) return SystemFailure(error);
  if (S_ISLNK(info.st_mode)) {
    return Failed(info.st_uid == ::geteuid() ? TFileFault::OwnLink : TFileFault::ForeignLink);
  }
  if (!S_ISREG(info.st_mode)) return Failed(TFileFault::NotRegular);
  if (error == EEXIST) return Failed(TFileFault::Taken);
  return SystemFailure(error);
}

int WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    // One call for the whole text; a second one only after a short write,
    // where it fails and tells why (full disk, file size limit).
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

// The folder part of name ("." for a bare name) and the last part.
std::pair<std::string, std::string> SplitPath(const std::string& name) {
  const size_t slash = name.rfind('/');
  if (slash == std::string::npos) return {".", name};
  return {slash == 0 ? "/" : name.substr(0, slash), name.substr(slash + 1)};
}

// A new file beside name, opened for writing; its path goes to tempName.
int CreateTempBeside(const std::string& name, std::string& tempName) {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  auto [folder, base] = SplitPath(name);
  if (base.size() > 200) base.resize(200);  // room for the suffix within NAME_MAX
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix(8, 'x');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    tempName = folder + "/." + base + "." + suffix;
    const int fd =
        ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

TFileStatus TAppendFile::Open(const std::string& name, TMode mode) {
  Close();
  // Non-blocking, so that a FIFO without a reader is refused at once
  // instead of freezing the program.
  int flags = O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
  if (mode == TMode::CreateNew) flags |= O_EXCL;
  const int fd = ::open(name.c_str(), flags, 0666);
  if (fd < 0) return ClassifyRefusedName(name, errno);
  TFileStatus status;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    status = SystemFailure(errno);
  } else if (!S_ISREG(info.st_mode)) {
    status = Failed(TFileFault::NotRegular);
  } else if (info.st_nlink > 1) {
    // Perhaps a hard link another user made to a file of ours.
    status = Failed(TFileFault::HardLinked);
  } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    status = errno == EWOULDBLOCK ? Failed(TFileFault::Locked) : SystemFailure(errno);
  } else if (mode == TMode::Truncate && ::ftruncate(fd, 0) != 0) {
    status = SystemFailure(errno);
  }
  if (!status.Ok()) {
    ::close(fd);
    return status;
  }
  fd_ = fd;
  return status;
}

void TAppendFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

TFileStatus TAppendFile::Append(const std::string& text) {
  if (fd_ < 0) return SystemFailure(EBADF);
  const off_t formerSize = ::lseek(fd_, 0, SEEK_END);
  const int error = WriteAll(fd_, text);
  if (error == 0) return {};
  // No part of the text stays behind; the write's error is the one told,
  // whether or not the cut succeeds.
  if (formerSize >= 0) {
    [[maybe_unused]] const int cut = ::ftruncate(fd_, formerSize);
  }
  return SystemFailure(error);
}

bool TAppendFile::StillAt(const std::string& name) const {
  struct stat held {
  }, named{};
  if (fd_ < 0 || ::fstat(fd_, &held) != 0 || held.st_nlink == 0) return false;
  if (::stat(name.c_str(), &named) != 0) return false;
  return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

TFileStatus WriteWholeFile(const std::string& name, const std::string& content) {
  std::string tempName;
  const int fd = CreateTempBeside(name, tempName);
  if (fd < 0) return SystemFailure(errno);
  int error = WriteAll(fd, content);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(tempName.c_str(), name.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(tempName.c_str());
    return SystemFailure(error);
  }
  return {};
}

TFileStatus ReadRegularFile(const std::string& name, size_t maxSize, std::string& content) {
  content.clear();
  // Non-blocking: opening a FIFO must not wait for a writer.
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return SystemFailure(errno);
  TFileStatus status;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    status = SystemFailure(errno);
  } else if (!S_ISREG(info.st_mode)) {
    status = Failed(TFileFault::NotRegular);
  } else {
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        status = SystemFailure(errno);
        break;
      }
      if (n == 0) break;
      if (content.size() + static_cast<size_t>(n) > maxSize) {
        status = Failed(TFileFault::TooLarge);
        break;
      }
      content.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  if (!status.Ok()) content.clear();
  return status;
}

}  // namespace vela
