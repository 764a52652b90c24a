#pragma once
// The diagnosis log of the windows program; a file that cannot be written is
// shown in the error box at start-up.
#include "window_model/diagnosis_log.h"

namespace vk2::gui {

class Dialogs;
using ui::DiagnosisLog;

std::unique_ptr<DiagnosisLog> openDiagnosisLog(Dialogs& dialogs);

}  // namespace vk2::gui
