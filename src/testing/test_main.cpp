// The tests take their locale from the environment, as the Qt program does, so
// that a run under LC_ALL=de_DE.UTF-8 (scripts/test's second) has every test
// meet a decimal comma.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
