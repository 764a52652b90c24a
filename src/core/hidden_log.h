#pragma once
// An append-only list of whole text lines: the progress log every stage writes
// to, the subtitle line buffer, and the dialog's own time-window log. Never shown;
// an observer may mirror the lines elsewhere (a --log file, a diagnosis file).
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vk2 {

class HiddenLog {
 public:
  using Observer = std::function<void(const std::string& line)>;

  void append(std::string line) {
    if (observer_) observer_(line);
    lines_.push_back(std::move(line));
  }
  void clear() { lines_.clear(); }
  const std::vector<std::string>& lines() const { return lines_; }
  void setObserver(Observer observer) { observer_ = std::move(observer); }

 private:
  std::vector<std::string> lines_;
  Observer observer_;
};

}  // namespace vk2
