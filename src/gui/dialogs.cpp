#include "gui/dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "gui/diagnosis_log.h"
#include "window_model/controls.h"

namespace vk2::gui {

std::optional<std::vector<std::string>> QtDialogs::chooseMmvFiles(QWidget* owner,
                                                                   const std::string& initialFolder) {
  QFileDialog dialog(owner);
  dialog.setObjectName("OpenDialogMMV");
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilter("mmv (*.mmv)");
  if (!initialFolder.empty()) dialog.setDirectory(QString::fromLocal8Bit(initialFolder));
  dialog.selectFile("*.mmv");
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  std::vector<std::string> files;
  for (const QString& f : dialog.selectedFiles())
    files.push_back(QDir::toNativeSeparators(f).toLocal8Bit().toStdString());
  if (files.empty()) return std::nullopt;
  return files;
}

std::optional<std::string> QtDialogs::chooseFolder(QWidget* owner, const std::string& title) {
  QFileDialog dialog(owner, QString::fromLocal8Bit(title));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? std::string() : QDir::toNativeSeparators(chosen.front()).toLocal8Bit().toStdString();
}

void QtDialogs::showMessage(QWidget* owner, const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, ui::kBoxTitle,
                  QString::fromLocal8Bit(text), QMessageBox::Ok, owner);
  box.exec();
}

void QtDialogs::showError(QWidget* owner, const std::string& text) {
  QMessageBox box(QMessageBox::Critical, ui::kBoxTitle,
                  QString::fromLocal8Bit(text), QMessageBox::Ok, owner);
  box.exec();
}

std::unique_ptr<DiagnosisLog> openDiagnosisLog(Dialogs& dialogs) {
  return ui::openDiagnosisLog([&dialogs](const std::string& text) { dialogs.showError(nullptr, text); });
}

}  // namespace vk2::gui
