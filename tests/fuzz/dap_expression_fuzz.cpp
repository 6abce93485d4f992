// The debug server's expressions on any text, over a machine whose memory is any bytes, with the
// debug information of a small program (a struct, an array, pointers, a function with locals).
// Whatever the text, evaluating and showing it must end, and never read outside the machine.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "host/dap_values.h"
#include "shared/debuginfo/debug_info.h"
#include "vm/machine.h"

using namespace corvane;

namespace {

const char* kDebugInfo =
    "corvane-debug 1\n"
    "dir /src\n"
    "file 1 prog.c\n"
    "type 0 scalar 2 s int\n"
    "type 1 struct 4 node\n"
    "member value 0 0\n"
    "member next 2 2\n"
    "type 2 pointer 1\n"
    "type 3 scalar 1 s char\n"
    "type 4 array 3 8\n"
    "type 5 scalar 4 u unsigned long\n"
    "type 6 array 2 3\n"
    "type 7 pointer 3\n"
    "typedef Node 1\n"
    "global name 0x2004 4\n"
    "global big 0x200C 5\n"
    "global heads 0x2010 6\n"
    "global text 0x2016 7\n"
    "func 1 0x10 0x40 1 3 0 main\n"
    "param count 5 0\n"
    "local head 7 2 4 9\n"
    "local total 9 0 4 9\n"
    "line 0x14 0x10004 s\n";

const DebugInfo& info() {
    static const DebugInfo parsed = [] {
        std::optional<DebugInfo> i = readDebugInfo(kDebugInfo);
        if (!i) fuzz::fail("the target's own debug information does not read");
        return *i;
    }();
    return parsed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Machine m;
    FuzzedDataProvider in(data, size);
    m.fp = in.ConsumeIntegral<uint16_t>();
    m.pc = in.ConsumeIntegralInRange<uint32_t>(0, 0x60);
    const std::vector<uint8_t> memory = in.ConsumeBytes<uint8_t>(512);
    m.mem.fill(0);
    for (size_t i = 0; i < memory.size(); ++i) m.mem[(0x2000 + i * 127) & 0xFFFF] = memory[i];
    const std::string text = in.ConsumeRemainingBytesAsString();
    const std::vector<StackFrame> frames = walkStack(&info(), m);
    ValueReader reader(&info(), m, frames.front());
    Value v;
    char format = 0;
    std::string error;
    if (reader.evaluate(text, v, format, error)) {
        (void)reader.show(v, format);
        (void)reader.typeName(v.type);
        if (reader.expandable(v))
            for (const auto& child : reader.children(v, 0, 16)) (void)reader.show(child.second);
    } else if (error.empty()) {
        fuzz::fail("an expression was refused without a reason");
    }
    return 0;
}
