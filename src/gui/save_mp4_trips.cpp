// Start in trip mode: every trip of the memory card into the chosen folder, one
// after another with the dialog's choices, and one message at the end.
#include <QLineEdit>
#include <QPushButton>

#include "conversion/conversion_run.h"
#include "conversion/trip_batch.h"
#include "gui/main_window.h"
#include "gui/output_target.h"
#include "gui/save_mp4_dialog.h"

namespace vk2::gui {

namespace {
std::string toText(const QString& s) { return s.toLocal8Bit().toStdString(); }
}  // namespace

void TformSaveMp4::startTrips() {
  const std::string folderText = toText(edFolder_->text());
  const std::string extension = outputExtension(cbSubtitles());
  // The folder is checked before anything runs, as for one recording.
  const OutputTarget first = outputTarget(folderText, toText(edMp4Filename_->text()), extension.c_str());
  if (!first.problem.empty()) {
    main_.environment().dialogs.showMessage(this, first.problem);
    return;
  }
  const TripSettings settings{outputFolder(folderText), state_.trimStart, state_.trimEnd, rbTimeLocal(), extension};
  StageContext ctx = beginRun();
  const QString caption = windowTitle();
  TripBatchCallbacks callbacks;
  callbacks.tripStarted = [this, &caption](std::size_t index, std::size_t count, const Trip& trip) {
    setWindowTitle(QString::fromStdString(tripCaption(caption.toStdString(), index, count)));
    const int steps = static_cast<int>(trip.files.size()) + 1;
    showProgress(RunProgress{0, steps, "0/" + std::to_string(steps)});
  };
  callbacks.convert = [this, &ctx](const std::string& target) {
    run_ = std::make_unique<ConversionRun>(ctx, runCallbacks());
    struct Release {
      std::unique_ptr<ConversionRun>& run;
      ~Release() { run.reset(); }
    } release{run_};
    RunOutcome outcome = run_->start(target);
    saveTrackIfChosen(ctx, target, outcome);
    return outcome;
  };
  batch_ = std::make_unique<TripBatch>(ctx, main_.trips(), settings, std::move(callbacks));
  const TripBatchResult result = batch_->run();
  batch_.reset();
  setWindowTitle(caption);
  returnToIdle();

  QWidget* owner = isVisible() ? static_cast<QWidget*>(this) : &main_;
  main_.environment().dialogs.showMessage(owner, result.message(settings.folder));
  if (result.converted > 0 && main_.environment().openFolder)
    main_.environment().openFolder(main_.environment().launcher, folderText);
  // As after one recording: done, the dialog closes; otherwise it is ready for another Start.
  if (!result.allConverted())
    resetProgress();
  else if (isVisible())
    close();
  else
    FormClose();
}

}  // namespace vk2::gui
