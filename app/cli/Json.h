#pragma once
// A small JSON reader and writer for the settings profiles: RFC 8259 text in,
// a tree of values out, and back. The reader accepts any octets without
// crashing: it refuses what is not JSON with a Russian message naming the
// line and column, and also refuses duplicate keys, nesting deeper than 64
// levels and strings that are not UTF-8.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace vela::cli {

class TJsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TJsonValue {
 public:
  enum class TKind { Null, Bool, Number, String, Array, Object };
  using TMember = std::pair<std::string, TJsonValue>;

  TJsonValue() = default;
  static TJsonValue Bool(bool value);
  static TJsonValue Number(double value);
  static TJsonValue String(std::string value);
  static TJsonValue Array();
  static TJsonValue Object();

  TKind Kind() const { return kind_; }
  bool IsNull() const { return kind_ == TKind::Null; }
  bool AsBool() const { return bool_; }
  double AsNumber() const { return number_; }
  // The number when it is a whole number that fits; nothing otherwise.
  std::optional<int64_t> AsInteger() const;
  const std::string& AsString() const { return string_; }
  const std::vector<TJsonValue>& Items() const { return items_; }
  // In the order of the text.
  const std::vector<TMember>& Members() const { return members_; }
  const TJsonValue* Find(const std::string& key) const;

  void Append(TJsonValue value);
  // Adds a member without looking for one of the same name.
  void AddMember(std::string key, TJsonValue value);
  // Adds or replaces a member, keeping the order of first insertion.
  void Set(const std::string& key, TJsonValue value);

 private:
  TKind kind_ = TKind::Null;
  bool bool_ = false;
  double number_ = 0;
  std::string string_;
  std::vector<TJsonValue> items_;
  std::vector<TMember> members_;
};

// Throws TJsonError.
TJsonValue ParseJson(const std::string& text);
// Indented by two spaces, members in their order, ending with a line break.
std::string WriteJson(const TJsonValue& value);

}  // namespace vela::cli
