#pragma once
// The settings profile's JSON on nlohmann-json, with the profile's own rules:
// the reader refuses duplicate keys, nesting deeper than 64 levels and
// numbers beyond a double, and names the line and column (in characters) of
// what it refuses, in Russian; the writer keeps the members' order, indents
// by two spaces and writes whole numbers without a fraction.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>

namespace vela {

// Members stay in the order of the text, or of insertion.
using TJson = nlohmann::ordered_json;

class TJsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws TJsonError "строка L, позиция C: what".
TJson ParseProfileJson(const std::string& text);
// Indented by two spaces, members in their order, ending with a line break.
std::string WriteProfileJson(const TJson& value);
// The number when it is a whole number within ±2^53; nothing otherwise
// (9600.0 is 9600, as it is written).
std::optional<int64_t> JsonInteger(const TJson& value);

}  // namespace vela
