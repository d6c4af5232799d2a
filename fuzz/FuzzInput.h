#pragma once
// Splits one fuzzer input into the choices a target makes (leading octets)
// and the octets it parses (the rest).

#include <cstddef>
#include <cstdint>
#include <string>

namespace vela::fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // The next octet, or 0 once the input is used up.
  uint8_t Take() { return at_ < size_ ? data_[at_++] : 0; }
  // Everything not taken yet.
  std::string Rest() const {
    return std::string(reinterpret_cast<const char*>(data_) + at_, size_ - at_);
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// A broken invariant: libFuzzer reports the input that led here.
[[noreturn]] inline void Violated() {
  __builtin_trap();
}

}  // namespace vela::fuzz
