// coffer-initdb [PATH]: creates a starter data file (default ./data.mdb) for Coffer.

#include "CofferVersion.h"
#include "data/StarterDatabase.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("coffer-initdb %s\n", kCofferVersion);
        return 0;
    }
    if (argc > 2 ||
        (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0))) {
        std::fprintf(argc > 2 ? stderr : stdout,
                     "usage: coffer-initdb [PATH]\n"
                     "       coffer-initdb --help | --version\n"
                     "Creates a starter Coffer data file at PATH (default ./data.mdb).\n"
                     "An existing file is never overwritten.\n");
        return argc > 2 ? 2 : 0;
    }
    const std::string path = argc == 2 ? argv[1] : "data.mdb";
    std::error_code ec;
    const std::string shown = std::filesystem::absolute(path, ec).string();
    if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
        std::fprintf(stderr, "coffer-initdb: %s already exists; it was left as it is.\n",
                     shown.c_str());
        return 1;
    }
    std::string error;
    if (!CreateStarterDatabase(path, error)) {
        std::fprintf(stderr, "coffer-initdb: %s\n", error.c_str());
        return 1;
    }
    std::printf("coffer-initdb: created %s\n"
                "  tables: normalIncome, normalPay, 家庭成员, 收入类型, 支出类型, baseData, "
                "tbUser\n"
                "  user root (password 73950), 3 family members, 4 income and 7 expense "
                "categories\n",
                shown.c_str());
    return 0;
}
