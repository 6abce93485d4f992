// corvane-run: the headless front end.
#include <cstdio>
#include <string>
#include <vector>

#include "host/platform/headless/dap_server.h"
#include "host/platform/headless/interrupt.h"
#include "host/platform/headless/runner.h"
#include "shared/process.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args = corvane::programArguments(argc, argv);
    corvane::installInterruptSignals();
    if (corvane::wantsDapServer(args)) return corvane::runDapServer(args, stderr);
    return corvane::runHeadless(args, stdout, stderr);
}
