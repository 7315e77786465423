// Not a test of the utility: a program that faults on purpose, so the harness
// check can see what a fault in a test program does under this build's Wine.
#include <cstdio>

int main() {
  std::puts("fault_probe: writing through a null pointer");
  std::fflush(stdout);
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
