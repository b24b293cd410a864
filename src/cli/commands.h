#pragma once
// The command line: `check`, `convert`, `fonts`, `--help`, `--version`.
namespace bq {

// True when argv names a command-line command (anything but no arguments).
bool IsCliInvocation(int argc, char** argv);
int RunCli(int argc, char** argv);
// Replaces this process with the program `name` of the program folder,
// passing argv on; returns only when that fails, after saying why (`what`
// names the program in the message) with `status`.
int StartProgramBeside(const char* name, char** argv, const char* what, int status);
inline int StartDesktopProgram(const char* name, char** argv) {
  return StartProgramBeside(name, argv, "the desktop window", 1);
}

}  // namespace bq
