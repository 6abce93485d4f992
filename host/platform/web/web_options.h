#pragma once
// What the page starts the simulator with, from its address: a program to open, and the test
// hook's virtual time with scripted keys and LCD captures (as corvane-run's --ips, --date, --keys
// and --lcd).

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/platform/headless/script.h"
#include "vm/host.h"

namespace corvane {

struct WebOptions {
    std::optional<std::string> image;  // a program image already written to the file system
    bool virtualTime = false;
    uint64_t instructionsPerSecond = 10'000'000;
    LocalTime date;  // 2004-01-01 00:00:00, as the runner's
    Script script;
    std::set<uint64_t> lcdFrames;
};

// Arguments as the page passes them: "--image PATH", "--virtual", "--ips N", "--date DATE",
// "--keys SCRIPT", "--lcd F[,F...]". False, with `error` set, when one does not parse.
bool readWebOptions(const std::vector<std::string>& args, WebOptions& options, std::string& error);

}  // namespace corvane
