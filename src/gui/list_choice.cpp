#include "gui/list_choice.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace vk2::gui {

ListChoice::ListChoice(QComboBox* box) : QObject(box), box_(box) {
  connect(box->lineEdit(), &QLineEdit::textEdited, this, [this] { typed_ = true; });
  // A choice from the list, by mouse, keys or program, puts an entry's text back.
  connect(box, &QComboBox::currentIndexChanged, this, [this] { typed_ = false; });
  connect(box, &QComboBox::activated, this, [this] { typed_ = false; });
  box->lineEdit()->installEventFilter(this);
}

int ListChoice::chosenIndex() const {
  const int index = box_->currentIndex();
  if (typed_ || index < 0 || box_->currentText() != box_->itemText(index)) return -1;
  return index;
}

bool ListChoice::eventFilter(QObject* watched, QEvent* event) {
  // Return would make the box pick the entry whose text was typed.
  if (typed_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace vk2::gui
