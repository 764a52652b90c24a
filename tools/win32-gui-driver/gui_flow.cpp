// Drives the real vk2-mp4-tool.exe from outside, as a user would with the mouse:
// opens a three-file recording through the open dialog, narrows the window with
// the time buttons, unticks subtitle items, converts with the fake converter and
// checks the progress, the completion box, the file manager's command line and
// the converter's command lines against vk2mp4.exe's for the same choices; then
// cancels a run whose converter hangs and picks a drive in the folder chooser.
// With VK2_SCREENSHOT_DIR set it saves
// pictures of both windows there as BMP files.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>

#include "testing/fake_mp4.h"
#include "win32-gui-driver/file_dialog.h"
#include "win32-gui-driver/folder_dialog.h"
#include "win32-gui-driver/program_run.h"
#include "win32-gui-driver/remote_window.h"
#include "win32-gui-driver/screenshot.h"
#include "win32-gui-driver/session_folders.h"
#include "win32_gui/control_ids.h"
#include "window_model/controls.h"

namespace vk2::driver {
namespace {

namespace fs = std::filesystem;
using ui::Control;

void expect(bool condition, const std::string& what) {
  if (!condition) throw DriverFailure(what);
}

void expectEqual(const std::string& actual, const std::string& expected, const std::string& what) {
  if (actual != expected) throw DriverFailure(what + ": \"" + actual + "\" instead of \"" + expected + "\"");
}

std::string joined(const Arguments& args) {
  std::string text;
  for (const std::string& a : args) text += (text.empty() ? "" : " | ") + a;
  return text;
}

// The two windows of the program and what the checks need of them.
class DrivenProgram {
 public:
  explicit DrivenProgram(const SessionFolders& folders) : folders_(folders), run_(folders.toolPath(), folders.work) {
    // Under Wine the windows need a display: scripts/test-windows gives one with Xvfb.
    waitFor("the main window (is there a display?)", 60,
            [&] { return (main_ = topWindow(run_.id(), ui::kMainCaption)) != nullptr; });
  }

  HWND main() const { return main_; }
  DWORD id() const { return run_.id(); }
  HWND dialog() const { return topWindow(run_.id(), ui::windowSpec(ui::Window::SaveMp4).caption); }
  HWND control(HWND window, Control c) const { return child(window, win32::controlId(c), ui::spec(c).name); }
  HWND mainControl(Control c) const { return control(main_, c); }
  HWND dialogControl(Control c) const {
    HWND d = dialog();
    if (!d) throw DriverFailure(std::string("the options dialog is not shown, so ") + ui::spec(c).name + " is not");
    return control(d, c);
  }
  std::string dialogText(Control c) const { return textOf(dialogControl(c)); }
  void clickMain(Control c) const { click(mainControl(c), ui::spec(c).name); }
  void clickDialog(Control c) const { click(dialogControl(c), ui::spec(c).name); }

  // A message box of the program, or nullptr.
  HWND messageBox() const { return topWindow(run_.id(), ui::kBoxTitle, "#32770"); }
  // Waits for a message box, checks its text and presses OK.
  void acknowledgeBox(const std::string& expected, double seconds) const {
    HWND box = nullptr;
    waitFor("a message box saying \"" + expected + "\"", seconds, [&] { return (box = messageBox()) != nullptr; });
    expectEqual(messageBoxText(box), expected, "the message box says");
    click(child(box, IDOK, "OK button"), "the box's OK button");
    waitFor("the message box to close", 10, [&] { return messageBox() == nullptr; });
  }

  // A name the ANSI code page cannot show is refused with a box naming it, and nothing changes.
  void refuseAWideName() const {
    const fs::path folder = fs::path(folders_.work) / "wide";
    fs::create_directories(folder);
    const fs::path file = folder / L"\u65e5\u672c.mmv";
    CloseHandle(CreateFileW(file.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    clickMain(Control::SpeedButton2);
    chooseWideNameInOpenDialog(run_.id(), file.wstring());
    HWND box = nullptr;
    waitFor("the box refusing the name", 20, [&] { return (box = messageBox()) != nullptr; });
    const std::string text = messageBoxText(box);
    expect(text.rfind("The name \"" + (folder / "").string(), 0) == 0 && text.find("cannot show") != std::string::npos,
           "the box about a name outside the code page says: " + text);
    click(child(box, IDOK, "OK button"), "the box's OK button");
    waitFor("the box to close", 10, [&] { return messageBox() == nullptr; });
    expect(!takesInput(mainControl(Control::sbtnSaveMp4)), "the save command is enabled after a refused name");
  }

  void openRecordings() const {
    clickMain(Control::SpeedButton2);
    chooseInOpenDialog(run_.id(), folders_.data, folders_.recordings);
    const std::string status = folders_.data + "\r\n3 MMV files are selected.";
    waitFor("the status band to show the selection", 30, [&] { return textOf(mainControl(Control::lbDir)) == status; });
    expect(takesInput(mainControl(Control::sbtnSaveMp4)), "the save command is not enabled after the selection");
  }

  // Opens the options dialog and narrows the 12-second window by one second at each end.
  std::string openOptionsAndNarrow() const {
    clickMain(Control::sbtnSaveMp4);
    waitFor("the options dialog", 20, [&] { return dialog() != nullptr; });
    expect(!IsWindowEnabled(main_), "the main window takes input while the options dialog is shown");
    // It cannot be minimised, which would leave only the disabled main window.
    expect(!(GetWindowLongPtrA(dialog(), GWL_STYLE) & WS_MINIMIZEBOX), "the options dialog has a minimise box");
    SendMessageTimeoutA(dialog(), WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_NORMAL, 5000, nullptr);
    expect(!IsIconic(dialog()), "the options dialog was minimised");
    expectEqual(dialogText(Control::lbSec), "12", "the recording's length");
    expectEqual(dialogText(Control::lbProgress), "0/4", "the progress counter before Start");
    // What Start makes of a card's trips is a card's choice alone.
    expect(!IsWindowVisible(dialogControl(Control::rbEveryTrip)) && !IsWindowVisible(dialogControl(Control::rbEventClips)),
           "the choice between every trip and a clip per event is shown for a plain selection");
    const std::string fullName = dialogText(Control::edMp4Filename);
    const std::string from = dialogText(Control::lbTimeFrom);
    clickDialog(Control::sbtnTimeFromPlus);
    waitFor("the window to start a second later", 10, [&] { return dialogText(Control::lbSec) == "11"; });
    clickDialog(Control::sbtnTimeToMinus);
    waitFor("the window to end a second earlier", 10, [&] { return dialogText(Control::lbSec) == "10"; });
    expect(dialogText(Control::lbTimeFrom) != from, "the start label did not follow the time button");
    const std::string name = dialogText(Control::edMp4Filename);
    expect(fullName.size() > 3 && fullName.substr(fullName.size() - 3) == "_12",
           "the proposed name " + fullName + " does not end in the length 12");
    expect(name.size() > 3 && name.substr(name.size() - 3) == "_10",
           "the narrowed name " + name + " does not end in the length 10");
    return name;
  }

  void untick(Control c) const {
    if (!isChecked(dialogControl(c))) return;
    clickDialog(c);
    waitFor(std::string(ui::spec(c).name) + " to be unticked", 10, [&] { return !isChecked(dialogControl(c)); });
  }

  // The folder button's chooser starts at the computer's drives: that top has no
  // path and changes nothing; a drive below it is taken as it is.
  void pickADrive() const {
    const std::string before = dialogText(Control::edFolder);
    clickDialog(Control::Button1);
    chooseInFolderDialog(run_.id(), true);
    expectEqual(dialogText(Control::edFolder), before, "the folder field after choosing the chooser's top");
    clickDialog(Control::Button1);
    chooseInFolderDialog(run_.id(), false);
    std::string folder;
    waitFor("the folder field to change", 10, [&] { return (folder = dialogText(Control::edFolder)) != before; });
    expect(folder.size() == 3 && folder.substr(1) == ":\\", "the folder chosen is \"" + folder + "\", not a drive");
  }

  // Escape closes the dialog as its close box does; then the main window's close box ends the program.
  unsigned close() {
    pressKey(dialogControl(Control::btnStart), VK_ESCAPE, "Escape in the options dialog");
    waitFor("the options dialog to close", 10, [&] { return dialog() == nullptr; });
    PostMessageA(main_, WM_CLOSE, 0, 0);
    return run_.waitForExit(20);
  }

 private:
  const SessionFolders& folders_;
  ProgramRun run_;
  HWND main_ = nullptr;
};

void screenshot(HWND window, const char* name) {
  const char* folder = std::getenv("VK2_SCREENSHOT_DIR");
  if (!folder || !*folder) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // its last paint
  saveScreenshot(window, std::string(folder) + "\\" + name);
}

// Start, the counter up to 4/4, the completion box, the file manager on the output folder.
void convert(const SessionFolders& f, const DrivenProgram& p, const std::string& target) {
  p.clickDialog(Control::btnStart);
  std::vector<std::string> counts;
  waitFor("the completion box", 60, [&] {
    if (p.messageBox()) return true;
    const std::string count = p.dialogText(Control::lbProgress);
    if (counts.empty() || counts.back() != count) counts.push_back(count);
    return false;
  });
  expectEqual(messageBoxText(p.messageBox()), "MP4 converted successfully", "the box after Start says");
  std::string seen;
  for (const std::string& c : counts) seen += " " + c;
  // The counter stands at 3/4 while the converter runs, after the three files are merged.
  expect(std::find(counts.begin(), counts.end(), "3/4") != counts.end(), "the counter never showed 3/4:" + seen);
  expectEqual(p.dialogText(Control::lbProgress), "4/4", "the counter at the end");
  const HWND bar = p.dialogControl(Control::barFile);
  expect(progressPosition(bar) == progressMaximum(bar), "the progress bar is not full at the end");
  p.acknowledgeBox("MP4 converted successfully", 10);
  waitFor("the dialog to close after the conversion", 10, [&] { return p.dialog() == nullptr; });
  expect(takesInput(p.mainControl(Control::SpeedButton2)), "the main window does not take input after the run");

  waitFor("the file manager's call", 20, [&] { return f.calls().size() == 3; });
  const std::vector<Arguments> calls = f.calls();
  expect(calls[2] == Arguments{"explorer", f.output}, "the file manager was called with " + joined(calls[2]));
  expect(testing::entriesOf(f.output) == std::vector<std::string>{fs::path(target).filename().string()},
         "the output folder does not hold the MP4 alone");
  expectEqual(testing::fakeMp4Marker(testing::readText(target)), "made by call 0", "the MP4 at the target");
}

// The same recording, window and choices through vk2mp4.exe: the same command lines and subtitle script.
void compareWithCommandLine(const SessionFolders& f, const std::string& target) {
  const std::vector<Arguments> gui = f.calls();
  const std::string script = f.burntScript();
  expect(script.find("Dialogue:") != std::string::npos, "the subtitle script holds no subtitles");
  expect(script.find("rpm") == std::string::npos, "the subtitle script shows the RPM that was unticked");
  fs::rename(target, f.kept + "gui.mp4");
  f.clearCalls();
  std::string arguments = "convert -q --trim-start 1 --trim-end 1 --hide rpm --no-audio -o \"" + target + "\"";
  for (const std::string& name : f.recordings) arguments += " \"" + f.data + name + "\"";
  const unsigned status = f.runCommandLine(arguments);
  expect(status == 0, "vk2mp4.exe convert ended with status " + std::to_string(status));
  const std::vector<Arguments> cli = f.calls();
  expect(cli.size() == 2, "vk2mp4.exe called the converter " + std::to_string(cli.size()) + " times");
  for (std::size_t i = 0; i < 2; ++i)
    expect(gui[i] == cli[i], "converter call " + std::to_string(i + 1) + " differs:\n  windows:  " + joined(gui[i]) +
                                 "\n  vk2mp4:   " + joined(cli[i]));
  expect(f.burntScript() == script, "the subtitle scripts of the windows and of vk2mp4.exe differ");
  fs::remove(target);
  fs::rename(f.kept + "gui.mp4", target);
}

// Start with a converter that hangs, then Cancel: back to idle, the earlier MP4 in place.
void cancelHangingRun(const SessionFolders& f, const DrivenProgram& p, const std::string& target) {
  const std::string before = testing::readText(target);
  f.clearCalls();
  f.setModes("hang\n");
  p.clickDialog(Control::btnStart);
  waitFor("the converter to start", 30, [&] { return f.calls().size() == 1; });
  waitFor("Cancel to take input", 10, [&] { return takesInput(p.dialogControl(Control::btnCancel)); });
  // The converter's part of the bar is the last quarter, after the merges' three.
  const HWND bar = p.dialogControl(Control::barFile);
  const int position = progressPosition(bar), maximum = progressMaximum(bar);
  expect(position * 4 > maximum * 3 && position < maximum,
         "the bar stands at " + std::to_string(position) + " of " + std::to_string(maximum) + " in the converter step");
  // During the converter step the close boxes are refused.
  SendMessageTimeoutA(p.dialog(), WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, nullptr);
  SendMessageTimeoutA(p.main(), WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, nullptr);
  expect(p.dialog() != nullptr && IsWindow(p.main()), "a close box ended the converter step");
  expect(!takesInput(p.dialogControl(Control::btnClose)), "Close takes input during the converter step");

  const auto cancelled = std::chrono::steady_clock::now();
  p.clickDialog(Control::btnCancel);
  p.acknowledgeBox("The conversion was cancelled.", 15);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - cancelled;
  expect(took.count() < 10, "the cancelled run took " + std::to_string(took.count()) + " s to end");
  waitFor("Start to take input again", 10, [&] { return takesInput(p.dialogControl(Control::btnStart)); });
  expect(!takesInput(p.dialogControl(Control::btnCancel)), "Cancel still takes input after the run");
  expectEqual(p.dialogText(Control::lbProgress), "0/4", "the counter after the cancelled run");
  expect(testing::entriesOf(f.output) == std::vector<std::string>{fs::path(target).filename().string()},
         "the cancelled run left files in the output folder");
  expect(testing::readText(target) == before, "the cancelled run changed the MP4 at the target");
  expect(f.calls().size() == 1, "the cancelled run called more programs than the converter once");
  f.setModes("");
}

void drive(const SessionFolders& f, DrivenProgram& p) {
  expect(!takesInput(p.mainControl(Control::sbtnSaveMp4)), "the save command is enabled before a selection");
  p.refuseAWideName();
  p.openRecordings();
  screenshot(p.main(), "win32-main-window.bmp");
  const std::string name = p.openOptionsAndNarrow();
  p.untick(Control::checkBoxRpm);
  p.untick(Control::checkBoxAudio);
  screenshot(p.dialog(), "win32-save-dialog.bmp");
  const std::string target = f.output + name + ".mp4";
  convert(f, p, target);
  compareWithCommandLine(f, target);
  std::cout << "win32 gui: converted " << name << ".mp4 with the command lines of vk2mp4.exe\n";

  p.openRecordings();
  expectEqual(p.openOptionsAndNarrow(), name, "the narrowed name of the second run");
  cancelHangingRun(f, p, target);
  std::cout << "win32 gui: Cancel ended the hanging converter; the earlier MP4 is in place\n";
  p.pickADrive();
  const unsigned status = p.close();
  expect(status == 0, "the program ended with status " + std::to_string(status));
}

void runFlow(const SessionFolders& f) {
  DrivenProgram p(f);
  try {
    drive(f, p);
  } catch (const DriverFailure& e) {
    throw DriverFailure(std::string(e.what()) + "\nwindows shown: " + shownWindows(p.id()));
  }
}

}  // namespace
}  // namespace vk2::driver

int main() {
  const auto started = std::chrono::steady_clock::now();
  std::unique_ptr<vk2::driver::SessionFolders> folders;
  try {
    folders = std::make_unique<vk2::driver::SessionFolders>();
    vk2::driver::runFlow(*folders);
  } catch (const std::exception& e) {
    std::cout << "win32 gui: FAILED: " << e.what() << "\n";
    if (folders) std::cout << "The program's diagnosis log:\n" << folders->diagnosisLog();
    return 1;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  std::cout << "win32 gui: the whole flow took " << static_cast<int>(took.count()) << " s\n";
  return 0;
}
