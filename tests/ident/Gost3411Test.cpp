// Digests of the hash context against the worked examples of GOST R 34.11-2012
// (RFC 6986), and the same digests whatever the split of the message.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "common/ArkCmnUtils.h"
#include "ident/ArkGost3411.h"

namespace vela {
namespace {

// The standard writes messages and digests most significant byte first; the
// first message byte is the last one written.
Octets FromStandardNotation(const std::string& hex) {
  Octets bytes = HexToBytes(hex);
  std::reverse(bytes.begin(), bytes.end());
  return bytes;
}

const Octets kMessage1 = "012345678901234567890123456789012345678901234567890123456789012";
const Octets kMessage2 = FromStandardNotation(
    "FBE2E5F0EEE3C820FBEAFAEBEF20FFFBF0E1E0F0F520E0ED20E8ECE0EBE5F0F2F120FFF0EEEC20F120FAF2FEE5E2"
    "202CE8F6F3EDE220E8E6EEE1E8F0F2D1202CE8F0F2E5E220E5D1");

Octets Digest(const Octets& message, bool digest512) {
  TGostContext ctx;
  GostInit(ctx, digest512);
  GostUpdate(ctx, message);
  GostFinal(ctx);
  return GostDigest(ctx);
}

struct KnownDigest {
  const char* name;
  const Octets* message;
  bool digest512;
  const char* expected;  // most significant byte first
};

const Octets kEmpty;

const KnownDigest kKnownDigests[] = {
    {"M1_256", &kMessage1, false,
     "00557BE5E584FD52A449B16B0251D05D27F94AB76CBAA6DA890B59D8EF1E159D"},
    {"M1_512", &kMessage1, true,
     "486F64C1917879417FEF082B3381A4E211C324F074654C38823A7B76F830AD00"
     "FA1FBAE42B1285C0352F227524BC9AB16254288DD6863DCCD5B9F54A1AD0541B"},
    {"M2_256", &kMessage2, false,
     "508F7E553C06501D749A66FC28C6CAC0B005746D97537FA85D9E40904EFED29D"},
    {"M2_512", &kMessage2, true,
     "28FBC9BADA033B1460642BDCDDB90C3FB3E56C497CCD0F62B8A2AD4935E85F03"
     "7613966DE4EE00531AE60F3B5A47F8DAE06915D5F2F194996FCABF2622E6881E"},
    {"Empty_256", &kEmpty, false,
     "BBE19C8D2025D99F943A932A0B365A822AA36A4C479D22CC02C8973E219A533F"},
    {"Empty_512", &kEmpty, true,
     "8A1A1C4CBF909F8ECB81CD1B5C713ABAD26A4CAC2A5FDA3CE86E352855712F36"
     "A7F0BE98EB6CF51553B507B73A87E97946AEBC29859255049F86AA09A25D948E"},
};

class KnownDigestTest : public testing::TestWithParam<KnownDigest> {};

TEST_P(KnownDigestTest, MatchesTheStandard) {
  const KnownDigest& c = GetParam();
  const Octets digest = Digest(*c.message, c.digest512);
  EXPECT_EQ(digest.size(), c.digest512 ? 64u : 32u);
  EXPECT_EQ(BytesToHexReversed(digest), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Standard, KnownDigestTest, testing::ValuesIn(kKnownDigests),
                         [](const auto& info) { return std::string(info.param.name); });

Octets PseudoRandomOctets(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Octets octets(size, '\0');
  for (char& c : octets) c = static_cast<char>(random());
  return octets;
}

struct SplitCase {
  size_t pieceSize;
  bool digest512;
};

class SplitFeedTest : public testing::TestWithParam<SplitCase> {};

// Feeding in pieces crosses the buffered-block path at every offset.
TEST_P(SplitFeedTest, EqualsFeedingAtOnce) {
  const SplitCase& c = GetParam();
  for (const Octets& message : {kMessage2, PseudoRandomOctets(200003, 7)}) {
    TGostContext ctx;
    GostInit(ctx, c.digest512);
    for (size_t at = 0; at < message.size(); at += c.pieceSize) {
      GostUpdate(ctx, message.data() + at, std::min(c.pieceSize, message.size() - at));
    }
    GostFinal(ctx);
    EXPECT_EQ(ctx.BufLen, 0);
    EXPECT_EQ(GostDigest(ctx), Digest(message, c.digest512)) << "message of " << message.size();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, SplitFeedTest,
    testing::Values(SplitCase{1, false}, SplitCase{63, false}, SplitCase{64, false},
                    SplitCase{65, false}, SplitCase{65536, false}, SplitCase{1, true},
                    SplitCase{63, true}, SplitCase{65, true}, SplitCase{65536, true}),
    [](const auto& info) {
      return std::to_string(info.param.pieceSize) + (info.param.digest512 ? "_512" : "_256");
    });

TEST(Gost3411, EmptyUpdatesChangeNothing) {
  TGostContext ctx;
  GostInit(ctx, false);
  GostUpdate(ctx, kMessage1.data(), 10);
  GostUpdate(ctx, nullptr, 0);
  GostUpdate(ctx, kMessage1.data() + 10, kMessage1.size() - 10);
  GostUpdate(ctx, Octets());
  GostFinal(ctx);
  EXPECT_EQ(GostDigest(ctx), Digest(kMessage1, false));
}

TEST(Gost3411, InitResetsAUsedContextAndSwitchesVariant) {
  TGostContext ctx;
  GostInit(ctx, false);
  GostUpdate(ctx, kMessage2);
  GostFinal(ctx);
  GostInit(ctx, true);
  GostUpdate(ctx, kMessage1);
  GostFinal(ctx);
  EXPECT_EQ(GostDigest(ctx), Digest(kMessage1, true));
}

// A full block is compressed at once; only a partial one waits for GostFinal.
TEST(Gost3411, FullBlockIsProcessedInUpdate) {
  const Octets block = PseudoRandomOctets(64, 1);
  for (const size_t size : {size_t{63}, size_t{64}, size_t{65}}) {
    TGostContext ctx;
    GostInit(ctx, false);
    GostUpdate(ctx, block.data(), std::min(size, block.size()));
    if (size > 64) GostUpdate(ctx, "x", 1);
    EXPECT_EQ(ctx.BufLen, static_cast<int32_t>(size % 64)) << size;
    EXPECT_EQ(ctx.N[0], size >= 64 ? 512u : 0u) << size;
  }
}

}  // namespace
}  // namespace vela
