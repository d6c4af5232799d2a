#include "app/commission/ProfileJson.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <unordered_set>
#include <vector>

namespace vela {
namespace {

constexpr size_t kMaxDepth = 64;

// "строка 2, позиция 15: what" for the character at offset; the column
// counts characters, not the octets of UTF-8.
[[noreturn]] void Fail(const std::string& text, size_t offset, const std::string& what) {
  int line = 1, column = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++column;
    }
  }
  throw TJsonError("строка " + std::to_string(line) + ", позиция " + std::to_string(column) + ": " +
                   what);
}

// Hands the text to the parser octet by octet and counts what it has taken:
// the parser's events carry no position, and our own refusals name one.
class TCountingInput {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  TCountingInput(const char* at, size_t* taken) : at_(at), taken_(taken) {}
  reference operator*() const { return *at_; }
  TCountingInput& operator++() {
    ++at_;
    ++*taken_;
    return *this;
  }
  bool operator==(const TCountingInput& other) const { return at_ == other.at_; }

 private:
  const char* at_;
  size_t* taken_;
};

bool Has(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// The Russian reason for a refusal of nlohmann's parser. Its message reads
// "... syntax error while parsing CONTEXT - PROBLEM[; last read: 'TOKEN']
// [; expected TOKEN]"; PROBLEM comes from the lexer when "last read" follows.
std::string Reason(const TJson::exception& error, bool atEnd) {
  const std::string what = error.what();
  if (error.id == 406) return "число вне допустимого диапазона";
  if (what.ends_with("expected end of input")) return "лишние символы после конца данных";
  const size_t dash = what.find(" - ");
  const std::string context = what.substr(0, dash);
  const size_t lastRead = what.find("; last read: '", dash);
  const std::string problem = dash == std::string::npos ? what : what.substr(dash, lastRead - dash);
  if (lastRead != std::string::npos && !Has(problem, "invalid literal")) {
    if (Has(problem, "closing quote") || (Has(problem, "after backslash") && atEnd)) {
      return "строка не закрыта кавычкой";
    }
    if (Has(problem, "control character")) return "управляющий символ внутри строки";
    if (Has(problem, "after backslash")) return "неверная escape-последовательность";
    if (Has(problem, "hex digits")) {
      return atEnd ? "данные оборваны" : "неверная последовательность \\u";
    }
    if (Has(problem, "surrogate")) return "непарный суррогат в \\u";
    if (Has(problem, "UTF-8")) return "текст не в кодировке UTF-8";
    if (Has(problem, "invalid number")) return "неверное число";
    return "ожидалось значение";
  }
  if (Has(context, "parsing object key")) return "ожидалось имя поля в кавычках";
  if (Has(context, "parsing object separator")) return "ожидалось двоеточие после имени поля";
  if (Has(context, "parsing object")) return "ожидалась запятая или закрывающая фигурная скобка";
  if (Has(context, "parsing array")) return "ожидалась запятая или закрывающая квадратная скобка";
  // nlohmann ends the input at a NUL octet too; only the real end is "оборваны".
  if (Has(problem, "unexpected end of input") && atEnd) return "данные оборваны";
  return "ожидалось значение";
}

// The kinds of token a value is read from.
enum class TToken { Container, String, Word, Number };

// Builds the tree from nlohmann's parser events and enforces the rules the
// profile keeps beyond JSON itself.
class TProfileReader {
 public:
  TProfileReader(const std::string& text, const size_t& taken) : text_(text), taken_(taken) {}

  TJson Take() { return std::move(root_); }

  bool null() { return Add(nullptr, TToken::Word) != nullptr; }
  bool boolean(bool value) { return Add(value, TToken::Word) != nullptr; }
  bool number_integer(TJson::number_integer_t value) {
    return Add(value, TToken::Number) != nullptr;
  }
  bool number_unsigned(TJson::number_unsigned_t value) {
    return Add(value, TToken::Number) != nullptr;
  }
  bool number_float(TJson::number_float_t value, const std::string& digits) {
    // A number too small for a double reads as 0; it is refused as one too large is.
    if (value == 0 && MantissaIsNotZero(digits)) {
      Fail(text_, StartOf(TToken::Number), "число вне допустимого диапазона");
    }
    return Add(value, TToken::Number) != nullptr;
  }
  bool string(std::string& value) { return Add(std::move(value), TToken::String) != nullptr; }
  bool binary(TJson::binary_t&) { return false; }  // JSON text has none

  bool start_object(size_t) {
    open_.push_back(Add(TJson::object(), TToken::Container));
    keys_.emplace_back();
    return true;
  }
  bool key(std::string& key) {
    if (!keys_.back().insert(key).second) {
      Fail(text_, StartOf(TToken::String), "поле \"" + key + "\" указано дважды");
    }
    key_ = std::move(key);
    return true;
  }
  bool end_object() {
    keys_.pop_back();
    open_.pop_back();
    return true;
  }
  bool start_array(size_t) {
    open_.push_back(Add(TJson::array(), TToken::Container));
    return true;
  }
  bool end_array() {
    open_.pop_back();
    return true;
  }

  bool parse_error(size_t position, const std::string& token, const TJson::exception& error) {
    // position is just past the octet the parser stopped at.
    const bool atEnd = position > text_.size();
    size_t at = std::min(position, text_.size() + 1) - 1;
    if (error.id == 406) {
      at = position - token.size();  // the number; its text is exact
    } else if (Has(error.what(), "; last read: '")) {
      // The lexer stopped inside a token: at that octet, or where the word or
      // the UTF-8 character it stopped in begins.
      if (Has(error.what(), "invalid literal")) at = WordStart(at);
      if (Has(error.what(), "invalid BOM")) at = 0;  // an octet 0xEF first
      if (Has(error.what(), "UTF-8")) at = Utf8CharacterStart(at);
    } else if (!atEnd) {
      at = TokenStart(at, token);
    }
    Fail(text_, at, Reason(error, atEnd));
  }

 private:
  static bool MantissaIsNotZero(const std::string& digits) {
    for (const char c : digits) {
      if (c == 'e' || c == 'E') break;
      if (c >= '1' && c <= '9') return true;
    }
    return false;
  }

  static bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static bool IsNumberOctet(char c) {
    return IsDigit(c) || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
  }

  size_t WordStart(size_t at) const {
    while (at > 0 && IsLower(text_[at - 1])) --at;
    return at;
  }

  // Where the token the parser has just taken begins.
  size_t StartOf(TToken token) const {
    size_t at = taken_ - 1;  // its last octet, or the one after a number
    switch (token) {
      case TToken::Container:
        return at;
      case TToken::Word:
        return WordStart(at);
      case TToken::Number:
        if (!IsDigit(text_[at])) --at;  // a number ends with a digit
        while (at > 0 && IsNumberOctet(text_[at - 1])) --at;
        return at;
      case TToken::String:
        // The first quote back from the closing one that no backslash escapes.
        for (;;) {
          --at;
          size_t backslashes = 0;
          while (backslashes < at && text_[at - 1 - backslashes] == '\\') ++backslashes;
          if (text_[at] == '"' && backslashes % 2 == 0) return at;
        }
    }
    return at;
  }

  // Where the token ending at offset last begins: strings and numbers have
  // their exact text in token, words are scanned back, the rest is one octet.
  size_t TokenStart(size_t last, const std::string& token) const {
    const char c = text_[last];
    if ((c == '"' || IsDigit(c)) && token.size() <= last + 1) return last + 1 - token.size();
    return IsLower(c) ? WordStart(last) : last;
  }

  // The first octet of the UTF-8 character that the octet at offset at is
  // part of, or breaks off: walked from the last ASCII octet before it.
  size_t Utf8CharacterStart(size_t at) const {
    size_t start = at;
    while (start > 0 && static_cast<unsigned char>(text_[start - 1]) >= 0x80) --start;
    while (start < at) {
      const auto lead = static_cast<unsigned char>(text_[start]);
      const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      if (start + length > at) return start;
      start += length;
    }
    return at;
  }

  // The value into the open container, or as the root; where it now lives.
  template <typename TValue>
  TJson* Add(TValue&& value, TToken token) {
    if (open_.size() > kMaxDepth) Fail(text_, StartOf(token), "слишком глубокая вложенность");
    if (open_.empty()) {
      root_ = std::forward<TValue>(value);
      return &root_;
    }
    TJson& into = *open_.back();
    if (into.is_array()) {
      into.push_back(TJson(std::forward<TValue>(value)));
      return &into.back();
    }
    // The key is new (duplicates are refused): appended without the
    // ordered map's linear search, which would make long objects quadratic.
    auto& members = into.get_ref<TJson::object_t&>();
    members.emplace_back(std::move(key_), TJson(std::forward<TValue>(value)));
    return &members.back().second;
  }

  const std::string& text_;
  const size_t& taken_;
  TJson root_;
  std::vector<TJson*> open_;  // the containers being filled, outermost first
  std::vector<std::unordered_set<std::string>> keys_;  // of each open object
  std::string key_;
};

// Whole numbers within ±2^53, where a double still holds every one.
std::optional<int64_t> WholeNumber(double number) {
  constexpr double kExactLimit = 9007199254740992.0;
  if (std::trunc(number) != number || std::fabs(number) > kExactLimit) return std::nullopt;
  return static_cast<int64_t>(number);
}

void WriteString(const std::string& text, std::string& out) {
  out += TJson(text).dump(-1, ' ', false, TJson::error_handler_t::replace);
}

// Every number as the double it reads as: whole ones without a fraction,
// others in the shortest form that reads back the same.
void WriteNumber(double number, std::string& out) {
  char buffer[32];
  const auto whole = WholeNumber(number);
  const auto result = whole ? std::to_chars(buffer, buffer + sizeof buffer, *whole)
                            : std::to_chars(buffer, buffer + sizeof buffer, number);
  out.append(buffer, result.ptr);
}

void Write(const TJson& value, int indent, std::string& out) {
  const std::string inner(static_cast<size_t>(indent + 2), ' ');
  const std::string outer(static_cast<size_t>(indent), ' ');
  if (value.is_number()) {
    WriteNumber(value.get<double>(), out);
  } else if (value.is_string()) {
    WriteString(value.get_ref<const std::string&>(), out);
  } else if (value.is_array()) {
    if (value.empty()) {
      out += "[]";
      return;
    }
    out += "[\n";
    for (auto item = value.begin(); item != value.end(); ++item) {
      out += inner;
      Write(*item, indent + 2, out);
      out += std::next(item) != value.end() ? ",\n" : "\n";
    }
    out += outer + "]";
  } else if (value.is_object()) {
    if (value.empty()) {
      out += "{}";
      return;
    }
    out += "{\n";
    for (auto member = value.begin(); member != value.end(); ++member) {
      out += inner;
      WriteString(member.key(), out);
      out += ": ";
      Write(member.value(), indent + 2, out);
      out += std::next(member) != value.end() ? ",\n" : "\n";
    }
    out += outer + "}";
  } else {
    out += value.dump();  // null, true, false
  }
}

}  // namespace

TJson ParseProfileJson(const std::string& text) {
  // nlohmann skips a byte order mark; a profile never had one.
  if (text.starts_with("\xEF\xBB\xBF")) Fail(text, 0, "ожидалось значение");
  size_t taken = 0;
  TProfileReader reader(text, taken);
  const char* begin = text.data();
  // Every refusal throws; the parser stops quietly only where binary() does.
  if (!TJson::sax_parse(TCountingInput(begin, &taken), TCountingInput(begin + text.size(), &taken),
                        &reader)) {
    Fail(text, taken, "ожидалось значение");
  }
  // nlohmann ends the input at a NUL octet: anything after it is left over.
  const size_t nul = text.find('\0');
  if (nul != std::string::npos) Fail(text, nul, "лишние символы после конца данных");
  return reader.Take();
}

std::string WriteProfileJson(const TJson& value) {
  std::string out;
  Write(value, 0, out);
  out += '\n';
  return out;
}

std::optional<int64_t> JsonInteger(const TJson& value) {
  if (!value.is_number()) return std::nullopt;
  return WholeNumber(value.get<double>());
}

}  // namespace vela
