// Writes the demo grid (see demo_grid.h) to the path given, "mirtaxo.gsb" by default.
#include <exception>
#include <iostream>

#include "demo_grid.h"

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "mirtaxo.gsb";
    try {
        ntv2::writeGrid(path, ntv2::demoGrid());
    } catch (const std::exception& e) {
        std::cerr << "make_demo_grid: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
