#pragma once
// Calling system-call handlers directly on a Machine: push the arguments in source order, run
// the handler, and check how many values it left.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "support/fake_host.h"
#include "vm/machine.h"

namespace corvane::test {

using Handler = void (*)(Machine&);

struct LibMachine {
    Machine m;
    FakeHost host;

    LibMachine() { m.host = &host; }

    void pushAll(std::initializer_list<uint32_t> args) {
        for (uint32_t a : args) m.push(a);
    }

    // A call without a result: every argument is removed and nothing is pushed.
    void call(Handler fn, std::initializer_list<uint32_t> args) {
        const uint8_t before = m.osp;
        pushAll(args);
        fn(m);
        EXPECT_EQ(m.osp, before) << "a call without a result must leave osp where it was";
    }

    // A call with a result: exactly one value is left, and it is returned.
    uint32_t result(Handler fn, std::initializer_list<uint32_t> args) {
        const uint8_t before = m.osp;
        pushAll(args);
        fn(m);
        EXPECT_EQ(m.osp, uint8_t(before + 4)) << "a call with a result must push exactly one";
        return m.pop();
    }

    // Writes the bytes of `s` and a terminator at `addr`, wrapping at 64 KiB.
    void putString(uint32_t addr, std::string_view s) {
        for (size_t i = 0; i < s.size(); ++i) m.write8(addr + uint32_t(i), uint8_t(s[i]));
        m.write8(addr + uint32_t(s.size()), 0);
    }

    std::string getString(uint32_t addr, size_t limit = 0x10000) const {
        std::string s;
        for (uint32_t i = 0; i < limit; ++i) {
            const uint8_t b = m.read8(addr + i);
            if (b == 0) break;
            s.push_back(char(b));
        }
        return s;
    }
};

}  // namespace corvane::test
