#include "gui/fonts.h"

namespace vk2::gui {

QFont tahoma(int pointSize) {
  static const bool substituted = [] {
    QFont::insertSubstitutions("Tahoma", QStringList{"DejaVu Sans Condensed", "Liberation Sans Narrow", "Arial"});
    return true;
  }();
  (void)substituted;
  return QFont("Tahoma", pointSize);
}

}  // namespace vk2::gui
