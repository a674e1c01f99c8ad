#include <iostream>

#include "RegTool.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return RunRegTool(arguments, std::cout, std::cerr, std::cin);
}
