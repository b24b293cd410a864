#include "cli/commands.h"
#ifdef BOARDQUILL_GUI
#include "app/app.h"
#endif

int main(int argc, char** argv) {
#ifdef BOARDQUILL_GUI
  if (!bq::IsCliInvocation(argc, argv)) return bq::RunDesktopApp(argc, argv);
#endif
  return bq::RunCli(argc, argv);
}
