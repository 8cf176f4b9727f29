#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nomvary {

// The console of a command-line program, one implementation per platform.
// Texts are the program's own: bytes of the file system's names on Linux,
// UTF-8 on Windows.

// Readies standard input, output and error for a run that must never be cut
// short by its output. Answers the errno-style reason when standard output
// cannot take any output (it was closed), else 0.
int PrepareConsole();
// The program's arguments, argument 0 first.
std::vector<std::string> CommandLineArguments(int argc, char** argv);
// Writes to standard output; what is written may wait for FlushOutput.
// Answers 0, or the errno-style reason the write failed.
int WriteOutput(std::string_view text);
// Writes out what standard output still holds; 0, or the reason of a
// failure of this or an earlier write.
int FlushOutput();
// Writes to standard error, after what standard output holds.
void WriteError(std::string_view text);

}  // namespace nomvary
