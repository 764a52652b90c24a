#pragma once
// The line that follows a refused selection's message: the message is the
// windows' fixed text, this line says what in the selection it is about. The
// command line prints it below the message; the windows put it in their log.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vk2 {

// "16 files were given".
std::string tooManyFilesDetail(std::size_t given);

// Files `chosen[failing - 1]` and `chosen[failing]` do not join, `gap` seconds
// from the one's end to the other's start: "b.mmv starts 65 seconds after
// a.mmv ends (files join within 4 seconds)", and when another order would help
// (a file given twice, or all of them joining in start-time order) that
// `vk2mp4 trips FOLDER` finds the runs. Reads the info blocks of the files
// after the failing one too; one that cannot be read only drops that hint.
std::string notJoinedDetail(const std::vector<std::string>& chosen, std::size_t failing, int32_t gap);

}  // namespace vk2
