#pragma once
// The command line: `check`, `convert`, `fonts`, `--help`, `--version`.
namespace bq {

// True when argv names a command-line command (anything but no arguments).
bool IsCliInvocation(int argc, char** argv);
int RunCli(int argc, char** argv);
// Replaces this process with the window program `name` of the program
// folder, passing argv on; returns 1 only when that fails, after saying why.
int StartDesktopProgram(const char* name, char** argv);

}  // namespace bq
