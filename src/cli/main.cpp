#include "cli/commands.h"
#ifdef BOARDQUILL_GUI
#include "app/app.h"
#endif

int main(int argc, char** argv) {
  if (!bq::IsCliInvocation(argc, argv)) {
#if defined(BOARDQUILL_GUI)
    return bq::RunDesktopApp(argc, argv);
#elif defined(BOARDQUILL_DESKTOP_PROGRAM)
    return bq::StartDesktopProgram(BOARDQUILL_DESKTOP_PROGRAM, argv);
#endif
  }
  return bq::RunCli(argc, argv);
}
