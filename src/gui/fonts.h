#pragma once
// The windows' font, Tahoma, with narrow stand-ins where it is not installed so
// the texts fit the fixed layouts.
#include <QFont>
#include <QStringList>

namespace vk2::gui {

QFont tahoma(int pointSize);

}  // namespace vk2::gui
