#include <iostream>
#include <string>
#include <vector>

#include "tools/pack/pack_cli.hpp"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return pack_main(arguments, std::cout, std::cerr);
}
