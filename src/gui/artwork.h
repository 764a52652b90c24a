#pragma once
// The pictures of the main window, painted from code so no image files are
// needed: the banner, the three button pictures and the program's icon.
#include <QImage>
#include <QPixmap>

namespace vk2::gui {

QPixmap bannerPicture(int width, int height);  // dark banner with the logo
QPixmap openFolderPicture();                   // 60 x 46, grey open folder
QPixmap filmStripPicture();                    // 53 x 47, film strip with a play triangle
QPixmap memoryCardPicture();                   // 51 x 49, memory card
// size x size, the banner's lens and road on a dark tile. A QImage, so that the
// icon files are drawn at build time without a display.
QImage programIcon(int size);

}  // namespace vk2::gui
