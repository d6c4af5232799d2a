#include "app/cli/CliRecords.h"

namespace vela::cli {
namespace {

std::string CsvField(const nlohmann::ordered_json& value) {
  if (value.is_null()) return "";
  if (!value.is_string()) return value.dump();
  const std::string& text = value.get_ref<const std::string&>();
  if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

std::string JsonLine(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string JsonList(const std::vector<TRecord>& records) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const TRecord& record : records) list.push_back(record);
  return JsonLine(list);
}

std::string CsvRecords(const std::vector<std::string>& columns,
                       const std::vector<TRecord>& records) {
  std::string text;
  for (size_t i = 0; i < columns.size(); ++i) text += (i ? ";" : "") + columns[i];
  text += "\n";
  for (const TRecord& record : records) {
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i) text += ';';
      const auto field = record.find(columns[i]);
      if (field != record.end()) text += CsvField(*field);
    }
    text += "\n";
  }
  return text;
}

nlohmann::ordered_json TextOrNull(const std::string& text) {
  return text.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(text);
}

}  // namespace vela::cli
