#pragma once
// Whether the program's standard output is a person's terminal (on Windows a
// console), where a line may be rewritten in place, or a file or a pipe, where
// every line stays.
namespace vk2 {

bool standardOutputIsTerminal();

}  // namespace vk2
