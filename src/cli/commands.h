#pragma once
// The command line: `check`, `convert`, `fonts`, `--help`, `--version`.
namespace bq {

// True when argv names a command-line command (anything but no arguments).
bool IsCliInvocation(int argc, char** argv);
int RunCli(int argc, char** argv);

}  // namespace bq
