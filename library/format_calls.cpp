// The formatter shared by sprintf and printf: "%d", "%c", "%s" and "%%" over the arguments that
// the argument cursor walks in push order. sprintf writes the output into VmMemory; printf
// hands it to the console, keeping each double-byte character on one console line.

#include "display/console.h"
#include "library/memory_walk.h"
#include "vm/machine.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

// Output of sprintf: consecutive bytes from the destination, addresses wrapping.
struct MemorySink {
    static constexpr bool kPairsDoubleBytes = false;
    Machine& m;
    uint32_t at;
    void out(uint8_t b) { m.write8(at++, b); }
    bool needsSpaceBeforeDoubleByte() const { return false; }
};

// Output of printf: the console. A double-byte character whose first byte would land in the
// last column is moved to the next line by a space, so its two halves are never split.
struct ConsoleSink {
    static constexpr bool kPairsDoubleBytes = true;
    Machine& m;
    void out(uint8_t b) { consoleOutput(m, b); }
    bool needsSpaceBeforeDoubleByte() const {
        return m.console.cursorColumn + 1 >= m.console.columns;
    }
};

// Reads a zero-terminated byte string with wrapping addresses; past the walk limit it reads
// as terminated.
class StringReader {
  public:
    StringReader(const Machine& m, uint32_t addr) : m_(m), addr_(addr) {}
    uint8_t next() { return read_ < kWalkLimit ? m_.read8(addr_ + read_++) : 0; }

  private:
    const Machine& m_;
    uint32_t addr_;
    uint32_t read_ = 0;
};

template <class Sink>
class FormatWalk {
  public:
    FormatWalk(Machine& m, Sink& sink) : m_(m), sink_(sink) {}

    void run(uint16_t format) {
        StringReader f(m_, format);
        while (!full()) {
            const uint8_t b = f.next();
            if (b == 0) return;
            if (b != '%') {
                if (!text(b, f)) return;
                continue;
            }
            const uint8_t c = f.next();
            switch (c) {
                case 0:
                    return;  // a "%" at the very end
                case 'd':
                    decimal(int32_t(m_.nextArgument()));
                    break;
                case 'c':
                    emit(uint8_t(m_.nextArgument()));
                    break;
                case 's':
                    string(vmAddress(m_.nextArgument()));
                    break;
                default:
                    emit(c);
                    break;  // "%%" and any other byte stand for themselves
            }
        }
    }

  private:
    bool full() const { return produced_ >= kWalkLimit; }

    void emit(uint8_t b) {
        if (full()) return;
        ++produced_;
        sink_.out(b);
    }

    // One byte of text from the format or a "%s" string. For the console, a byte of 0x80 or
    // more takes the next byte with it, uninterpreted. Returns false when that next byte is the
    // terminator, which ends the text it was read from.
    bool text(uint8_t b, StringReader& from) {
        if constexpr (Sink::kPairsDoubleBytes) {
            if (b >= 0x80) {
                if (sink_.needsSpaceBeforeDoubleByte()) emit(' ');
                emit(b);
                const uint8_t second = from.next();
                if (second == 0) return false;
                emit(second);
                return true;
            }
        }
        emit(b);
        return true;
    }

    void string(uint16_t addr) {
        StringReader s(m_, addr);
        while (!full()) {
            const uint8_t b = s.next();
            if (b == 0 || !text(b, s)) return;
        }
    }

    void decimal(int32_t value) {
        uint32_t magnitude = uint32_t(value);
        if (value < 0) {
            emit('-');
            magnitude = 0u - magnitude;  // also right for the most negative value
        }
        char digits[10];
        int n = 0;
        do {
            digits[n++] = char('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        while (n > 0) emit(uint8_t(digits[--n]));
    }

    Machine& m_;
    Sink& sink_;
    uint32_t produced_ = 0;
};

// Removes the count and every argument from the operand stack at once (the format may consume
// fewer or more values than were passed) and points the argument cursor at the first argument.
void startArguments(Machine& m) {
    m.popA();
    const uint8_t count = uint8_t(m.regA);
    m.osp = uint8_t(m.osp - 4 * count);
    m.argCursor = m.osp;
}

}  // namespace

// sprintf(destination, format, values..., count): the count includes destination and format.
void sys_sprintf(Machine& m) {
    startArguments(m);
    const uint16_t dst = vmAddress(m.slot(m.argCursor));
    const uint16_t format = vmAddress(m.nextArgument());
    MemorySink sink{m, dst};
    FormatWalk<MemorySink> walk(m, sink);
    walk.run(format);
    m.write8(sink.at, 0);
}

// printf(format, values..., count): the count includes the format. The console is drawn once,
// after the whole output.
void sys_printf(Machine& m) {
    startArguments(m);
    const uint16_t format = vmAddress(m.slot(m.argCursor));
    ConsoleSink sink{m};
    FormatWalk<ConsoleSink> walk(m, sink);
    walk.run(format);
    consoleRender(m);
}

}  // namespace corvane
