#pragma once
// Data for scripts as records of named fields, the same for every command
// that prints data. JSON: one object on one line, or one array for a list;
// English keys, numbers as numbers, null for a field without a value. CSV:
// a header line of the keys, then one line per record, separated by ';',
// '.' in numbers, LF; a field holding ';', '"' or a line break is quoted
// with its quotes doubled, a null field is empty.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace vela::cli {

// An object of scalar fields in the order they are printed.
using TRecord = nlohmann::ordered_json;

// The value on one line, with its LF; an octet that is not UTF-8 becomes U+FFFD.
std::string JsonLine(const nlohmann::ordered_json& value);
// The records as an array on one line.
std::string JsonList(const std::vector<TRecord>& records);
// The header of columns and a line per record (a field a record lacks is empty).
std::string CsvRecords(const std::vector<std::string>& columns,
                       const std::vector<TRecord>& records);
// A value, or null when text is empty.
nlohmann::ordered_json TextOrNull(const std::string& text);

}  // namespace vela::cli
