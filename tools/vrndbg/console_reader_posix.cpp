#include <unistd.h>

#include "tools/vrndbg/console_reader.h"

namespace corvane {

struct ConsoleReader::System {};

ConsoleReader::ConsoleReader() = default;
ConsoleReader::~ConsoleReader() = default;

bool ConsoleReader::start() {
    return true;
}

int ConsoleReader::descriptor() const {
    return ended_ ? -1 : 0;
}

void ConsoleReader::take(CommandInput& input) {
    char buf[4096];
    const ssize_t got = read(0, buf, sizeof buf);
    if (got <= 0) {
        ended_ = true;
        input.end();
    } else {
        input.feed(buf, size_t(got));
    }
}

}  // namespace corvane
