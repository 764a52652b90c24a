#pragma once
// The program's names are narrow texts, on Windows in the ANSI code page, as the
// narrow file calls and the converter's command line read them. std::filesystem
// on mingw-w64 reads a narrow text through the C library's locale and gives one
// back in UTF-8, so a name crosses into and out of it only here.
#include <filesystem>
#include <string>

namespace vk2 {

// The path a narrow name stands for.
std::filesystem::path pathOf(const std::string& name);

// The narrow name of `path`. On Windows a character the ANSI code page cannot
// hold comes out as '?' and sets `lost`.
std::string nameOf(const std::filesystem::path& path, bool* lost = nullptr);

// Why a name that lost characters is refused, without the name.
std::string nameOutsideCodePageReason();

}  // namespace vk2
