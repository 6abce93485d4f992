// The rewind history and the byte differences it keeps.

#include "host/rewind.h"

#include <cstring>
#include <utility>

namespace corvane {

namespace {

void putNumber(std::vector<uint8_t>& out, size_t v) {
    while (v >= 0x80) {
        out.push_back(uint8_t(v | 0x80));
        v >>= 7;
    }
    out.push_back(uint8_t(v));
}

bool getNumber(const std::vector<uint8_t>& in, size_t& pos, size_t& v) {
    v = 0;
    for (unsigned shift = 0; pos < in.size() && shift < 64; shift += 7) {
        const uint8_t b = in[pos++];
        v |= size_t(b & 0x7F) << shift;
        if (!(b & 0x80)) return true;
    }
    return false;
}

}  // namespace

std::vector<uint8_t> byteDifference(const std::vector<uint8_t>& base,
                                    const std::vector<uint8_t>& other) {
    std::vector<uint8_t> out;
    const size_t n = base.size();
    size_t i = 0;
    while (i < n) {
        const size_t same = i;
        // Most of a state is unchanged from the last: skipped a word at a time (a state is
        // taken every few frames, even in the runner, so this is part of every run's cost).
        while (n - i >= 64 && std::memcmp(&base[i], &other[i], 64) == 0) i += 64;
        while (n - i >= 8 && std::memcmp(&base[i], &other[i], 8) == 0) i += 8;
        while (i < n && base[i] == other[i]) ++i;
        if (i == n) break;  // an unchanged tail needs no entry
        const size_t changed = i;
        // A changed run ends at the first few unchanged bytes in a row: shorter gaps cost less
        // inside the run than as a new entry.
        size_t end = i;
        while (end < n) {
            size_t gap = end;
            while (gap < n && gap - end < 4 && base[gap] == other[gap]) ++gap;
            if (gap - end >= 4 || gap == n) break;
            end = gap + 1;
        }
        putNumber(out, changed - same);
        putNumber(out, end - changed);
        for (size_t k = changed; k < end; ++k) out.push_back(uint8_t(base[k] ^ other[k]));
        i = end;
    }
    return out;
}

bool applyDifference(std::vector<uint8_t>& base, const std::vector<uint8_t>& difference) {
    size_t pos = 0, at = 0;
    while (pos < difference.size()) {
        size_t same = 0, changed = 0;
        if (!getNumber(difference, pos, same) || !getNumber(difference, pos, changed)) return false;
        if (same > base.size() - at || changed > base.size() - at - same ||
            changed > difference.size() - pos)
            return false;
        at += same;
        for (size_t k = 0; k < changed; ++k) base[at++] ^= difference[pos++];
    }
    return true;
}

void RewindRing::setLimits(RewindLimits limits) {
    limits_ = limits;
    trim();
}

void RewindRing::push(std::vector<uint8_t> state) {
    if (limits_.states == 0) return;
    bytes_ -= newest_.size();
    if (!newest_.empty()) {
        Older older;
        if (newest_.size() == state.size()) {
            older.data = byteDifference(state, newest_);
        } else {
            older.whole = true;
            older.data = std::move(newest_);
        }
        bytes_ += older.data.size();
        older_.push_back(std::move(older));
    }
    newest_ = std::move(state);
    bytes_ += newest_.size();
    trim();
}

bool RewindRing::pop(std::vector<uint8_t>& state) {
    if (newest_.empty()) return false;
    state = newest_;
    bytes_ -= newest_.size();
    if (older_.empty()) {
        newest_.clear();
        return true;
    }
    Older& older = older_.back();
    bytes_ -= older.data.size();
    if (older.whole) {
        newest_ = std::move(older.data);
    } else if (!applyDifference(newest_, older.data)) {
        // Never happens with differences made here; an unreadable one ends the history.
        older_.clear();
        newest_.clear();
        bytes_ = 0;
        return true;
    }
    older_.pop_back();
    bytes_ += newest_.size();
    return true;
}

void RewindRing::clear() {
    newest_.clear();
    older_.clear();
    bytes_ = 0;
}

void RewindRing::trim() {
    if (limits_.states == 0) {
        clear();
        return;
    }
    while (!older_.empty() && (count() > limits_.states || bytes_ > limits_.maxBytes)) {
        bytes_ -= older_.front().data.size();
        older_.pop_front();
    }
}

}  // namespace corvane
