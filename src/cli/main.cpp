// The platenest command line: batch runs of every job command.
#include <iostream>

int main() {
  std::cout << "platenest " << PLATENEST_VERSION << "\n";
  return 0;
}
