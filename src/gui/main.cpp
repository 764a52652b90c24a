#include "gui/application.h"

int main() { return vk2::gui::runProgram(); }
