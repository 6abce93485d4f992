// corvane-run: the headless front end.
#include <cstdio>
#include <string>
#include <vector>

#include "host/platform/headless/interrupt.h"
#include "host/platform/headless/runner.h"
#include "shared/process.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args = corvane::programArguments(argc, argv);
    corvane::installInterruptSignals();
    return corvane::runHeadless(args, stdout, stderr);
}
