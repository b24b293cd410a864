// The desktop window's program; `boardquill` starts it when given no command.
#include "app/app.h"

int main(int argc, char** argv) {
  return bq::RunDesktopApp(argc, argv);
}
