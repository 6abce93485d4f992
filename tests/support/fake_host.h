#pragma once
// A Host for tests: a clock the test moves by hand, a settable local time, scripted answers to
// the file chooser, and a record of what the debugger link sent.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "vm/host.h"

namespace corvane::test {

class FakeHost : public Host {
  public:
    uint64_t now = 1'000'000'000;  // nanoseconds
    LocalTime time;
    std::vector<LocalTime> timesSet;
    std::deque<std::optional<std::string>> chooserAnswers;  // empty: the chooser is cancelled
    std::vector<std::string> chooserDirs;                   // initial folders it was asked with

    struct Snapshot {
        uint32_t dataWord;
        std::vector<uint8_t> data;
    };
    std::vector<Snapshot> snapshots;
    std::vector<uint32_t> stopNotices;
    std::vector<std::string> writeFailures;  // files whose writes the host could not complete

    uint64_t nowNs() override { return now; }
    LocalTime localTime() override { return time; }
    void setLocalTime(const LocalTime& t) override {
        timesSet.push_back(t);
        time = t;
    }
    std::optional<std::string> chooseFile(const std::string& initialDir) override {
        chooserDirs.push_back(initialDir);
        if (chooserAnswers.empty()) return std::nullopt;
        auto answer = chooserAnswers.front();
        chooserAnswers.pop_front();
        return answer;
    }
    void debugSnapshot(uint32_t dataWord, const uint8_t* data, uint32_t size) override {
        snapshots.push_back({dataWord, std::vector<uint8_t>(data, data + size)});
    }
    void debugStopNotice(uint32_t line) override { stopNotices.push_back(line); }
    void streamWriteFailed(const std::string& file) override { writeFailures.push_back(file); }
};

}  // namespace corvane::test
