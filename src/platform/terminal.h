#pragma once
// Whether the program's standard output is a person's terminal (on Windows a
// console), where a line may be rewritten in place, or a file or a pipe, where
// every line stays.
namespace vk2 {

bool standardOutputIsTerminal();

// Standard output written byte for byte from now on: a table with its own CRLF
// line ends would otherwise get a second CR on Windows. Nothing to do elsewhere.
void writeStandardOutputUnchanged();

}  // namespace vk2
