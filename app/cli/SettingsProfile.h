#pragma once
// The settings profile of the device the engine has read: the device-side
// settings the window shows, and the device's identification when it was
// read, as the JSON text `settings --save` and the window's "сохранить
// профиль…" write.

#include <string>

#include "app/Engine.h"

namespace vela::cli {

std::string ProfileText(const TVelaEngine& engine);

}  // namespace vela::cli
