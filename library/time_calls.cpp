// The time calls: Delay (pause in 1/256 s ticks), Getms (fraction of the current second),
// GetTime and SetTime (the host's local clock through an 8-byte time record).

#include "library/memory_walk.h"
#include "vm/host.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

// Time record: year (16 bits), month, day, hour, minute, second, day of week. A record that
// starts in the last 7 bytes of VmMemory continues at 0x0000, like every other address.
enum RecordOffset : uint8_t {
    kYear = 0,
    kMonth = 2,
    kDay = 3,
    kHour = 4,
    kMinute = 5,
    kSecond = 6,
    kDayOfWeek = 7,
};

}  // namespace

// Delay(milliseconds): bits 0-14 of the count, in whole 1/256 s ticks. The run loop counts
// the ticks down from the clock reading taken here and runs no instruction meanwhile.
void sys_Delay(Machine& m) {
    const uint32_t ms = m.pop() & 0x7FFF;
    m.delayCounter = ms * 256 / 1000;
    m.lastDelayNs = m.host != nullptr ? m.host->nowNs() : 0;
    if (m.delayCounter != 0) m.stopRun = true;
}

// Getms(): the millisecond field of the local time in 1/256 s, 0-255.
void sys_Getms(Machine& m) {
    const int ms = m.host != nullptr ? m.host->localTime().millisecond : 0;
    const uint32_t clamped = ms < 0 ? 0u : uint32_t(ms);
    m.regA = clamped * 256 / 1000;
    if (m.regA > 255) m.regA = 255;
    m.push(m.regA);
}

// GetTime(record): writes the local date and time into the record.
void sys_GetTime(Machine& m) {
    const LocalTime t = m.host != nullptr ? m.host->localTime() : LocalTime{};
    const uint16_t at = vmAddress(m.pop());
    m.write16(at + kYear, uint32_t(t.year));
    m.write8(at + kMonth, uint32_t(t.month));
    m.write8(at + kDay, uint32_t(t.day));
    m.write8(at + kHour, uint32_t(t.hour));
    m.write8(at + kMinute, uint32_t(t.minute));
    m.write8(at + kSecond, uint32_t(t.second));
    m.write8(at + kDayOfWeek, uint32_t(t.dayOfWeek));
}

// SetTime(record): sets the host's local clock from the record; the day of week is ignored.
// Whether the host accepts it is not reported.
void sys_SetTime(Machine& m) {
    const uint16_t at = vmAddress(m.pop());
    LocalTime t;
    t.year = int(m.read16(at + kYear));
    t.month = m.read8(at + kMonth);
    t.day = m.read8(at + kDay);
    t.hour = m.read8(at + kHour);
    t.minute = m.read8(at + kMinute);
    t.second = m.read8(at + kSecond);
    t.dayOfWeek = 0;
    t.millisecond = 0;
    if (m.host != nullptr) m.host->setLocalTime(t);
}

}  // namespace corvane
