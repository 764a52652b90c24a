#pragma once
// Keeps a file that already sits at the target safe while a run writes over the
// target's name: moved aside in the same folder under a name no other file has,
// put back when the run ends without a new MP4, removed once it has one.
#include <string>

namespace vk2 {

class SavedTarget {
 public:
  explicit SavedTarget(std::string target);
  ~SavedTarget();  // puts the file back if neither restore() nor discard() ran
  SavedTarget(const SavedTarget&) = delete;
  SavedTarget& operator=(const SavedTarget&) = delete;

  bool targetExists() const;
  // Moves an existing target aside; throws FileError when that fails.
  void moveAside();
  bool movedAside() const { return !savedPath_.empty(); }
  const std::string& savedPath() const { return savedPath_; }
  // Puts the saved file back over the target. Returns a message when it could
  // not, naming where the file is kept.
  std::string restore();
  // The run produced a new MP4: the saved copy is removed.
  void discard();

 private:
  std::string target_;
  std::string savedPath_;
};

}  // namespace vk2
