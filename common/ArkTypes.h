#pragma once
// Types shared by every room of the program.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vela {

// A string of 8-bit octets that may contain zero; its length is the octet count.
using Octets = std::string;

// Date-time as days since 30.12.1899, the fraction being the time of day.
using TDateTime = double;

// The general exception class: every failure the program reports carries a
// Russian message text in UTF-8.
class TArkException : public std::runtime_error {
 public:
  explicit TArkException(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

}  // namespace vela
