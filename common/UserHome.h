#pragma once
// The user's home folder for per-user files: $HOME when it names a folder
// other than the root, else the one the user database gives; empty when
// neither does, so that nothing is ever made at the root.

#include <string>

namespace vela {

// home: the value of $HOME ("" when unset).
std::string UserHome(const std::string& home);

}  // namespace vela
