// corvane-run: the headless front end.
#include <cstdio>
#include <string>
#include <vector>

#include "host/platform/headless/interrupt.h"
#include "host/platform/headless/runner.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    corvane::installInterruptSignals();
    return corvane::runHeadless(args, stdout, stderr);
}
