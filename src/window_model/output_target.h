#pragma once
// Where the options dialog's Start writes: the folder text, the name text and
// ".mp4", or the problem with the texts that keeps the run from starting.
#include <string>

namespace vk2::ui {

struct OutputTarget {
  std::string path;     // set when problem is empty
  std::string problem;  // a message for the user, naming what is wrong
};

// A folder typed without a final separator gets one; an empty folder, an empty
// name or a name holding a path separator is refused.
OutputTarget outputTarget(const std::string& folderText, const std::string& nameText,
                          const char* extension = ".mp4");

// The folder text with one final separator, as outputTarget joins it.
std::string outputFolder(const std::string& folderText);

}  // namespace vk2::ui
