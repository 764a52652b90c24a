#include "window_model/output_target.h"

#include "conversion/conversion_run.h"
#include "core/paths.h"

namespace vk2::ui {

namespace {

#ifdef _WIN32
constexpr const char* kNameSeparators = "/\\";
constexpr const char* kSeparatorText = "'/' or '\\'";
#else
constexpr const char* kNameSeparators = "/";
constexpr const char* kSeparatorText = "'/'";
#endif

bool endsInSeparator(const std::string& folder) {
#ifdef _WIN32
  return folder.back() == '\\' || folder.back() == '/';
#else
  return folder.back() == kPathSeparator;
#endif
}

}  // namespace

OutputTarget outputTarget(const std::string& folderText, const std::string& nameText, const char* extension) {
  if (folderText.empty()) return {"", "The MP4 file folder is empty. Please enter or choose a folder for the MP4 file."};
  if (nameText.empty()) return {"", "The MP4 file name is empty. Please enter a name for the MP4 file."};
  if (nameText.find_first_of(kNameSeparators) != std::string::npos)
    return {"", "The MP4 file name \"" + nameText + "\" contains a path separator (" + kSeparatorText +
                    "). Please enter a name without a folder."};
  return {buildOutputPath(outputFolder(folderText), nameText, extension), ""};
}

std::string outputFolder(const std::string& folderText) {
  std::string folder = folderText;
  if (folder.empty() || !endsInSeparator(folder)) folder.push_back(kPathSeparator);
  return folder;
}

}  // namespace vk2::ui
