#include "app/cli/StopSignal.h"

#include "common/HandOver.h"

namespace vela::cli {

TStopSignal::TStopSignal()
    : watch_([this](int number) {
        signal_ = number;
        ++count_;
        handover::Wake();  // the event loop looks at the mark at once
      }) {}

TStopSignal::~TStopSignal() = default;

}  // namespace vela::cli
