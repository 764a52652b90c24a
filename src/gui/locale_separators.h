#pragma once
// The date and time separators of the user's locale, for the time-window labels.
#include "window_model/window_environment.h"

namespace vk2::gui {

using ui::LocaleSeparators;

// Taken from the default QLocale's short formats; "/" and ":" when the locale
// uses something that is not a plain punctuation character.
LocaleSeparators localeSeparators();

}  // namespace vk2::gui
