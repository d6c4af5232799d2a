#pragma once
// Constants of the GOST R 34.11-2012 hash and the lookup table that merges
// its substitution, byte transposition and linear transformation (LPS).
// The table is computed at compile time from the three defining constants.

#include <array>
#include <cstdint>
#include <string_view>

#include "ident/ArkGost3411.h"

namespace vela::gost3411 {

// The substitution pi.
inline constexpr std::array<uint8_t, 256> kPi = {
    0xFC, 0xEE, 0xDD, 0x11, 0xCF, 0x6E, 0x31, 0x16, 0xFB, 0xC4, 0xFA, 0xDA, 0x23, 0xC5, 0x04, 0x4D,
    0xE9, 0x77, 0xF0, 0xDB, 0x93, 0x2E, 0x99, 0xBA, 0x17, 0x36, 0xF1, 0xBB, 0x14, 0xCD, 0x5F, 0xC1,
    0xF9, 0x18, 0x65, 0x5A, 0xE2, 0x5C, 0xEF, 0x21, 0x81, 0x1C, 0x3C, 0x42, 0x8B, 0x01, 0x8E, 0x4F,
    0x05, 0x84, 0x02, 0xAE, 0xE3, 0x6A, 0x8F, 0xA0, 0x06, 0x0B, 0xED, 0x98, 0x7F, 0xD4, 0xD3, 0x1F,
    0xEB, 0x34, 0x2C, 0x51, 0xEA, 0xC8, 0x48, 0xAB, 0xF2, 0x2A, 0x68, 0xA2, 0xFD, 0x3A, 0xCE, 0xCC,
    0xB5, 0x70, 0x0E, 0x56, 0x08, 0x0C, 0x76, 0x12, 0xBF, 0x72, 0x13, 0x47, 0x9C, 0xB7, 0x5D, 0x87,
    0x15, 0xA1, 0x96, 0x29, 0x10, 0x7B, 0x9A, 0xC7, 0xF3, 0x91, 0x78, 0x6F, 0x9D, 0x9E, 0xB2, 0xB1,
    0x32, 0x75, 0x19, 0x3D, 0xFF, 0x35, 0x8A, 0x7E, 0x6D, 0x54, 0xC6, 0x80, 0xC3, 0xBD, 0x0D, 0x57,
    0xDF, 0xF5, 0x24, 0xA9, 0x3E, 0xA8, 0x43, 0xC9, 0xD7, 0x79, 0xD6, 0xF6, 0x7C, 0x22, 0xB9, 0x03,
    0xE0, 0x0F, 0xEC, 0xDE, 0x7A, 0x94, 0xB0, 0xBC, 0xDC, 0xE8, 0x28, 0x50, 0x4E, 0x33, 0x0A, 0x4A,
    0xA7, 0x97, 0x60, 0x73, 0x1E, 0x00, 0x62, 0x44, 0x1A, 0xB8, 0x38, 0x82, 0x64, 0x9F, 0x26, 0x41,
    0xAD, 0x45, 0x46, 0x92, 0x27, 0x5E, 0x55, 0x2F, 0x8C, 0xA3, 0xA5, 0x7D, 0x69, 0xD5, 0x95, 0x3B,
    0x07, 0x58, 0xB3, 0x40, 0x86, 0xAC, 0x1D, 0xF7, 0x30, 0x37, 0x6B, 0xE4, 0x88, 0xD9, 0xE7, 0x89,
    0xE1, 0x1B, 0x83, 0x49, 0x4C, 0x3F, 0xF8, 0xFE, 0x8D, 0x53, 0xAA, 0x90, 0xCA, 0xD8, 0x85, 0x61,
    0x20, 0x71, 0x67, 0xA4, 0x2D, 0x2B, 0x09, 0x5B, 0xCB, 0x9B, 0x25, 0xD0, 0xBE, 0xE5, 0x6C, 0x52,
    0x59, 0xA6, 0x74, 0xD2, 0xE6, 0xF4, 0xB4, 0xC0, 0xD1, 0x66, 0xAF, 0xC2, 0x39, 0x4B, 0x63, 0xB6,
};

// The rows of the matrix A of the linear transformation l, first row first.
inline constexpr std::array<uint64_t, 64> kA = {
    0x8E20FAA72BA0B470ULL, 0x47107DDD9B505A38ULL, 0xAD08B0E0C3282D1CULL, 0xD8045870EF14980EULL,
    0x6C022C38F90A4C07ULL, 0x3601161CF205268DULL, 0x1B8E0B0E798C13C8ULL, 0x83478B07B2468764ULL,
    0xA011D380818E8F40ULL, 0x5086E740CE47C920ULL, 0x2843FD2067ADEA10ULL, 0x14AFF010BDD87508ULL,
    0x0AD97808D06CB404ULL, 0x05E23C0468365A02ULL, 0x8C711E02341B2D01ULL, 0x46B60F011A83988EULL,
    0x90DAB52A387AE76FULL, 0x486DD4151C3DFDB9ULL, 0x24B86A840E90F0D2ULL, 0x125C354207487869ULL,
    0x092E94218D243CBAULL, 0x8A174A9EC8121E5DULL, 0x4585254F64090FA0ULL, 0xACCC9CA9328A8950ULL,
    0x9D4DF05D5F661451ULL, 0xC0A878A0A1330AA6ULL, 0x60543C50DE970553ULL, 0x302A1E286FC58CA7ULL,
    0x18150F14B9EC46DDULL, 0x0C84890AD27623E0ULL, 0x0642CA05693B9F70ULL, 0x0321658CBA93C138ULL,
    0x86275DF09CE8AAA8ULL, 0x439DA0784E745554ULL, 0xAFC0503C273AA42AULL, 0xD960281E9D1D5215ULL,
    0xE230140FC0802984ULL, 0x71180A8960409A42ULL, 0xB60C05CA30204D21ULL, 0x5B068C651810A89EULL,
    0x456C34887A3805B9ULL, 0xAC361A443D1C8CD2ULL, 0x561B0D22900E4669ULL, 0x2B838811480723BAULL,
    0x9BCF4486248D9F5DULL, 0xC3E9224312C8C1A0ULL, 0xEFFA11AF0964EE50ULL, 0xF97D86D98A327728ULL,
    0xE4FA2054A80B329CULL, 0x727D102A548B194EULL, 0x39B008152ACB8227ULL, 0x9258048415EB419DULL,
    0x492C024284FBAEC0ULL, 0xAA16012142F35760ULL, 0x550B8E9E21F7A530ULL, 0xA48B474F9EF5DC18ULL,
    0x70A6A56E2440598EULL, 0x3853DC371220A247ULL, 0x1CA76E95091051ADULL, 0x0EDD37C48A08A6D8ULL,
    0x07E095624504536CULL, 0x8D70C431AC02A736ULL, 0xC83862965601DD1BULL, 0x641C314B2B8EE083ULL,
};

// The byte transposition tau: byte p moves to position Tau(p) (a transpose
// of the 8 x 8 byte matrix).
constexpr int Tau(int p) {
  return 8 * (p % 8) + p / 8;
}

constexpr int HexNibble(char c) {
  return c <= '9' ? c - '0' : (c <= 'F' ? c - 'A' + 10 : c - 'a' + 10);
}

// A 512-bit constant written most significant byte first, as 128 digits.
constexpr TGostBlock ParseBlock(std::string_view hex) {
  TGostBlock block{};
  for (int i = 0; i < 64; ++i) {
    const size_t at = hex.size() - 2 * static_cast<size_t>(i) - 2;
    const uint64_t value = static_cast<uint64_t>(HexNibble(hex[at]) * 16 + HexNibble(hex[at + 1]));
    block[i / 8] |= value << (8 * (i % 8));
  }
  return block;
}

// The iteration constants C1 to C12.
inline constexpr std::array<TGostBlock, 12> kIterationConstants = {
    ParseBlock("B1085BDA1ECADAE9EBCB2F81C0657C1F2F6A76432E45D016714EB88D7585C4FC"
               "4B7CE09192676901A2422A08A460D31505767436CC744D23DD806559F2A64507"),
    ParseBlock("6FA3B58AA99D2F1A4FE39D460F70B5D7F3FEEA720A232B9861D55E0F16B50131"
               "9AB5176B12D699585CB561C2DB0AA7CA55DDA21BD7CBCD56E679047021B19BB7"),
    ParseBlock("F574DCAC2BCE2FC70A39FC286A3D843506F15E5F529C1F8BF2EA7514B1297B7B"
               "D3E20FE490359EB1C1C93A376062DB09C2B6F443867ADB31991E96F50ABA0AB2"),
    ParseBlock("EF1FDFB3E81566D2F948E1A05D71E4DD488E857E335C3C7D9D721CAD685E353F"
               "A9D72C82ED03D675D8B71333935203BE3453EAA193E837F1220CBEBC84E3D12E"),
    ParseBlock("4BEA6BACAD4747999A3F410C6CA923637F151C1F1686104A359E35D7800FFFBD"
               "BFCD1747253AF5A3DFFF00B723271A167A56A27EA9EA63F5601758FD7C6CFE57"),
    ParseBlock("AE4FAEAE1D3AD3D96FA4C33B7A3039C02D66C4F95142A46C187F9AB49AF08EC6"
               "CFFAA6B71C9AB7B40AF21F66C2BEC6B6BF71C57236904F35FA68407A46647D6E"),
    ParseBlock("F4C70E16EEAAC5EC51AC86FEBF240954399EC6C7E6BF87C9D3473E33197A93C9"
               "0992ABC52D822C3706476983284A05043517454CA23C4AF38886564D3A14D493"),
    ParseBlock("9B1F5B424D93C9A703E7AA020C6E41414EB7F8719C36DE1E89B4443B4DDBC49A"
               "F4892BCB929B069069D18D2BD1A5C42F36ACC2355951A8D9A47F0DD4BF02E71E"),
    ParseBlock("378F5A541631229B944C9AD8EC165FDE3A7D3A1B258942243CD955B7E00D0984"
               "800A440BDBB2CEB17B2B8A9AA6079C540E38DC92CB1F2A607261445183235ADB"),
    ParseBlock("ABBEDEA680056F52382AE548B2E4F3F38941E71CFF8A78DB1FFFE18A1B336103"
               "9FE76702AF69334B7A1E6C303B7652F43698FAD1153BB6C374B4C7FB98459CED"),
    ParseBlock("7BCD9ED0EFC889FB3002C6CD635AFE94D8FA6BBBEBAB07612001802114846679"
               "8A1D71EFEA48B9CAEFBACD1D7D476E98DEA2594AC06FD85D6BCAA4CD81F32D1B"),
    ParseBlock("378EE767F11631BAD21380B00449B17ACDA43C32BCDF1D77F82012D430219F9B"
               "5D80EF9D1891CC86E71DA4AA88E12852FAF417D5D9B21B9948BC924AF11BD720"),
};

// l applied to a word that holds only the byte value at byte position
// byteIndex: bit 63 of a word selects the first row of A, bit 0 the last.
constexpr uint64_t LinearOfByte(int byteIndex, uint8_t value) {
  uint64_t result = 0;
  for (int bit = 0; bit < 8; ++bit) {
    if ((value >> bit) & 1) result ^= kA[63 - (8 * byteIndex + bit)];
  }
  return result;
}

// The lookup works word-wise: byte c of input word r lands, after tau, in
// output word c at byte position r. Checks that tau is that transpose.
constexpr bool TauIsTranspose() {
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) {
      if (Tau(8 * r + c) != 8 * c + r) return false;
    }
  }
  return true;
}
static_assert(TauIsTranspose());

// kLpsTable[r][x]: contribution of byte value x taken from input word r.
constexpr std::array<std::array<uint64_t, 256>, 8> BuildLpsTable() {
  std::array<std::array<uint64_t, 256>, 8> table{};
  for (int r = 0; r < 8; ++r) {
    for (int x = 0; x < 256; ++x) table[r][x] = LinearOfByte(Tau(8 * r) % 8, kPi[x]);
  }
  return table;
}

alignas(64) inline constexpr std::array<std::array<uint64_t, 256>, 8> kLpsTable = BuildLpsTable();

}  // namespace vela::gost3411
