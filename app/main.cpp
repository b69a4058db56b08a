#include "CofferVersion.h"
#include "app/CofferApp.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // The one option: the program's version, printed before any window or display is needed.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("coffer %s\n", kCofferVersion);
        return 0;
    }
    return theApp.Run(argc, argv);
}
