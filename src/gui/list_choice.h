#pragma once
// An editable drop-down whose entries only count when chosen from its list:
// text typed into it chooses none of them, even the text of an entry.
#include <QObject>

class QComboBox;

namespace vk2::gui {

class ListChoice : public QObject {
 public:
  // Watches `box`, which must be editable, and is owned by it.
  explicit ListChoice(QComboBox* box);

  // The list position last chosen, or -1 when the edit text was typed since or
  // no longer is that entry's text.
  int chosenIndex() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QComboBox* box_;
  bool typed_ = false;
};

}  // namespace vk2::gui
