#include "cli/run.h"

#include <iostream>

int main(int argc, char** argv) {
    // Only C++ streams are used, so they need not keep in step with C's.
    std::ios::sync_with_stdio(false);
    const int status = cli::Run({argv + 1, argv + argc}, std::cin, std::cout, std::cerr);
    std::cout.flush();
    return std::cout ? status : 2;
}
