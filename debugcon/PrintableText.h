#pragma once
// Text from another process made safe for a terminal: the viewer prints the
// program's messages, and a message must not retitle, clear or move the
// viewer's screen.

#include <string>

namespace vela {

// Line feeds and tabs stay; a carriage return before a line feed goes; every
// other control character (C0, DEL, and C1 in UTF-8: U+0080..U+009F) is
// written out as \xHH, so that it shows and does nothing.
std::string TerminalSafe(const std::string& text);

}  // namespace vela
