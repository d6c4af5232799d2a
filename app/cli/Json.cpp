#include "app/cli/Json.h"

#include <charconv>
#include <cmath>
#include <set>

namespace vela::cli {
namespace {

constexpr int kMaxDepth = 64;

class TReader {
 public:
  explicit TReader(const std::string& text) : text_(text) {}

  TJsonValue Document() {
    SkipSpace();
    TJsonValue value = Value(0);
    SkipSpace();
    if (at_ != text_.size()) Fail("лишние символы после конца данных");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    int line = 1, column = 1;
    for (size_t i = 0; i < at_ && i < text_.size(); ++i) {
      if (text_[i] == '\n') {
        ++line;
        column = 1;
      } else if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) {
        ++column;  // count characters, not the octets of UTF-8
      }
    }
    throw TJsonError("строка " + std::to_string(line) + ", позиция " + std::to_string(column) +
                     ": " + what);
  }

  bool AtEnd() const { return at_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[at_]; }

  void SkipSpace() {
    while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) {
      ++at_;
    }
  }

  void Expect(char c, const char* what) {
    if (Peek() != c || AtEnd()) Fail(what);
    ++at_;
  }

  TJsonValue Value(int depth) {
    if (depth > kMaxDepth) Fail("слишком глубокая вложенность");
    if (AtEnd()) Fail("данные оборваны");
    switch (Peek()) {
      case '{':
        return ObjectValue(depth);
      case '[':
        return ArrayValue(depth);
      case '"':
        return TJsonValue::String(StringValue());
      case 't':
        Word("true");
        return TJsonValue::Bool(true);
      case 'f':
        Word("false");
        return TJsonValue::Bool(false);
      case 'n':
        Word("null");
        return TJsonValue();
      default:
        if (Peek() == '-' || (Peek() >= '0' && Peek() <= '9')) return NumberValue();
        Fail("ожидалось значение");
    }
  }

  void Word(const char* word) {
    const std::string w(word);
    if (text_.compare(at_, w.size(), w) != 0) Fail("ожидалось значение");
    at_ += w.size();
  }

  TJsonValue ObjectValue(int depth) {
    ++at_;  // '{'
    TJsonValue object = TJsonValue::Object();
    std::set<std::string> keys;  // a linear search would make long objects quadratic
    SkipSpace();
    if (Peek() == '}' && !AtEnd()) {
      ++at_;
      return object;
    }
    for (;;) {
      SkipSpace();
      if (Peek() != '"' || AtEnd()) Fail("ожидалось имя поля в кавычках");
      const size_t keyAt = at_;
      std::string key = StringValue();
      if (!keys.insert(key).second) {
        at_ = keyAt;
        Fail("поле \"" + key + "\" указано дважды");
      }
      SkipSpace();
      Expect(':', "ожидалось двоеточие после имени поля");
      SkipSpace();
      TJsonValue value = Value(depth + 1);
      object.AddMember(std::move(key), std::move(value));
      SkipSpace();
      if (Peek() == ',' && !AtEnd()) {
        ++at_;
        continue;
      }
      Expect('}', "ожидалась запятая или закрывающая фигурная скобка");
      return object;
    }
  }

  TJsonValue ArrayValue(int depth) {
    ++at_;  // '['
    TJsonValue array = TJsonValue::Array();
    SkipSpace();
    if (Peek() == ']' && !AtEnd()) {
      ++at_;
      return array;
    }
    for (;;) {
      SkipSpace();
      array.Append(Value(depth + 1));
      SkipSpace();
      if (Peek() == ',' && !AtEnd()) {
        ++at_;
        continue;
      }
      Expect(']', "ожидалась запятая или закрывающая квадратная скобка");
      return array;
    }
  }

  TJsonValue NumberValue() {
    const size_t start = at_;
    auto digits = [&] {
      const size_t from = at_;
      while (!AtEnd() && Peek() >= '0' && Peek() <= '9') ++at_;
      return at_ - from;
    };
    if (Peek() == '-') ++at_;
    if (Peek() == '0' && !AtEnd()) {
      ++at_;
    } else if (digits() == 0) {
      Fail("неверное число");
    }
    if (Peek() == '.' && !AtEnd()) {
      ++at_;
      if (digits() == 0) Fail("неверное число");
    }
    if ((Peek() == 'e' || Peek() == 'E') && !AtEnd()) {
      ++at_;
      if ((Peek() == '+' || Peek() == '-') && !AtEnd()) ++at_;
      if (digits() == 0) Fail("неверное число");
    }
    double value = 0;
    const char* first = text_.data() + start;
    const auto [end, error] = std::from_chars(first, text_.data() + at_, value);
    if (error != std::errc() || end != text_.data() + at_ || !std::isfinite(value)) {
      at_ = start;
      Fail("число вне допустимого диапазона");
    }
    return TJsonValue::Number(value);
  }

  unsigned Hex4() {
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = Peek();
      if (AtEnd()) Fail("данные оборваны");
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (digit < 0) Fail("неверная последовательность \\u");
      value = value * 16 + static_cast<unsigned>(digit);
      ++at_;
    }
    return value;
  }

  static void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  unsigned EscapedCodePoint() {
    const unsigned first = Hex4();
    if (first >= 0xDC00 && first <= 0xDFFF) Fail("непарный суррогат в \\u");
    if (first < 0xD800 || first > 0xDBFF) return first;
    if (text_.compare(at_, 2, "\\u") != 0) Fail("непарный суррогат в \\u");
    at_ += 2;
    const unsigned second = Hex4();
    if (second < 0xDC00 || second > 0xDFFF) Fail("непарный суррогат в \\u");
    return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
  }

  // One UTF-8 character copied as it is; refuses overlong forms, surrogates
  // and code points beyond U+10FFFF.
  void CopyUtf8(std::string& out) {
    const auto lead = static_cast<unsigned char>(Peek());
    size_t length = 0;
    unsigned code = 0, lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, code = lead & 0x1F, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, code = lead & 0x0F, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, code = lead & 0x07, lowest = 0x10000;
    } else {
      Fail("текст не в кодировке UTF-8");
    }
    if (at_ + length > text_.size()) Fail("текст не в кодировке UTF-8");
    for (size_t i = 1; i < length; ++i) {
      const auto next = static_cast<unsigned char>(text_[at_ + i]);
      if ((next & 0xC0) != 0x80) Fail("текст не в кодировке UTF-8");
      code = code << 6 | (next & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      Fail("текст не в кодировке UTF-8");
    }
    out.append(text_, at_, length);
    at_ += length;
  }

  std::string StringValue() {
    ++at_;  // '"'
    std::string out;
    for (;;) {
      if (AtEnd()) Fail("строка не закрыта кавычкой");
      const auto c = static_cast<unsigned char>(Peek());
      if (c == '"') {
        ++at_;
        return out;
      }
      if (c < 0x20) Fail("управляющий символ внутри строки");
      if (c >= 0x80) {
        CopyUtf8(out);
        continue;
      }
      ++at_;
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (AtEnd()) Fail("строка не закрыта кавычкой");
      const char escape = text_[at_++];
      switch (escape) {
        case '"':
        case '\\':
        case '/':
          out += escape;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u':
          AppendUtf8(out, EscapedCodePoint());
          break;
        default:
          --at_;
          Fail("неверная escape-последовательность");
      }
    }
  }

  const std::string& text_;
  size_t at_ = 0;
};

void WriteString(const std::string& text, std::string& out) {
  static const char* const kHex = "0123456789abcdef";
  out += '"';
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += ch;
        }
    }
  }
  out += '"';
}

void WriteNumber(const TJsonValue& value, std::string& out) {
  char buffer[32];
  const auto integer = value.AsInteger();
  const auto result = integer ? std::to_chars(buffer, buffer + sizeof buffer, *integer)
                              : std::to_chars(buffer, buffer + sizeof buffer, value.AsNumber());
  out.append(buffer, result.ptr);
}

void Write(const TJsonValue& value, int indent, std::string& out) {
  const std::string inner(static_cast<size_t>(indent + 2), ' ');
  switch (value.Kind()) {
    case TJsonValue::TKind::Null:
      out += "null";
      return;
    case TJsonValue::TKind::Bool:
      out += value.AsBool() ? "true" : "false";
      return;
    case TJsonValue::TKind::Number:
      WriteNumber(value, out);
      return;
    case TJsonValue::TKind::String:
      WriteString(value.AsString(), out);
      return;
    case TJsonValue::TKind::Array:
      if (value.Items().empty()) {
        out += "[]";
        return;
      }
      out += "[\n";
      for (size_t i = 0; i < value.Items().size(); ++i) {
        out += inner;
        Write(value.Items()[i], indent + 2, out);
        out += i + 1 < value.Items().size() ? ",\n" : "\n";
      }
      out += std::string(static_cast<size_t>(indent), ' ') + "]";
      return;
    case TJsonValue::TKind::Object:
      if (value.Members().empty()) {
        out += "{}";
        return;
      }
      out += "{\n";
      for (size_t i = 0; i < value.Members().size(); ++i) {
        out += inner;
        WriteString(value.Members()[i].first, out);
        out += ": ";
        Write(value.Members()[i].second, indent + 2, out);
        out += i + 1 < value.Members().size() ? ",\n" : "\n";
      }
      out += std::string(static_cast<size_t>(indent), ' ') + "}";
      return;
  }
}

}  // namespace

TJsonValue TJsonValue::Bool(bool value) {
  TJsonValue v;
  v.kind_ = TKind::Bool;
  v.bool_ = value;
  return v;
}

TJsonValue TJsonValue::Number(double value) {
  TJsonValue v;
  v.kind_ = TKind::Number;
  v.number_ = value;
  return v;
}

TJsonValue TJsonValue::String(std::string value) {
  TJsonValue v;
  v.kind_ = TKind::String;
  v.string_ = std::move(value);
  return v;
}

TJsonValue TJsonValue::Array() {
  TJsonValue v;
  v.kind_ = TKind::Array;
  return v;
}

TJsonValue TJsonValue::Object() {
  TJsonValue v;
  v.kind_ = TKind::Object;
  return v;
}

std::optional<int64_t> TJsonValue::AsInteger() const {
  // 2^53: beyond it a double no longer holds every whole number.
  constexpr double kExactLimit = 9007199254740992.0;
  if (kind_ != TKind::Number || std::trunc(number_) != number_ ||
      std::fabs(number_) > kExactLimit) {
    return std::nullopt;
  }
  return static_cast<int64_t>(number_);
}

const TJsonValue* TJsonValue::Find(const std::string& key) const {
  for (const TMember& member : members_) {
    if (member.first == key) return &member.second;
  }
  return nullptr;
}

void TJsonValue::Append(TJsonValue value) {
  items_.push_back(std::move(value));
}

void TJsonValue::AddMember(std::string key, TJsonValue value) {
  members_.emplace_back(std::move(key), std::move(value));
}

void TJsonValue::Set(const std::string& key, TJsonValue value) {
  for (TMember& member : members_) {
    if (member.first == key) {
      member.second = std::move(value);
      return;
    }
  }
  members_.emplace_back(key, std::move(value));
}

TJsonValue ParseJson(const std::string& text) {
  return TReader(text).Document();
}

std::string WriteJson(const TJsonValue& value) {
  std::string out;
  Write(value, 0, out);
  out += '\n';
  return out;
}

}  // namespace vela::cli
