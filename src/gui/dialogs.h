#pragma once
// The modal boxes and choosers the windows open. Behind an interface so tests
// can answer them instead of blocking on a real dialog.
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace vk2::gui {


class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // OpenDialogMMV: several existing "*.mmv" files, or nothing when cancelled.
  // `initialFolder` is used when not empty.
  virtual std::optional<std::vector<std::string>> chooseMmvFiles(QWidget* owner,
                                                                 const std::string& initialFolder) = 0;
  // A folder chooser; the path as the chooser gives it ("" for a pathless item),
  // or nothing when cancelled.
  virtual std::optional<std::string> chooseFolder(QWidget* owner, const std::string& title) = 0;
  // A plain modal box with one OK button.
  virtual void showMessage(QWidget* owner, const std::string& text) = 0;
  // The standard error box for an error that ended a handler.
  virtual void showError(QWidget* owner, const std::string& text) = 0;
};

// The real Qt dialogs.
class QtDialogs : public Dialogs {
 public:
  std::optional<std::vector<std::string>> chooseMmvFiles(QWidget* owner,
                                                         const std::string& initialFolder) override;
  std::optional<std::string> chooseFolder(QWidget* owner, const std::string& title) override;
  void showMessage(QWidget* owner, const std::string& text) override;
  void showError(QWidget* owner, const std::string& text) override;
};

}  // namespace vk2::gui
