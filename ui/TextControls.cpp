#include "ui/TextControls.h"

#include <algorithm>

namespace vela {

void TMemo::Add(const std::string& text) {
  std::string::size_type start = 0;
  for (;;) {
    const auto end = text.find('\n', start);
    std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(std::move(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  Changed();
}

void TMemo::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  Changed();
}

void TMemo::RemoveFirst(int count) {
  if (count <= 0 || lines_.empty()) return;
  const auto n = std::min<std::size_t>(static_cast<std::size_t>(count), lines_.size());
  lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(n));
  Changed();
}

std::string TMemo::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += "\r\n";
    text += lines_[i];
  }
  return text;
}

}  // namespace vela
