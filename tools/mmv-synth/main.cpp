#include <iostream>

int main() {
  std::cerr << "mmv-synth: not available yet\n";
  return 2;
}
