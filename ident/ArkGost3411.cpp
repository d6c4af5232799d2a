#include "ident/ArkGost3411.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "common/ArkCmnUtils.h"
#include "common/ArkSysUtils.h"
#include "common/InputFile.h"
#include "ident/Gost3411Tables.h"

namespace vela {
namespace {

using gost3411::kIterationConstants;
using gost3411::kLpsTable;

// Hides the value's origin from the optimiser: without it the compiler
// recomputes every byte from the original word (one shift per byte) instead
// of taking two bytes per 16-bit shift, which costs about a tenth in speed.
inline void OpaqueToOptimiser(uint64_t& value) {
  asm("" : "+r"(value));
}

// out := LPS(a xor b): substitution, byte transposition and linear
// transformation in one pass. Byte c of input word r lands, after the
// transposition, in output word c; its table (r) folds in pi and l.
inline void XorLps(const uint64_t* a, const uint64_t* b, uint64_t* out) {
  uint64_t o0 = 0, o1 = 0, o2 = 0, o3 = 0, o4 = 0, o5 = 0, o6 = 0, o7 = 0;
#pragma GCC unroll 8
  for (int r = 0; r < 8; ++r) {
    uint64_t word = a[r] ^ b[r];
    o0 ^= kLpsTable[r][word & 0xFF];
    o1 ^= kLpsTable[r][(word >> 8) & 0xFF];
    word >>= 16;
    OpaqueToOptimiser(word);
    o2 ^= kLpsTable[r][word & 0xFF];
    o3 ^= kLpsTable[r][(word >> 8) & 0xFF];
    word >>= 16;
    OpaqueToOptimiser(word);
    o4 ^= kLpsTable[r][word & 0xFF];
    o5 ^= kLpsTable[r][(word >> 8) & 0xFF];
    word >>= 16;
    OpaqueToOptimiser(word);
    o6 ^= kLpsTable[r][word & 0xFF];
    o7 ^= kLpsTable[r][word >> 8];
  }
  out[0] = o0, out[1] = o1, out[2] = o2, out[3] = o3;
  out[4] = o4, out[5] = o5, out[6] = o6, out[7] = o7;
}

// The compression function g_N(h, m): the cipher E with key LPS(h xor N)
// encrypts m, and the result is fed forward with h and the original block m.
void Compress(TGostBlock& h, const TGostBlock& n, const TGostBlock& m) {
  uint64_t key[8], state[8];
  XorLps(h.data(), n.data(), key);
  XorLps(key, m.data(), state);
  for (int i = 0; i < 11; ++i) {
    XorLps(key, kIterationConstants[i].data(), key);
    XorLps(key, state, state);
  }
  XorLps(key, kIterationConstants[11].data(), key);
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

}  // namespace

void GostInit(TGostContext& ctx, bool digest512) {
  ctx = TGostContext{};
  ctx.Digest512 = digest512;
  ctx.H.fill(digest512 ? 0 : 0x0101010101010101ULL);
}

void GostUpdate(TGostContext& ctx, const void* data, size_t len) {
  if (len == 0) return;  // data may then be null
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
  TInputFile file(fileName);
  if (!file.IsOpen()) {
    throw TArkException("Не удалось открыть файл \"" + fileName + "\": " + LastErrorText());
  }
  TGostContext ctx;
  GostInit(ctx, false);
  std::vector<uint8_t> chunk(65536);
  for (;;) {
    const int64_t count = file.Read(chunk.data(), chunk.size());
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
