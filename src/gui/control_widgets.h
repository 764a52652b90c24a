#pragma once
// The widgets of one window, built from the window model's control table and
// kept in step with it: the model's changes are applied to the widgets, the
// user's changes reported back to the model.
#include <QObject>
#include <array>

#include "window_model/window_model.h"

class QWidget;

namespace vk2::gui {

class ListChoice;

class ControlWidgets : public QObject {
 public:
  // Creates every control of `model`'s window inside `window`.
  ControlWidgets(QWidget* window, ui::WindowModel& model);

  QWidget* widget(ui::Control c) const { return widgets_[static_cast<std::size_t>(c)]; }
  // Shows a state the model set; the widgets' own change signals are not reported back.
  void apply(ui::Control c, const ui::ControlState& state);
  // Reports every button press to `onClick`.
  void onClicked(std::function<void(ui::Control)> onClick);

 private:
  QWidget* create(const ui::ControlSpec& s, QWidget* parent);
  void reportChanges(const ui::ControlSpec& s, QWidget* w);
  void applyLabel(const ui::ControlSpec& s, const ui::ControlState& state);

  ui::WindowModel& model_;
  std::array<QWidget*, ui::kControlCount> widgets_{};
  ListChoice* dateFormatChoice_ = nullptr;
  bool applying_ = false;
};

}  // namespace vk2::gui
