#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "support/settings.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace bq {

int StartDesktopProgram(const char* name, char** argv) {
  // From the program folder, not the search path: the program must be the
  // one installed with this command line.
  const std::string path = ProgramFolder() + name;
#ifdef _WIN32
  ::_execv(path.c_str(), argv);
#else
  ::execv(path.c_str(), argv);
#endif
  std::fprintf(stderr, "boardquill: cannot start the desktop window %s: %s\n", path.c_str(),
               std::strerror(errno));
  return 1;
}

}  // namespace bq
