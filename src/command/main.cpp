#include "command/entry.h"
#include "host/platform.h"

int main(int argc, char** argv) {
  tavrel::TakeProcessArguments(argc, argv);
  tavrel::RunProcess();
}
