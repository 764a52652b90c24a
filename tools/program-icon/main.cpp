// Writes the Qt program's icon as PNG files for the desktop's icon theme:
//   program-icon FOLDER SIZE...   ->  FOLDER/vk2-mp4-tool-SIZE.png
#include <QString>
#include <cstdlib>
#include <iostream>
#include <string>

#include "gui/artwork.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: program-icon FOLDER SIZE...\n";
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    const QString file = QString::fromLocal8Bit(argv[1]) + "/vk2-mp4-tool-" + QString::number(size) + ".png";
    if (size < 16 || !vk2::gui::programIcon(size).save(file, "PNG")) {
      std::cerr << "program-icon: cannot write " << file.toStdString() << "\n";
      return 1;
    }
  }
  return 0;
}
