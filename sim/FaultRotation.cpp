#include "sim/FaultRotation.h"

namespace vela {
namespace {

struct FaultName {
  LineFault fault;
  const char* option;
  const char* summary;
};

constexpr FaultName kNames[kLineFaultKinds] = {
    {LineFault::kNoAnswer, "no-answer", "нет ответа"},
    {LineFault::kBadChecksum, "bad-checksum", "контрольная сумма"},
    {LineFault::kSplit, "split", "ответ по частям"},
    {LineFault::kWrongAddress, "wrong-address", "чужой адрес"},
    {LineFault::kBusy, "busy", "прибор занят"},
    {LineFault::kLate, "late", "опоздавший ответ"},
};

}  // namespace

std::optional<LineFault> FaultRotation::ForAnswer(int64_t number) const {
  if (!Active() || number <= 0 || number % faults_.every != 0) return std::nullopt;
  const auto turn = static_cast<size_t>((number / faults_.every - 1) %
                                        static_cast<int64_t>(faults_.kinds.size()));
  return faults_.kinds[turn];
}

int64_t FaultRotation::MadeCount() const {
  int64_t total = 0;
  for (int64_t count : made_) total += count;
  return total;
}

std::string FaultRotation::Summary() const {
  std::string text = "неполадок внесено: " + std::to_string(MadeCount()) + " (";
  for (const FaultName& name : kNames) {
    if (text.back() != '(') text += ", ";
    text +=
        std::string(name.summary) + " " + std::to_string(made_[static_cast<size_t>(name.fault)]);
  }
  return text + ")";
}

std::optional<LineFault> LineFaultNamed(const std::string& name) {
  for (const FaultName& entry : kNames) {
    if (name == entry.option) return entry.fault;
  }
  return std::nullopt;
}

std::vector<LineFault> AllLineFaults() {
  std::vector<LineFault> all;
  for (const FaultName& entry : kNames) all.push_back(entry.fault);
  return all;
}

}  // namespace vela
