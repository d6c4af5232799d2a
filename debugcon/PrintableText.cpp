#include "debugcon/PrintableText.h"

#include <cstdio>

namespace vela {
namespace {

void AppendEscaped(std::string& out, unsigned char octet) {
  char code[5];
  std::snprintf(code, sizeof code, "\\x%02X", octet);
  out += code;
}

}  // namespace

std::string TerminalSafe(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto octet = static_cast<unsigned char>(text[i]);
    const bool next = i + 1 < text.size();
    const auto following = next ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (octet == '\n' || octet == '\t') {
      out += static_cast<char>(octet);
    } else if (octet == '\r' && following == '\n') {
      continue;
    } else if (octet < 0x20 || octet == 0x7F) {
      AppendEscaped(out, octet);
    } else if (octet == 0xC2 && following >= 0x80 && following <= 0x9F) {
      AppendEscaped(out, octet);
      AppendEscaped(out, following);
      ++i;
    } else {
      out += static_cast<char>(octet);
    }
  }
  return out;
}

}  // namespace vela
