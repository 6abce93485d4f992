// FillArea: a span fill that follows one span per row, first upward from the seed row and then
// downward. It keeps no queue, so it visits at most 80 rows; branches of the area that leave the
// followed span are not filled, and column 0 is never tested or filled.

#include "display/screen.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

class SpanFill {
  public:
    explicit SpanFill(Machine& m) : m_(m) {}

    bool clear(uint32_t x, uint32_t y) const { return pixelRead(m_, x, y) == 0; }

    // One more than the first column left of c that is set, or 1 when the walk reaches column 0.
    // Column c itself is not tested.
    uint32_t leftEnd(uint32_t c, uint32_t row) const {
        if (c == 0) return 1;
        uint32_t k = c - 1;
        while (k != 0 && clear(k, row)) --k;
        return k + 1;
    }

    // One less than the first column right of l that is set or off the screen.
    uint32_t rightEnd(uint32_t l, uint32_t row) const {
        uint32_t k = l + 1;
        while (k < uint32_t(kScreenWidth) && clear(k, row)) ++k;
        return k - 1;
    }

    // The first clear column in [l, r] of the row, or -1.
    int32_t firstClear(uint32_t l, uint32_t r, uint32_t row) const {
        for (uint32_t c = l; c <= r; ++c)
            if (clear(c, row)) return int32_t(c);
        return -1;
    }

    // Fills the span of `row` reached from the span [l, r] of its neighbour; false when the
    // neighbour's span touches no clear pixel of this row.
    bool followRow(uint32_t row, uint32_t& l, uint32_t& r) {
        const int32_t c = firstClear(l, r, row);
        if (c < 0) return false;
        l = leftEnd(uint32_t(c), row);
        r = rightEnd(l, row);
        horizontalSpan(m_, uint8_t(row), uint8_t(l), uint8_t(r));
        return true;
    }

    void fill(uint32_t x, uint32_t y) {
        if (x >= uint32_t(kScreenWidth) || y >= uint32_t(kScreenHeight)) return;
        const uint32_t l0 = leftEnd(x, y);
        const uint32_t r0 = rightEnd(l0, y);
        horizontalSpan(m_, uint8_t(y), uint8_t(l0), uint8_t(r0));

        uint32_t l = l0, r = r0;
        for (uint32_t row = y; row-- > 0;)
            if (!followRow(row, l, r)) break;

        l = l0;
        r = r0;
        for (uint32_t row = y + 1; row < uint32_t(kScreenHeight); ++row)
            if (!followRow(row, l, r)) break;
    }

  private:
    Machine& m_;
};

}  // namespace

void sys_FillArea(Machine& m) {
    const uint8_t type = popByte(m);
    const uint8_t y = popByte(m);
    const uint8_t x = popByte(m);
    selectTarget(m, (type & 0x40) != 0);  // bit 6 set: LCD
    m.draw.mode = kModeSet;
    SpanFill(m).fill(x, y);
}

}  // namespace corvane
