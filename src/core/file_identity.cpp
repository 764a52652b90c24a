#include "core/file_identity.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include <cerrno>
#endif

#include <filesystem>
#include <system_error>

#include "core/file_error.h"
#include "core/filesystem_names.h"

namespace vk2 {

namespace fs = std::filesystem;

bool sameFile(const std::string& nameA, const std::string& nameB) {
  const fs::path a = pathOf(nameA), b = pathOf(nameB);
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec) && !ec;
  const fs::path ca = fs::weakly_canonical(a, ec);
  if (ec) return false;
  const fs::path cb = fs::weakly_canonical(b, ec);
  return !ec && ca == cb;
}

std::optional<FileKey> fileKey(const std::string& path, std::string* reason) {
#ifdef _WIN32
  // The narrow name as the streams open it; no access asked, so a file open
  // elsewhere or without read rights still tells who it is. Folders need the flag.
  const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
  const DWORD error = GetLastError();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!known) {
    if (reason) *reason = std::error_code(static_cast<int>(error), std::system_category()).message();
    return std::nullopt;
  }
  return FileKey{info.dwVolumeSerialNumber, (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
#else
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (reason) *reason = systemReason(errno);
    return std::nullopt;
  }
  return FileKey{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
#endif
}

void clearForNewFile(const std::string& name) {
  const fs::path path = pathOf(name);
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(path, ec);
  if (ec) return;
  // Devices, pipes and folders are never touched; a plain file with one name
  // is simply truncated when opened.
  const bool shared = fs::is_regular_file(st) && fs::hard_link_count(path, ec) > 1 && !ec;
  if (fs::is_symlink(st) || shared) fs::remove(path, ec);
}

void removeFileQuietly(const std::string& name) {
  const fs::path path = pathOf(name);
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(path, ec);
  if (ec || fs::is_directory(st)) return;
  fs::remove(path, ec);
}

}  // namespace vk2
