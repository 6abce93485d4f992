#pragma once
// The one interface through which the core reaches the outside world. The host side implements
// it (desktop app, headless runner); tests implement it with a fake.

#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

// A local calendar date and time, as the time calls read and set it.
struct LocalTime {
    int year = 2004;
    int month = 1;        // 1-12
    int day = 1;          // 1-31
    int hour = 0;         // 0-23
    int minute = 0;       // 0-59
    int second = 0;       // 0-59
    int dayOfWeek = 4;    // 0 = Sunday .. 6 = Saturday
    int millisecond = 0;  // 0-999
};

class Host {
  public:
    virtual ~Host() = default;

    // Monotonic clock in nanoseconds: the machine's cycle counter (1,000 "cycles" per microsecond).
    virtual uint64_t nowNs() = 0;

    // Local date and time; setting it may be refused by the host, which is never reported.
    virtual LocalTime localTime() = 0;
    virtual void setLocalTime(const LocalTime& time) = 0;

    // The file chooser of FileList: shows a dialog starting in `initialDir` (a host path, UTF-8)
    // and returns the full host path of the chosen file, or nothing when cancelled.
    virtual std::optional<std::string> chooseFile(const std::string& initialDir) = 0;

    // Debugger link, sent at a stop: first the snapshot of DataArea with its data word
    // (function identifier x 65,536 + fp), then the stop notice with the line value.
    // Both return only when the debugger has received them (or is gone).
    virtual void debugSnapshot(uint32_t dataWord, const uint8_t* data, uint32_t size) = 0;
    virtual void debugStopNotice(uint32_t line) = 0;

    // The host could not complete the writes of a program's stream (its flush or close failed,
    // e.g. on a full disk): data the program was told had been written is lost. `file` is the
    // host path the stream was opened with. The program's own results stay as they were; this is
    // for the user, once per stream, when the stream is closed.
    virtual void streamWriteFailed(const std::string& file) = 0;
    // A program's stream was closed (fclose, or the end of the program): what it wrote is in its
    // host file now. For hosts that keep the files somewhere else as well (a browser's storage).
    virtual void streamClosed() {}
    // Every byte the console receives through putchar or printf, as the program wrote it; for
    // hosts that copy the program's text elsewhere.
    virtual void consoleByte(uint8_t) {}
    // The program called Beep. The machine does nothing for it; a host may make it heard.
    virtual void beep() {}
};

}  // namespace corvane
