#pragma once
// The hash function of GOST R 34.11-2012 ("Streebog"), 256- and 512-bit
// variants, as an incremental context: initialise, feed any number of byte
// blocks, finish, take the digest.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/ArkTypes.h"

namespace vela {

// 512-bit quantities are kept as eight 64-bit words, word 0 the lowest; byte i
// of the quantity is byte (i mod 8) of word (i / 8), least significant first.
using TGostBlock = std::array<uint64_t, 8>;

struct TGostContext {
  TGostBlock H{};      // chaining value
  TGostBlock N{};      // number of message bits processed so far
  TGostBlock Sigma{};  // sum modulo 2^512 of all message blocks
  int32_t BufLen = 0;  // bytes waiting in Buffer, 0 to 63
  bool Digest512 = false;
  std::array<uint8_t, 64> Buffer{};  // the incomplete last block
};

// Clears the context and sets the initial chaining value of the variant.
void GostInit(TGostContext& ctx, bool digest512);
// Feeds len bytes; any split of a message gives the same digest.
void GostUpdate(TGostContext& ctx, const void* data, size_t len);
void GostUpdate(TGostContext& ctx, const Octets& data);
// Pads the last block and completes the computation; afterwards BufLen is 0.
void GostFinal(TGostContext& ctx);
// 64 bytes (512-bit) or the upper 32 bytes of H (256-bit), lowest byte first.
Octets GostDigest(const TGostContext& ctx);

// The 256-bit digest of a whole file as 64 hexadecimal digits, most
// significant byte first (the way the standard writes hash values). The file
// is read in 64 KiB chunks; a file that cannot be opened or read raises
// TArkException.
std::string HashFileGost256(const std::string& fileName);

}  // namespace vela
