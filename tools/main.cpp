#include <iostream>
#include <string>
#include <vector>

#include "tool.hpp"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return vorlune::tool::runTool(args, std::cout, std::cerr);
}
