#include "ident/ArkGost3411.h"

#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <vector>

#include "common/ArkCmnUtils.h"
#include "common/ArkSysUtils.h"
#include "ident/Gost3411Tables.h"

namespace vela {
namespace {

using gost3411::kIterationConstants;
using gost3411::kLpsTable;

// LPS: substitution, byte transposition and linear transformation in one
// pass. Output word c gathers byte c of every input word (the transposition),
// each looked up in the table of its input word (substitution and L).
inline void Lps(const uint64_t* in, uint64_t* out) {
#pragma GCC unroll 8
  for (int c = 0; c < 8; ++c) {
    const int shift = 8 * c;
    out[c] = kLpsTable[0][(in[0] >> shift) & 0xFF] ^ kLpsTable[1][(in[1] >> shift) & 0xFF] ^
             kLpsTable[2][(in[2] >> shift) & 0xFF] ^ kLpsTable[3][(in[3] >> shift) & 0xFF] ^
             kLpsTable[4][(in[4] >> shift) & 0xFF] ^ kLpsTable[5][(in[5] >> shift) & 0xFF] ^
             kLpsTable[6][(in[6] >> shift) & 0xFF] ^ kLpsTable[7][(in[7] >> shift) & 0xFF];
  }
}

inline void Xor(const uint64_t* a, const uint64_t* b, uint64_t* out) {
  for (int i = 0; i < 8; ++i) out[i] = a[i] ^ b[i];
}

// The compression function g_N(h, m). The running state of the cipher E
// starts as m; the final feed-forward uses the original block m.
void Compress(TGostBlock& h, const TGostBlock& n, const TGostBlock& m) {
  uint64_t key[8], state[8], mixed[8];
  Xor(h.data(), n.data(), mixed);
  Lps(mixed, key);
  std::memcpy(state, m.data(), sizeof state);
  for (const TGostBlock& constant : kIterationConstants) {
    Xor(key, state, mixed);
    Lps(mixed, state);
    Xor(key, constant.data(), mixed);
    Lps(mixed, key);
  }
  for (int i = 0; i < 8; ++i) h[i] ^= key[i] ^ state[i] ^ m[i];
}

// Adds a 512-bit number (modulo 2^512).
void Add512(TGostBlock& sum, const TGostBlock& addend) {
  uint64_t carry = 0;
  for (int i = 0; i < 8; ++i) {
    const uint64_t partial = sum[i] + addend[i];
    const uint64_t carryOut = partial < sum[i] ? 1 : 0;
    sum[i] = partial + carry;
    carry = carryOut | (sum[i] < partial ? 1 : 0);
  }
}

void AddSmall(TGostBlock& sum, uint64_t value) {
  TGostBlock addend{};
  addend[0] = value;
  Add512(sum, addend);
}

// A 64-byte block, first byte lowest.
TGostBlock LoadBlock(const uint8_t* bytes) {
  TGostBlock block;
  std::memcpy(block.data(), bytes, 64);
  if constexpr (std::endian::native == std::endian::big) {
    for (uint64_t& word : block) word = __builtin_bswap64(word);
  }
  return block;
}

void ProcessBlock(TGostContext& ctx, const uint8_t* bytes) {
  const TGostBlock m = LoadBlock(bytes);
  Compress(ctx.H, ctx.N, m);
  AddSmall(ctx.N, 512);
  Add512(ctx.Sigma, m);
}

// Closes a file descriptor when the scope ends.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// Reads up to size bytes, repeating a read that a signal interrupted.
ssize_t ReadChunk(int fd, uint8_t* buffer, size_t size) {
  ssize_t count;
  do {
    count = ::read(fd, buffer, size);
  } while (count < 0 && errno == EINTR);
  return count;
}

}  // namespace

void GostInit(TGostContext& ctx, bool digest512) {
  ctx = TGostContext{};
  ctx.Digest512 = digest512;
  ctx.H.fill(digest512 ? 0 : 0x0101010101010101ULL);
}

void GostUpdate(TGostContext& ctx, const void* data, size_t len) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (ctx.BufLen > 0) {
    const size_t take = std::min(len, static_cast<size_t>(64 - ctx.BufLen));
    std::memcpy(ctx.Buffer.data() + ctx.BufLen, bytes, take);
    ctx.BufLen += static_cast<int32_t>(take);
    bytes += take;
    len -= take;
    if (ctx.BufLen < 64) return;
    ProcessBlock(ctx, ctx.Buffer.data());
    ctx.BufLen = 0;
  }
  for (; len >= 64; bytes += 64, len -= 64) ProcessBlock(ctx, bytes);
  if (len > 0) std::memcpy(ctx.Buffer.data(), bytes, len);
  ctx.BufLen = static_cast<int32_t>(len);
}

void GostUpdate(TGostContext& ctx, const Octets& data) {
  GostUpdate(ctx, data.data(), data.size());
}

void GostFinal(TGostContext& ctx) {
  // Padding: 0x01 right after the last message byte, then zeros.
  std::memset(ctx.Buffer.data() + ctx.BufLen, 0, 64 - ctx.BufLen);
  ctx.Buffer[ctx.BufLen] = 0x01;
  const TGostBlock m = LoadBlock(ctx.Buffer.data());
  Compress(ctx.H, ctx.N, m);
  AddSmall(ctx.N, 8 * static_cast<uint64_t>(ctx.BufLen));
  Add512(ctx.Sigma, m);
  const TGostBlock zero{};
  Compress(ctx.H, zero, ctx.N);
  Compress(ctx.H, zero, ctx.Sigma);
  ctx.BufLen = 0;
}

Octets GostDigest(const TGostContext& ctx) {
  Octets bytes(64, '\0');
  for (int i = 0; i < 64; ++i) bytes[i] = static_cast<char>(ctx.H[i / 8] >> (8 * (i % 8)));
  return ctx.Digest512 ? bytes : bytes.substr(32);
}

std::string HashFileGost256(const std::string& fileName) {
  FileHandle file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) {
    throw TArkException("Не удалось открыть файл \"" + fileName + "\": " + LastErrorText());
  }
  TGostContext ctx;
  GostInit(ctx, false);
  std::vector<uint8_t> chunk(65536);
  for (;;) {
    const ssize_t count = ReadChunk(file.Get(), chunk.data(), chunk.size());
    if (count < 0) {
      throw TArkException("Не удалось прочитать файл \"" + fileName + "\": " + LastErrorText());
    }
    if (count == 0) break;
    GostUpdate(ctx, chunk.data(), static_cast<size_t>(count));
  }
  GostFinal(ctx);
  return BytesToHexReversed(GostDigest(ctx));
}

}  // namespace vela
