#include "app/NoAnswerRun.h"

#include <utility>

namespace vela {

void TNoAnswerRun::Reset() {
  count_ = 0;
  hintGiven_ = hintDue_ = false;
}

bool TNoAnswerRun::TimedOut(TDateTime now) {
  if (count_++ > 0) return false;
  startedAt_ = now;
  hintDue_ = !hintGiven_;
  return true;
}

bool TNoAnswerRun::TakeHint() {
  if (!hintDue_) return false;
  hintDue_ = false;
  hintGiven_ = true;
  return true;
}

std::string TNoAnswerRun::End() {
  const int count = std::exchange(count_, 0);
  hintDue_ = false;
  if (count < 2) return {};
  return "Нет ответа с " + TimeOfDayText(startedAt_) + ": запросов без ответа — " +
         std::to_string(count) + ".";
}

std::string WhatToCheckText(const TProgramLink& link) {
  if (!link.rs485) {
    return "Проверьте: порт " + link.port +
           " и кабель USB (через USB прибор отвечает всегда: MODBUS RTU, 38400, 8E1, адрес 1); "
           "«найти прибор» перебирает все порты.";
  }
  return "Проверьте: порт " + link.port + ", протокол " + link.ProtocolText() + ", скорость " +
         link.SpeedText() + ", формат " + link.FrameText() + ", адрес " + link.AddressText() +
         "; «найти прибор» перебирает их все.";
}

}  // namespace vela
