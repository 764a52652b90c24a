#pragma once
// Keeps a file that already sits at the target safe while a run writes over the
// target's name: moved aside in the same folder under a name no other file has,
// put back when the run ends without a new MP4, removed once it has one.
#include <string>

#include "core/run_files.h"

namespace vk2 {

class SavedTarget {
 public:
  explicit SavedTarget(RunFiles files);
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
  // Leaves the saved file where it is and forgets it; returns its name.
  std::string release();
  // The run produced only an MP4 without subtitles while a file was saved: the
  // MP4 moves from the target to a free name beside it that says so, making
  // room for restore(). Returns the new name; throws FileError when it cannot move.
  std::string keepPlainMp4Beside();


 private:
  RunFiles files_;
  std::string savedPath_;
};

}  // namespace vk2
