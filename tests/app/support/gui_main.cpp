// The program of the GUI tests: runs the one test class its first argument names.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "guitest.h"

namespace {

std::map<std::string, guitest::TestRun>& Tests() {
    static std::map<std::string, guitest::TestRun> tests;
    return tests;
}

}  // namespace

bool guitest::RegisterTest(const char* name, TestRun run) {
    return Tests().emplace(name, run).second;
}

int main(int argc, char** argv) {
    const auto found = argc < 2 ? Tests().end() : Tests().find(argv[1]);
    if (found == Tests().end()) {
        std::fprintf(stderr, "usage: %s <test> [Qt Test options]; the tests:\n", argv[0]);
        for (const auto& [name, run] : Tests()) std::fprintf(stderr, "  %s\n", name.c_str());
        return 2;
    }
    // The test's name stands in the program's place, as if it were a program of its own.
    argv[1] = argv[0];
    return found->second(argc - 1, argv + 1);
}
