#include "gui/control_widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "gui/artwork.h"
#include "gui/fonts.h"
#include "gui/list_choice.h"

namespace vk2::gui {

namespace {

using ui::Control;
using ui::ControlKind;

// Keeps the left and top of a control and widens it when the font in use
// needs more room than the layout gives, so no caption is cut.
void widenToFit(QWidget* w) {
  const int needed = w->sizeHint().width();
  if (needed > w->width()) w->resize(needed, w->height());
}

// Shrinks a fixed-size label's font until its text fits.
void shrinkToFit(QLabel* l, int pointSize) {
  QFont f = l->font();
  f.setPointSize(pointSize);
  while (f.pointSize() > 7 && QFontMetrics(f).horizontalAdvance(l->text()) > l->width())
    f.setPointSize(f.pointSize() - 1);
  l->setFont(f);
}

QRect rectOf(const ui::Rect& r) { return QRect(r.x, r.y, r.width, r.height); }

QPixmap pictureOf(ui::Picture p, const ui::Rect& place) {
  switch (p) {
    case ui::Picture::Banner: return bannerPicture(place.width, place.height);
    case ui::Picture::OpenFolder: return openFolderPicture();
    case ui::Picture::FilmStrip: return filmStripPicture();
    case ui::Picture::MemoryCard: return memoryCardPicture();
    case ui::Picture::None: break;
  }
  return QPixmap();
}

QString fromText(const std::string& text) { return QString::fromLocal8Bit(text); }
std::string toText(const QString& s) { return s.toLocal8Bit().toStdString(); }

void setColour(QWidget* w, QPalette::ColorRole role, Qt::GlobalColor colour) {
  QPalette p = w->palette();
  p.setColor(role, colour);
  w->setPalette(p);
}

}  // namespace

ControlWidgets::ControlWidgets(QWidget* window, ui::WindowModel& model) : QObject(window), model_(model) {
  for (const ui::ControlSpec& s : ui::controlTable()) {
    if (s.window != model.windowId()) continue;
    QWidget* parent = s.parent == Control::None ? window : widget(s.parent);
    QWidget* w = create(s, parent);
    w->setObjectName(s.name);
    if (s.align != ui::Align::AutoSize) w->setGeometry(rectOf(s.place));
    if (*s.hint) w->setToolTip(s.hint);
    // Group boxes set the font of their contents; the blue labels and lbDir their own.
    if (s.kind == ControlKind::GroupBox || s.style != ui::TextStyle::Normal) w->setFont(tahoma(s.fontPoints));
    widgets_[static_cast<std::size_t>(s.id)] = w;
  }
  // The two choices of a pair exclude each other.
  for (const ui::ControlSpec& s : ui::controlTable()) {
    if (s.window != model.windowId() || s.kind != ControlKind::RadioButton || !s.checked) continue;
    auto* group = new QButtonGroup(s.parent == Control::None ? window : widget(s.parent));
    group->addButton(static_cast<QRadioButton*>(widget(s.id)));
    group->addButton(static_cast<QRadioButton*>(widget(static_cast<Control>(static_cast<int>(s.id) + 1))));
  }
  for (const ui::ControlSpec& s : ui::controlTable())
    if (s.window == model.windowId()) {
      apply(s.id, model.control(s.id));
      if (s.kind == ControlKind::CheckBox || s.kind == ControlKind::RadioButton) widenToFit(widget(s.id));
      reportChanges(s, widget(s.id));
    }
}

QWidget* ControlWidgets::create(const ui::ControlSpec& s, QWidget* parent) {
  const QString caption = s.caption;
  switch (s.kind) {
    case ControlKind::Panel:
      return new QFrame(parent);
    case ControlKind::Picture: {
      auto* l = new QLabel(parent);
      l->setScaledContents(true);
      l->setPixmap(pictureOf(s.picture, s.place));
      return l;
    }
    case ControlKind::Shape: {
      auto* f = new QFrame(parent);
      f->setAutoFillBackground(true);
      setColour(f, QPalette::Window, Qt::black);
      return f;
    }
    case ControlKind::PictureButton: {
      auto* b = new QToolButton(parent);
      const QPixmap picture = pictureOf(s.picture, s.place);
      b->setAutoRaise(true);
      b->setIcon(QIcon(picture));
      b->setIconSize(picture.size());
      b->setFocusPolicy(Qt::NoFocus);
      return b;
    }
    case ControlKind::Label: {
      auto* l = new QLabel(caption, parent);
      if (s.style == ui::TextStyle::Blue) setColour(l, QPalette::WindowText, Qt::blue);
      if (s.style == ui::TextStyle::YellowOnBlack) setColour(l, QPalette::WindowText, Qt::yellow);
      if (s.align == ui::Align::AutoSize) l->move(s.place.x, s.place.y);
      const Qt::Alignment across = s.style == ui::TextStyle::Blue ? Qt::AlignVCenter : Qt::Alignment();
      if (s.align == ui::Align::Right) l->setAlignment(Qt::AlignRight | across);
      if (s.align == ui::Align::Center) l->setAlignment(s.style == ui::TextStyle::Blue ? Qt::AlignHCenter | across
                                                                                        : Qt::AlignCenter);
      return l;
    }
    case ControlKind::ProgressBar: {
      auto* b = new QProgressBar(parent);
      b->setTextVisible(false);
      return b;
    }
    case ControlKind::Memo:
      return new QPlainTextEdit(parent);
    case ControlKind::DateTimePicker:
      return new QDateTimeEdit(parent);
    case ControlKind::GroupBox:
      return new QGroupBox(caption, parent);
    case ControlKind::CheckBox:
      return new QCheckBox(caption, parent);
    case ControlKind::RadioButton:
      return new QRadioButton(caption, parent);
    case ControlKind::PushButton: {
      auto* b = new QPushButton(caption, parent);
      b->setAutoDefault(false);
      if (caption == "+" || caption == "-") {
        b->setAutoRepeat(false);
        b->setFocusPolicy(Qt::NoFocus);
      }
      return b;
    }
    case ControlKind::Edit:
      return new QLineEdit(parent);
    case ControlKind::DropDownList:
    case ControlKind::DropDownEdit: {
      auto* box = new QComboBox(parent);
      for (const std::string& item : ui::dropDownItems(s.id)) box->addItem(fromText(item));
      if (s.kind == ControlKind::DropDownEdit) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        dateFormatChoice_ = new ListChoice(box);
      }
      return box;
    }
  }
  return new QWidget(parent);
}

void ControlWidgets::reportChanges(const ui::ControlSpec& s, QWidget* w) {
  const Control c = s.id;
  if (auto* box = qobject_cast<QCheckBox*>(w))
    connect(box, &QCheckBox::toggled, this, [this, c](bool on) {
      if (!applying_) model_.userChecked(c, on);
    });
  if (auto* radio = qobject_cast<QRadioButton*>(w))
    connect(radio, &QRadioButton::toggled, this, [this, c](bool on) {
      if (!applying_) model_.userChecked(c, on);
    });
  if (auto* edit = qobject_cast<QLineEdit*>(w))
    connect(edit, &QLineEdit::textChanged, this, [this, c](const QString& text) {
      if (!applying_) model_.userEdited(c, toText(text));
    });
  if (auto* box = qobject_cast<QComboBox*>(w)) {
    // Typed text chooses no entry, even an entry's text; the list decides.
    auto report = [this, c, box] {
      if (applying_) return;
      const int chosen = dateFormatChoice_ && box->isEditable() ? dateFormatChoice_->chosenIndex() : box->currentIndex();
      if (chosen < 0) model_.userEdited(c, toText(box->currentText()));
      model_.userSelected(c, chosen);
    };
    connect(box, &QComboBox::currentIndexChanged, this, report);
    if (box->isEditable()) connect(box, &QComboBox::editTextChanged, this, report);
  }
}

void ControlWidgets::onClicked(std::function<void(ui::Control)> onClick) {
  for (const ui::ControlSpec& s : ui::controlTable()) {
    if (s.window != model_.windowId()) continue;
    if (auto* b = qobject_cast<QAbstractButton*>(widget(s.id)))
      connect(b, &QAbstractButton::clicked, this, [onClick, c = s.id] { onClick(c); });
  }
}

void ControlWidgets::applyLabel(const ui::ControlSpec& s, const ui::ControlState& state) {
  auto* l = static_cast<QLabel*>(widget(s.id));
  QString text = fromText(state.text);
  // The label breaks lines at "\n"; a carriage return would show as a glyph.
  text.remove(QChar('\r'));
  l->setText(text);
  if (s.align == ui::Align::AutoSize) {
    l->adjustSize();
  } else if (s.id == Control::lbSec) {
    // A longer number widens the label to the left, away from the "Sec" caption.
    QRect place = rectOf(ui::kLengthPlace);
    const int needed = l->sizeHint().width();
    if (needed > place.width()) place.setLeft(place.right() + 1 - needed);
    l->setGeometry(place);
  } else if (s.style == ui::TextStyle::Blue) {
    shrinkToFit(l, s.fontPoints);
  }
}

void ControlWidgets::apply(ui::Control c, const ui::ControlState& state) {
  const ui::ControlSpec& s = ui::spec(c);
  QWidget* w = widget(c);
  if (!w) return;
  applying_ = true;
  w->setEnabled(state.enabled);
  if (state.visible != !w->isHidden()) w->setVisible(state.visible);
  switch (s.kind) {
    case ControlKind::Label:
      applyLabel(s, state);
      break;
    case ControlKind::ProgressBar: {
      auto* bar = static_cast<QProgressBar*>(w);
      bar->setRange(0, state.maximum);
      bar->setValue(state.position);
      break;
    }
    case ControlKind::DateTimePicker: {
      auto* picker = static_cast<QDateTimeEdit*>(w);
      const QDateTime t = QDateTime::fromString(fromText(state.text), "yyyy-MM-dd HH:mm:ss");
      if (t.isValid()) picker->setDateTime(t);
      picker->setProperty("tag", state.position);
      break;
    }
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
      static_cast<QAbstractButton*>(w)->setChecked(state.checked);
      break;
    case ControlKind::Edit: {
      auto* edit = static_cast<QLineEdit*>(w);
      if (edit->text() != fromText(state.text)) edit->setText(fromText(state.text));
      edit->setReadOnly(state.readOnly);
      break;
    }
    case ControlKind::DropDownList:
    case ControlKind::DropDownEdit: {
      auto* box = static_cast<QComboBox*>(w);
      if (state.selection >= 0 && state.selection != box->currentIndex()) {
        applying_ = false;  // a choice from the list, as the list would report it
        box->setCurrentIndex(state.selection);
        applying_ = true;
      }
      break;
    }
    default:
      break;
  }
  applying_ = false;
}

}  // namespace vk2::gui
