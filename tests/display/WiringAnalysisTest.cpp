// The wiring check over synthetic networks: each reading is computed here
// from the phasors of a network, with the fault applied to what the
// transducer's inputs see, and the findings compared with those expected.

#include <gtest/gtest.h>

#include <complex>
#include <numbers>
#include <string>

#include "display/WiringAnalysis.h"

namespace vela {
namespace {

using Phasor = std::complex<double>;

struct TInputs {
  std::array<Phasor, 3> u, i;  // what the voltage and current inputs of A, B, C see
  bool threeWire = false;
};

Phasor Polar(double magnitude, double degrees) {
  return std::polar(magnitude, degrees * std::numbers::pi / 180);
}

// A symmetric A-B-C network, current lagging its voltage by loadDeg.
TInputs Network(double loadDeg) {
  TInputs n;
  for (int k = 0; k < 3; ++k) {
    n.u[k] = Polar(230, -120.0 * k);
    n.i[k] = Polar(5, -120.0 * k - loadDeg);
  }
  return n;
}

TReadingValues Reading(const TInputs& n) {
  TReadingValues v;
  Phasor sumU, sumI;
  double p = 0, q = 0;
  for (int k = 0; k < 3; ++k) {
    const Phasor s = n.u[k] * std::conj(n.i[k]);
    v[slotUa + k] = std::abs(n.u[k]);
    v[slotUab + k] = std::abs(n.u[k] - n.u[(k + 1) % 3]);
    v[slotIa + k] = std::abs(n.i[k]);
    v[slotPa + k] = s.real();
    v[slotQa + k] = s.imag();
    v[slotSa + k] = std::abs(s);
    sumU += n.u[k];
    sumI += n.i[k];
    p += s.real();
    q += s.imag();
  }
  v[slotF] = 50;
  v[slotP] = p;
  v[slotQ] = q;
  v[slotS] = std::hypot(p, q);
  v[slotIo] = std::abs(sumI);
  v[slotUo] = std::abs(sumU) / 3;
  if (n.threeWire) {
    for (TSlot slot : kFourWireOnlySlots) v[slot].reset();
  }
  return v;
}

enum { A, B, C };

struct TCase {
  const char* name;
  double loadDeg;
  void (*fault)(TInputs&);
  const char* expected;  // "code:phases" joined by spaces, in the order found
};

void None(TInputs&) {}

const TCase kCases[] = {
    {"HealthyLeading09", -25.8, None, ""},
    {"HealthyResistive", 0, None, ""},
    {"HealthyLagging09", 25.8, None, ""},
    {"HealthyLagging05", 60, None, ""},
    {"CtReversedA", 25.8, [](TInputs& n) { n.i[A] = -n.i[A]; }, "ct-reversed:A"},
    {"CtReversedB", 60, [](TInputs& n) { n.i[B] = -n.i[B]; }, "ct-reversed:B"},
    {"CtReversedC", -25.8, [](TInputs& n) { n.i[C] = -n.i[C]; }, "ct-reversed:C"},
    {"CtReversedAB", 25.8, [](TInputs& n) { n.i[A] = -n.i[A], n.i[B] = -n.i[B]; },
     "ct-reversed:AB"},
    {"SwappedAB", 25.8, [](TInputs& n) { std::swap(n.i[A], n.i[B]); }, "currents-swapped:AB"},
    {"SwappedBC", 60, [](TInputs& n) { std::swap(n.i[B], n.i[C]); }, "currents-swapped:BC"},
    {"SwappedCA", -25.8, [](TInputs& n) { std::swap(n.i[C], n.i[A]); }, "currents-swapped:AC"},
    {"VtReversedA", 25.8, [](TInputs& n) { n.u[A] = -n.u[A]; }, "vt-reversed:A"},
    {"VtReversedB", 0, [](TInputs& n) { n.u[B] = -n.u[B]; }, "vt-reversed:B"},
    {"VtReversedC", 60, [](TInputs& n) { n.u[C] = -n.u[C]; }, "vt-reversed:C"},
    {"VtAndCtReversedB", 25.8, [](TInputs& n) { n.u[B] = -n.u[B], n.i[B] = -n.i[B]; },
     "vt-reversed:B ct-reversed:B"},
    {"VoltageMissingA", 25.8, [](TInputs& n) { n.u[A] = 0; }, "voltage-missing:A"},
    {"VoltageMissingB", 25.8, [](TInputs& n) { n.u[B] = 0; }, "voltage-missing:B"},
    {"VoltageMissingC", 25.8, [](TInputs& n) { n.u[C] = 0; }, "voltage-missing:C"},
    {"CurrentMissingA", 25.8, [](TInputs& n) { n.i[A] = 0; }, "current-missing:A"},
    {"CurrentMissingB", 25.8, [](TInputs& n) { n.i[B] = 0; }, "current-missing:B"},
    {"CurrentMissingC", 25.8, [](TInputs& n) { n.i[C] = 0; }, "current-missing:C"},
    {"VoltageUnbalance", 25.8, [](TInputs& n) { n.u[A] *= 1.08; }, "voltage-unbalance:"},
    {"CurrentUnbalance", 25.8, [](TInputs& n) { n.i[C] *= 0.4; }, "current-unbalance:"},
    {"ThreeWireHealthy", 25.8, [](TInputs& n) { n.threeWire = true; }, ""},
    {"ThreeWireCurrentMissingB", 25.8, [](TInputs& n) { n.threeWire = true, n.i[B] = 0; },
     "current-missing:B"},
};

std::string Codes(const TWiringResult& result) {
  std::string codes;
  for (const TWiringFinding& finding : result.findings) {
    codes += (codes.empty() ? "" : " ") + finding.code + ":";
    for (const std::string& phase : finding.phases) codes += phase;
  }
  return codes;
}

class WiringAnalysisTest : public testing::TestWithParam<TCase> {};

TEST_P(WiringAnalysisTest, FindsTheFaultOfTheNetwork) {
  const TCase& c = GetParam();
  TInputs inputs = Network(c.loadDeg);
  c.fault(inputs);
  const TWiringResult result = AnalyseWiring(Reading(inputs));
  EXPECT_EQ(Codes(result), c.expected);
  EXPECT_EQ(result.fourWire, !inputs.threeWire);
  // A 3-wire network says what it could not check.
  EXPECT_EQ(result.notChecked.empty(), !inputs.threeWire);
  for (const TWiringFinding& finding : result.findings) EXPECT_FALSE(finding.text.empty());
}

INSTANTIATE_TEST_SUITE_P(Networks, WiringAnalysisTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Readings that cannot come from any network: a measurement or scaling fault.
TEST(WiringAnalysisConsistency, FlagsPowerAndTrianglesThatDoNotClose) {
  struct TBroken {
    const char* name;
    void (*spoil)(TReadingValues&);
    const char* expected;
  };
  const TBroken cases[] = {
      {"PhaseS", [](TReadingValues& v) { v[slotSb] = *v[slotSb] * 1.2; }, "inconsistent:B"},
      {"TotalS", [](TReadingValues& v) { v[slotS] = *v[slotS] * 0.8; }, "inconsistent:"},
      {"LineTooLong", [](TReadingValues& v) { v[slotUbc] = 480.0; }, "inconsistent:BC"},
  };
  for (const TBroken& c : cases) {
    TReadingValues values = Reading(Network(25.8));
    c.spoil(values);
    EXPECT_EQ(Codes(AnalyseWiring(values)), c.expected) << c.name;
  }
}

// The phasors of a healthy network sit where its phasors are.
TEST(WiringAnalysisPhasors, PlaceAHealthyNetworkAsItIs) {
  const TWiringResult result = AnalyseWiring(Reading(Network(30)));
  const std::pair<const char*, double> expected[] = {{"Ua", 0},   {"Ub", -120}, {"Uc", 120},
                                                     {"Ia", -30}, {"Ib", -150}, {"Ic", 90}};
  ASSERT_EQ(result.phasors.size(), 6u);
  for (size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(result.phasors[k].name, expected[k].first);
    ASSERT_TRUE(result.phasors[k].degrees) << expected[k].first;
    EXPECT_NEAR(*result.phasors[k].degrees, expected[k].second, 0.01) << expected[k].first;
  }
}

}  // namespace
}  // namespace vela
