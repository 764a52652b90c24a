#include "cli/step_display.h"

#include <iostream>

#include "platform/terminal.h"

namespace vk2::cli {

StepDisplay::StepDisplay(std::ostream& out, bool quiet, bool verbose)
    : out_(quiet ? nullptr : &out),
      verbose_(verbose),
      terminal_(&out == &std::cout && standardOutputIsTerminal()) {}

void StepDisplay::stage(const std::string& line) {
  if (!out_) return;
  finishLine();
  stage_ = line;
  *out_ << line;
  // On a terminal the line stays open: a converter step's share is added to it.
  if (terminal_) {
    lineOpen_ = true;
    openLength_ = line.size();
  } else {
    *out_ << '\n';
  }
  out_->flush();
}

void StepDisplay::logLine(const std::string& line) {
  if (!out_ || !verbose_) return;
  finishLine();
  *out_ << line << '\n' << std::flush;
}

void StepDisplay::converterStep(bool active) {
  if (active) {
    progress_ = ConverterProgress();
    stepStarted_ = std::chrono::steady_clock::now();
  } else {
    finishLine();
  }
}

void StepDisplay::converterOutput(const std::string& chunk) {
  if (!out_ || !terminal_) return;
  const std::optional<double> share = progress_.feed(chunk);
  if (!share) return;
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - stepStarted_).count();
  // Nothing is left to estimate once it is done.
  rewrite(stage_ + ": " + (*share >= 0.995 ? std::string("100 % done") : progressText(*share, elapsed)));
}

void StepDisplay::result(const std::string& line) {
  if (!out_) return;
  finishLine();
  *out_ << line << '\n' << std::flush;
}

void StepDisplay::finishLine() {
  if (!lineOpen_) return;
  *out_ << '\n' << std::flush;
  lineOpen_ = false;
  openLength_ = 0;
}

void StepDisplay::rewrite(const std::string& line) {
  // Blanks over what a longer earlier text left; no escape sequences, which not every console reads.
  *out_ << '\r' << line;
  if (line.size() < openLength_) *out_ << std::string(openLength_ - line.size(), ' ');
  *out_ << std::flush;
  lineOpen_ = true;
  openLength_ = line.size();
}

std::string mergingLine(int index, int count, const std::string& recording) {
  return "Merging " + std::to_string(index) + " of " + std::to_string(count) + ": " + recording;
}

}  // namespace vk2::cli
