#include "host/reverse_history.h"

#include <algorithm>

#include "host/rewind.h"

namespace corvane {

void CheckpointStore::add(Checkpoint checkpoint, const std::vector<uint8_t>& state) {
    Entry e;
    e.checkpoint = std::move(checkpoint);
    const size_t index = entries_.size();
    const size_t key = index == 0 ? 0 : entries_.back().key;
    // A new key every keyEvery_ checkpoints, and whenever the state's size changed (a file
    // opened or closed): a difference needs two states of one size.
    if (index == 0 || index - key >= keyEvery_ || entries_[key].data.size() != state.size()) {
        e.key = index;
        e.data = state;
    } else {
        e.key = key;
        e.data = byteDifference(entries_[key].data, state);
    }
    bytes_ += e.data.size();
    entries_.push_back(std::move(e));
}

long CheckpointStore::atOrBefore(uint64_t instructions) const {
    auto it =
        std::upper_bound(entries_.begin(), entries_.end(), instructions,
                         [](uint64_t n, const Entry& e) { return n < e.checkpoint.instructions; });
    return long(it - entries_.begin()) - 1;
}

bool CheckpointStore::state(size_t index, std::vector<uint8_t>& out) const {
    if (index >= entries_.size()) return false;
    const Entry& e = entries_[index];
    out = entries_[e.key].data;
    if (e.key == index) return true;
    return applyDifference(out, e.data);
}

void CheckpointStore::dropAfter(uint64_t instructions) {
    while (!entries_.empty() && entries_.back().checkpoint.instructions > instructions) {
        bytes_ -= entries_.back().data.size();
        entries_.pop_back();
    }
}

void CheckpointStore::clear() {
    entries_.clear();
    bytes_ = 0;
}

}  // namespace corvane
