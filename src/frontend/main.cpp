#include "console/platform.h"

int main() {
  console::platform().start();
  console::platform().restore();
  return 0;
}
