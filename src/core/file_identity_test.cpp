#include "core/file_identity.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "core/paths.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

namespace fs = std::filesystem;

// A card can reach one recording through several names; only a copy is another file.
TEST(FileIdentity, EveryNameOfAFileSharesItsKeyACopyHasItsOwn) {
  testing::TempDir dir;
  testing::writeText(dir.file("a.mmv"), "recording");
  fs::copy_file(dir.file("a.mmv"), dir.file("copy.mmv"));
  std::error_code ec;
  fs::create_hard_link(dir.file("a.mmv"), dir.file("hard.mmv"), ec);
  ASSERT_FALSE(ec) << ec.message();
  fs::create_directory(dir.file("sub"));

  const std::optional<FileKey> a = fileKey(dir.file("a.mmv"));
  ASSERT_TRUE(a);
  EXPECT_EQ(fileKey(dir.file("hard.mmv")), a);
  EXPECT_EQ(fileKey(dir.file(std::string("sub") + kPathSeparator + ".." + kPathSeparator + "a.mmv")), a);
  EXPECT_NE(fileKey(dir.file("copy.mmv")), a);
  fs::create_symlink(dir.file("a.mmv"), dir.file("soft.mmv"), ec);
  if (!ec) {  // Windows may not allow one
    EXPECT_EQ(fileKey(dir.file("soft.mmv")), a);
  }
  EXPECT_TRUE(fileKey(dir.file("sub")));  // a folder has one too

  std::string reason;
  EXPECT_FALSE(fileKey(dir.file("missing.mmv"), &reason));
  EXPECT_FALSE(reason.empty());
}

}  // namespace
}  // namespace vk2
