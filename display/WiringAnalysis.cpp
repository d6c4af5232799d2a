#include "display/WiringAnalysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>

namespace vela {
namespace {

// A phase voltage or current below this share of the largest phase's counts
// as missing: a healthy network never spreads that far, and a blown fuse or
// an open current circuit leaves only noise.
constexpr double kMissingShare = 0.1;
// Below this largest current (amperes, a per cent of the smallest nominal
// secondary current of 1 A) there is no load to judge the currents by.
constexpr double kNoLoadCurrent = 0.01;
// A line voltage below this multiple of its two phase voltages' mean is
// "short": halfway between √3 (healthy) and 1 (one of the two VTs reversed).
const double kShortLineRatio = (1 + std::sqrt(3.0)) / 2;
// cos θ from the law of cosines may stray this far beyond ±1 through the
// rounding of the cells; further, the three voltages cannot form a triangle.
constexpr double kCosSlack = 0.02;
// The third voltage phasor must meet the two placed before it within this
// angle, or the triangle of voltages does not close.
constexpr double kClosingToleranceDeg = 5;
// S and √(P²+Q²) may differ by this share plus the rounding of the cells.
constexpr double kPowerTolerance = 0.02;
constexpr double kPowerRounding = 0.3;  // VA: the totals' register step of 0.2 VA and more
// Phase angles of current within this of each other belong to the same load.
constexpr double kAgreeDeg = 30;
// A phase angle this close to 180° or ±120° away from the others' is read
// as a reversed or a foreign current.
constexpr double kFaultToleranceDeg = 40;
// The loads a commissioning meets: from cos 0.5 lagging (60°) to 0.9 leading
// (-25.8°), with a margin. It tells which side of a 180° difference is wrong.
constexpr double kLoadLowDeg = -25.85 - 15;
constexpr double kLoadHighDeg = 60 + 15;
constexpr double kLoadMiddleDeg = (kLoadLowDeg + kLoadHighDeg) / 2;
// The negative-sequence voltage of a public supply stays below 2 % (4 % at
// most); a spread above 4 % at the transducer points to its own voltage
// circuit (a fuse, a loose terminal) rather than to the network.
constexpr double kVoltageUnbalanceLimit = 0.04;
// Loads are seldom balanced; a phase a third off the mean is beyond what a
// feeder usually carries and worth a look at the current circuits.
constexpr double kCurrentUnbalanceLimit = 0.3;

constexpr const char* kPhase[3] = {"A", "B", "C"};
constexpr const char* kLower[3] = {"a", "b", "c"};

double Degrees(double radians) {
  return radians * 180 / std::numbers::pi;
}

// An angle in (-180, 180].
double Wrap(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d <= -180) d += 360;
  if (d > 180) d -= 360;
  return d;
}

bool Near(double degrees, double target) {
  return std::abs(Wrap(degrees - target)) < kFaultToleranceDeg;
}

bool InLoadRange(double phi) {
  return phi >= kLoadLowDeg && phi <= kLoadHighDeg;
}

std::string Number(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  std::string out = text;
  std::replace(out.begin(), out.end(), '.', ',');
  return out;
}

std::string PhaseList(const std::vector<int>& phases) {
  std::string out;
  for (size_t i = 0; i < phases.size(); ++i) {
    out += (i == 0 ? "" : i + 1 == phases.size() ? " и " : ", ") + std::string(kPhase[phases[i]]);
  }
  return out;
}

std::vector<std::string> Letters(const std::vector<int>& phases) {
  std::vector<std::string> out;
  for (int k : phases) out.push_back(kPhase[k]);
  return out;
}

std::optional<double> Unbalance(const std::array<double, 3>& values) {
  const double mean = (values[0] + values[1] + values[2]) / 3;
  if (mean <= 0) return std::nullopt;
  double deviation = 0;
  for (double v : values) deviation = std::max(deviation, std::abs(v - mean));
  return deviation / mean;
}

class TWiringCheck {
 public:
  explicit TWiringCheck(const TReadingValues& values) : v_(values) {}

  TWiringResult Run() {
    r_.fourWire = HasAll({slotUa, slotUb, slotUc});
    CheckTotalPower();
    if (r_.fourWire) {
      RunFourWire();
    } else {
      RunThreeWire();
    }
    return std::move(r_);
  }

 private:
  bool Has(TSlot slot) const { return v_[slot].has_value(); }
  double At(TSlot slot) const { return v_[slot].value_or(0); }
  bool HasAll(std::initializer_list<TSlot> slots) const {
    return std::all_of(slots.begin(), slots.end(), [&](TSlot s) { return Has(s); });
  }
  static TSlot Slot(TSlot first, int k) { return static_cast<TSlot>(first + k); }

  void Find(std::string code, const std::vector<int>& phases, std::string text) {
    r_.findings.push_back({std::move(code), Letters(phases), std::move(text)});
  }
  void NotChecked(std::string text) { r_.notChecked.push_back(std::move(text)); }

  void CheckPower(TSlot p, TSlot q, TSlot s, const std::vector<int>& phases,
                  const std::string& where) {
    if (!HasAll({p, q, s})) return;
    const double hypot = std::hypot(At(p), At(q));
    const double limit = kPowerTolerance * std::max(At(s), hypot) + kPowerRounding;
    if (std::abs(At(s) - hypot) <= limit) return;
    Find("inconsistent", phases,
         where + " полная мощность S = " + Number("%.1f", At(s)) + " ВА не равна √(P²+Q²) = " +
             Number("%.1f", hypot) + " ВА: ошибка измерения или масштаба, проверьте установки.");
  }

  // The total S is either the vector sum √(P²+Q²) or the phases' S added up,
  // as a device may compute it; either one is consistent.
  void CheckTotalPower() {
    if (HasAll({slotS, slotSa, slotSb, slotSc})) {
      const double sum = At(slotSa) + At(slotSb) + At(slotSc);
      if (std::abs(At(slotS) - sum) <= kPowerTolerance * sum + kPowerRounding) return;
    }
    CheckPower(slotP, slotQ, slotS, {}, "В сумме по фазам");
  }

  // Missing phases of a quantity; the others' largest value.
  std::array<bool, 3> Missing(TSlot first, double& largest) const {
    largest = 0;
    for (int k = 0; k < 3; ++k) largest = std::max(largest, At(Slot(first, k)));
    std::array<bool, 3> missing{};
    for (int k = 0; k < 3; ++k) missing[k] = At(Slot(first, k)) < kMissingShare * largest;
    return missing;
  }

  void RunFourWire() {
    double largest = 0;
    const std::array<bool, 3> noVoltage = Missing(slotUa, largest);
    for (int k = 0; k < 3; ++k) {
      if (!noVoltage[k] && largest > 0) continue;
      noVoltage_[k] = true;
      Find("voltage-missing", {k},
           std::string("Нет напряжения фазы ") + kPhase[k] +
               ": проверьте предохранитель и подключение цепи напряжения фазы " + kPhase[k] + ".");
    }
    PlaceVoltages();
    CheckCurrentMagnitudes();
    for (int k = 0; k < 3; ++k) {
      CheckPower(Slot(slotPa, k), Slot(slotQa, k), Slot(slotSa, k), {k},
                 std::string("В фазе ") + kPhase[k]);
    }
    PlaceCurrents();
    CheckCurrentAngles();
    if (std::none_of(noVoltage_.begin(), noVoltage_.end(), [](bool b) { return b; })) {
      CheckUnbalance("voltage-unbalance", "напряжений", {At(slotUa), At(slotUb), At(slotUc)},
                     kVoltageUnbalanceLimit, r_.voltageUnbalance,
                     "проверьте цепи напряжения (предохранители, контакты).");
    }
  }

  // Law of cosines on phase i, the next phase j and their line voltage;
  // empty when the three cannot form a triangle.
  std::optional<double> Theta(int i) {
    const int j = (i + 1) % 3;
    const double ui = At(Slot(slotUa, i)), uj = At(Slot(slotUa, j)), line = At(Slot(slotUab, i));
    const double cosTheta = (ui * ui + uj * uj - line * line) / (2 * ui * uj);
    if (std::abs(cosTheta) <= 1 + kCosSlack) {
      return Degrees(std::acos(std::clamp(cosTheta, -1.0, 1.0)));
    }
    const std::string pair = std::string(kLower[i]) + kLower[j];
    Find("inconsistent", {i, j},
         std::string("Напряжения U") + kLower[i] + ", U" + kLower[j] + " и U" + pair +
             " не образуют треугольника: ошибка измерения или масштаба, проверьте "
             "коэффициенты ТН и подключение цепей напряжения.");
    return std::nullopt;
  }

  void PlaceVoltages() {
    CheckReversedVoltages();
    std::array<std::optional<double>, 3> theta;  // θab, θbc, θca
    for (int i = 0; i < 3; ++i) {
      const int j = (i + 1) % 3;
      if (noVoltage_[i] || noVoltage_[j] || !Has(Slot(slotUab, i))) continue;
      theta[i] = Theta(i);
      if (theta[i]) {
        r_.angles.push_back({std::string("theta_") + kLower[i] + kLower[j],
                             std::string("θ") + kLower[i] + kLower[j], *theta[i]});
      }
    }
    // The first phase present is at its place in a symmetric A-B-C network;
    // the next one lags it; the one after it leads it, or lags, as the third
    // angle says.
    int ref = 0;
    while (ref < 3 && noVoltage_[ref]) ++ref;
    if (ref < 3) {
      voltageAngle_[ref] = -120.0 * ref;
      const int next = (ref + 1) % 3, last = (ref + 2) % 3;
      if (theta[ref]) voltageAngle_[next] = *voltageAngle_[ref] - *theta[ref];
      if (theta[last]) {
        const double lead = *voltageAngle_[ref] + *theta[last];
        const double lag = *voltageAngle_[ref] - *theta[last];
        voltageAngle_[last] = lead;
        if (voltageAngle_[next] && theta[next]) {
          const auto miss = [&](double at) {
            return std::abs(std::abs(Wrap(at - *voltageAngle_[next])) - *theta[next]);
          };
          voltageAngle_[last] = miss(lead) <= miss(lag) ? lead : lag;
          if (std::min(miss(lead), miss(lag)) > kClosingToleranceDeg) {
            Find("inconsistent", {0, 1, 2},
                 "Углы между напряжениями не сходятся (θab, θbc и θca не образуют "
                 "звезду): ошибка измерения или масштаба, проверьте подключение и "
                 "коэффициенты ТН.");
          }
        }
      }
    }
    for (int k = 0; k < 3; ++k) {
      if (voltageAngle_[k]) voltageAngle_[k] = Wrap(*voltageAngle_[k]);
      r_.phasors.push_back({std::string("U") + kLower[k], true, At(Slot(slotUa, k)),
                            noVoltage_[k] ? std::nullopt : voltageAngle_[k]});
    }
  }

  // A reversed VT makes both its line voltages come out near the phase
  // voltage instead of √3 times it.
  void CheckReversedVoltages() {
    std::array<bool, 3> shortLine{};  // Uab, Ubc, Uca
    for (int i = 0; i < 3; ++i) {
      const int j = (i + 1) % 3;
      if (noVoltage_[i] || noVoltage_[j] || !Has(Slot(slotUab, i))) return;
      const double mean = (At(Slot(slotUa, i)) + At(Slot(slotUa, j))) / 2;
      shortLine[i] = At(Slot(slotUab, i)) < kShortLineRatio * mean;
    }
    for (int k = 0; k < 3; ++k) {
      const int before = (k + 2) % 3, opposite = (k + 1) % 3;
      if (!shortLine[k] || !shortLine[before] || shortLine[opposite]) continue;
      reversedVoltage_[k] = true;
      Find("vt-reversed", {k},
           std::string("Линейные напряжения U") + kLower[before] + kLower[k] + " и U" + kLower[k] +
               kLower[opposite] +
               " близки к фазному, а не в √3 раз больше: проверьте полярность ТН "
               "фазы " +
               kPhase[k] + " (перевёрнуто подключение её цепи напряжения).");
    }
  }

  void CheckCurrentMagnitudes() {
    if (!HasAll({slotIa, slotIb, slotIc})) {
      NotChecked("Токи фаз: прибор передал не все токи.");
      return;
    }
    double largest = 0;
    const std::array<bool, 3> noCurrent = Missing(slotIa, largest);
    if (largest < kNoLoadCurrent) {
      noLoad_ = true;
      NotChecked("Токовые цепи: нет тока нагрузки, углы и полярность токов не проверены.");
      return;
    }
    for (int k = 0; k < 3; ++k) {
      if (!noCurrent[k]) continue;
      noCurrent_[k] = true;
      Find("current-missing", {k},
           std::string("Нет тока фазы ") + kPhase[k] +
               " при токе в других фазах: проверьте токовую цепь фазы " + kPhase[k] +
               " (обрыв, не снятая закоротка ТТ).");
    }
    if (std::none_of(noCurrent_.begin(), noCurrent_.end(), [](bool b) { return b; })) {
      CheckUnbalance("current-unbalance", "токов", {At(slotIa), At(slotIb), At(slotIc)},
                     kCurrentUnbalanceLimit, r_.currentUnbalance,
                     "проверьте нагрузку фаз и токовые цепи.");
    }
  }

  void CheckUnbalance(const char* code, const char* what, const std::array<double, 3>& values,
                      double limit, std::optional<double>& result, const char* advice) {
    result = Unbalance(values);
    if (!result || *result <= limit) return;
    Find(code, {},
         std::string("Несимметрия ") + what + " " + Number("%.1f", *result * 100) + " % больше " +
             Number("%.0f", limit * 100) + " %: " + advice);
  }

  void PlaceCurrents() {
    for (int k = 0; k < 3; ++k) {
      const TSlot p = Slot(slotPa, k), q = Slot(slotQa, k);
      const bool usable = !noLoad_ && !noVoltage_[k] && !noCurrent_[k] && HasAll({p, q}) &&
                          Has(Slot(slotIa, k)) && (At(p) != 0 || At(q) != 0);
      std::optional<double> at;
      if (usable) {
        const double phi = Degrees(std::atan2(At(q), At(p)));
        r_.angles.push_back({std::string("phi_") + kLower[k], std::string("φ") + kLower[k], phi});
        // A reversed VT turns its phase's φ by 180°: the current is judged
        // against the voltage as it should have been connected.
        phi_[k] = Wrap(reversedVoltage_[k] ? phi + 180 : phi);
        if (voltageAngle_[k]) at = Wrap(*voltageAngle_[k] - phi);
      }
      r_.phasors.push_back({std::string("I") + kLower[k], false, At(Slot(slotIa, k)), at});
    }
  }

  void CheckCurrentAngles() {
    std::vector<int> usable;
    for (int k = 0; k < 3; ++k) {
      if (phi_[k]) usable.push_back(k);
    }
    if (usable.size() < 2) {
      if (!noLoad_) NotChecked("Углы токов: меньше двух фаз с током и напряжением.");
      return;
    }
    if (usable.size() == 2) return CompareTwo(usable[0], usable[1]);
    const auto agree = [&](int i, int j) {
      return std::abs(Wrap(*phi_[i] - *phi_[j])) < kAgreeDeg;
    };
    int agreeing = 0, odd = -1;
    for (int k = 0; k < 3; ++k) {
      const int i = (k + 1) % 3, j = (k + 2) % 3;
      if (agree(i, j)) {
        ++agreeing;
        odd = k;
      }
    }
    if (agreeing >= 2) return;
    if (agreeing == 1) return JudgeOdd(odd);
    JudgeScattered();
  }

  // Two phases agree, the third does not.
  void JudgeOdd(int odd) {
    const int i = (odd + 1) % 3, j = (odd + 2) % 3;
    const double pair = Wrap(*phi_[i] + Wrap(*phi_[j] - *phi_[i]) / 2);
    const double d = Wrap(*phi_[odd] - pair);
    if (Near(d, 180)) {
      // Whichever side carries a load angle a network has is the right one.
      const bool oddWrong = InLoadRange(pair) || !InLoadRange(*phi_[odd]);
      return ReportReversed(oddWrong ? std::vector<int>{odd}
                                     : std::vector<int>{std::min(i, j), std::max(i, j)});
    }
    if (Near(d, 120) || Near(d, -120)) return ReportSwapped({odd});
    ReportUnexplained();
  }

  // No two phases agree: two currents swapped leave one phase right and turn
  // the others by +120° and -120°.
  void JudgeScattered() {
    int best = -1;
    for (int z = 0; z < 3; ++z) {
      const double d1 = Wrap(*phi_[(z + 1) % 3] - *phi_[z]);
      const double d2 = Wrap(*phi_[(z + 2) % 3] - *phi_[z]);
      const bool swapped = (Near(d1, 120) && Near(d2, -120)) || (Near(d1, -120) && Near(d2, 120));
      if (!swapped) continue;
      if (best < 0 ||
          std::abs(*phi_[z] - kLoadMiddleDeg) < std::abs(*phi_[best] - kLoadMiddleDeg)) {
        best = z;
      }
    }
    if (best < 0) return ReportUnexplained();
    const int a = (best + 1) % 3, b = (best + 2) % 3;
    ReportSwapped({std::min(a, b), std::max(a, b)});
  }

  void CompareTwo(int i, int j) {
    const double d = Wrap(*phi_[i] - *phi_[j]);
    if (!Near(d, 180)) return;
    if (InLoadRange(*phi_[i]) != InLoadRange(*phi_[j])) {
      return ReportReversed({InLoadRange(*phi_[i]) ? j : i});
    }
    NotChecked(
        "Полярность ТТ: углы токов двух фаз различаются на 180°, но неясно, какой из них верен.");
  }

  void ReportReversed(const std::vector<int>& phases) {
    const bool one = phases.size() == 1;
    Find("ct-reversed", phases,
         std::string("Угол тока ") + (one ? "фазы " : "фаз ") + PhaseList(phases) +
             " отличается от углов других фаз примерно на 180°: проверьте полярность " +
             (one ? "ТТ фазы " : "ТТ фаз ") + PhaseList(phases) +
             " (перепутаны начало и конец токовой цепи).");
  }

  void ReportSwapped(const std::vector<int>& phases) {
    const bool one = phases.size() == 1;
    Find("currents-swapped", phases,
         std::string("Ток ") + (one ? "фазы " : "фаз ") + PhaseList(phases) +
             " сдвинут примерно на 120° от своего напряжения относительно других фаз: " +
             (one ? "на вход тока фазы " + PhaseList(phases) + " подан ток другой фазы"
                  : "токовые цепи фаз " + PhaseList(phases) + " перепутаны местами") +
             ", проверьте подключение ТТ к входам прибора.");
  }

  void ReportUnexplained() {
    Find("inconsistent", {0, 1, 2},
         "Углы токов φa, φb, φc не сходятся ни с одной простой ошибкой подключения: проверьте "
         "токовые цепи и цепи напряжения всех фаз.");
  }

  // Line voltages only: the triangle, the magnitudes and the total power.
  void RunThreeWire() {
    if (!HasAll({slotUab, slotUbc, slotUca})) {
      NotChecked("Напряжения: прибор не передал линейные напряжения.");
    } else {
      PlaceLineVoltages();
      CheckUnbalance("voltage-unbalance", "напряжений", {At(slotUab), At(slotUbc), At(slotUca)},
                     kVoltageUnbalanceLimit, r_.voltageUnbalance,
                     "проверьте цепи напряжения (предохранители, контакты).");
    }
    CheckCurrentMagnitudes();
    for (int k = 0; k < 3; ++k) {
      r_.phasors.push_back(
          {std::string("I") + kLower[k], false, At(Slot(slotIa, k)), std::nullopt});
    }
    if (HasAll({slotP, slotQ}) && (At(slotP) != 0 || At(slotQ) != 0)) {
      r_.angles.push_back({"phi", "φ", Degrees(std::atan2(At(slotQ), At(slotP)))});
    }
    NotChecked(
        "Полярность ТТ и перепутанные токи: в 3-проводной сети прибор не даёт фазных мощностей, "
        "углы токов фаз неизвестны.");
    NotChecked(
        "Полярность ТН и пропадание фазного напряжения: в 3-проводной сети нет фазных "
        "напряжений.");
  }

  // The line voltages close a triangle: Uab + Ubc + Uca = 0. Uab is drawn
  // where a symmetric network has it, 30° ahead of Ua.
  void PlaceLineVoltages() {
    const double ab = At(slotUab), bc = At(slotUbc), ca = At(slotUca);
    const double longest = std::max({ab, bc, ca});
    if (longest > (ab + bc + ca - longest) * (1 + kCosSlack) || longest <= 0) {
      Find("inconsistent", {0, 1, 2},
           "Линейные напряжения Uab, Ubc и Uca не образуют треугольника: ошибка измерения или "
           "масштаба, проверьте коэффициенты ТН и подключение цепей напряжения.");
      for (const char* name : {"Uab", "Ubc", "Uca"}) {
        r_.phasors.push_back({name, true, At(*FindSlot(name)), std::nullopt});
      }
      return;
    }
    std::array<double, 3> at{};
    double cosGamma = 0;  // the triangle's angle between the sides Uab and Ubc
    if (ab > 0 && bc > 0) cosGamma = (ab * ab + bc * bc - ca * ca) / (2 * ab * bc);
    const double gamma = Degrees(std::acos(std::clamp(cosGamma, -1.0, 1.0)));
    at[0] = 30;
    at[1] = at[0] - (180 - gamma);
    const std::complex<double> sum = std::polar(ab, at[0] * std::numbers::pi / 180) +
                                     std::polar(bc, at[1] * std::numbers::pi / 180);
    at[2] = Degrees(std::arg(-sum));
    const char* names[3] = {"Uab", "Ubc", "Uca"};
    const char* keys[3] = {"theta_ab_bc", "theta_bc_ca", "theta_ca_ab"};
    const char* labels[3] = {"∠Uab,Ubc", "∠Ubc,Uca", "∠Uca,Uab"};
    for (int k = 0; k < 3; ++k) {
      r_.phasors.push_back({names[k], true, At(Slot(slotUab, k)), Wrap(at[k])});
      r_.angles.push_back({keys[k], labels[k], std::abs(Wrap(at[k] - at[(k + 1) % 3]))});
    }
  }

  static std::optional<TSlot> FindSlot(const std::string& name) {
    if (name == "Uab") return slotUab;
    if (name == "Ubc") return slotUbc;
    if (name == "Uca") return slotUca;
    return std::nullopt;
  }

  const TReadingValues& v_;
  TWiringResult r_;
  std::array<bool, 3> noVoltage_{}, noCurrent_{}, reversedVoltage_{};
  bool noLoad_ = false;
  std::array<std::optional<double>, 3> voltageAngle_, phi_;
};

}  // namespace

TReadingValues ValuesOf(const TMeasurementCells& cells) {
  TReadingValues values;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (cells[slot].State() == cvsValue && std::isfinite(cells[slot].Value())) {
      values[slot] = cells[slot].Value();
    }
  }
  return values;
}

TWiringResult AnalyseWiring(const TReadingValues& values) {
  return TWiringCheck(values).Run();
}

}  // namespace vela
