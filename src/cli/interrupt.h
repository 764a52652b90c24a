#pragma once
// Ctrl-C while a command works: the handler only raises a flag, which the
// command's pump turns into an Interrupted exception at the next record.
#include <stdexcept>

namespace vk2::cli {

class Interrupted : public std::runtime_error {
 public:
  Interrupted() : std::runtime_error("interrupted") {}
};

// Installs the handler (once) and clears the flag.
void watchForInterrupt();
bool interruptRequested();
// Throws Interrupted when Ctrl-C was pressed.
void throwIfInterrupted();

}  // namespace vk2::cli
