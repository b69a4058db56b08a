#include "tests/support/ToolRun.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace testing_support {

ToolRun RunTool(const std::string& commandLine) {
    const std::string command = commandLine + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {-1, ""};
    std::string output;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe))
        output += buffer.data();
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

} // namespace testing_support
