#pragma once
// The user's date and time separators for the time-window labels.
#include "window_model/window_environment.h"

namespace vk2::win32 {

// From the user's locale: the date separator when it is one of "/.-", the time
// separator when it is ":" or "."; "/" and ":" otherwise.
ui::LocaleSeparators localeSeparators();

}  // namespace vk2::win32
