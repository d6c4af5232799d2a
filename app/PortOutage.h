#pragma once
// A port lost during continuous reading (an adapter pulled out, a device
// restarted) and waited out: the texts that say when it was lost and when it
// came back, shared by the window and the command line.

#include <cstdint>
#include <string>

#include "common/DateTime.h"

namespace vela {

// "Порт COM2 потерян в 12:00:01".
std::string PortLostText(const std::string& port, TDateTime at);
// "Порт COM2 снова доступен в 12:00:07, перерыв 6.2 с".
std::string PortBackText(const std::string& port, TDateTime at, int64_t outageMs);

}  // namespace vela
