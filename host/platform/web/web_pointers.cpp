#include "host/platform/web/web_pointers.h"

#include <cstdlib>
#include <vector>

#include "host/skin.h"

namespace corvane {

using Type = PlatformEvent::Type;

bool WebPointers::primaryHeld() const {
    for (const auto& [id, p] : pointers_)
        if (p.role == Role::Primary || p.role == Role::Resting) return true;
    return false;
}

bool WebPointers::keyHeld(uint8_t vk) const {
    for (const auto& [id, p] : pointers_)
        if (p.vk == vk && (p.role == Role::ExtraKey || p.role == Role::Primary)) return true;
    return false;
}

void WebPointers::down(int id, Kind kind, int button, int x, int y, uint64_t nowNs) {
    if (pointers_.count(id)) cancel(id);
    Pointer p;
    p.startX = x;
    p.startY = y;
    p.startNs = nowNs;
    if (kind == Kind::Mouse) {
        if (button == 2) {
            p.role = Role::Secondary;
            sink_.event(Type::RightDown, x, y);
        } else if (button == 0) {
            p.role = Role::Primary;
            sink_.event(Type::LeftDown, x, y);
        } else {
            return;
        }
        pointers_[id] = p;
        return;
    }
    const std::optional<FaceKey> key = faceKeyAt(x, y);
    if (!primaryHeld()) {
        if (sink_.menuOpen() || key) {
            p.role = Role::Primary;
            // The key the host draws pressed for it (none while the menu takes the touch).
            if (key && !sink_.menuOpen()) p.vk = key->vk;
            sink_.event(Type::LeftDown, x, y);
        } else {
            p.role = Role::Resting;
        }
    } else if (key && key->vk != 0) {
        p.role = Role::ExtraKey;
        p.vk = key->vk;
        p.rect = key->rect;
        sink_.key(p.vk, true);
        if (sink_.draw) sink_.draw(p.rect, true);
    } else {
        p.role = Role::Spent;
    }
    pointers_[id] = p;
}

void WebPointers::move(int id, int x, int y) {
    auto it = pointers_.find(id);
    if (it == pointers_.end()) {
        // A mouse moving with no button held: the menu follows it.
        sink_.event(Type::PointerMove, x, y);
        return;
    }
    Pointer& p = it->second;
    if (p.role == Role::Primary) sink_.event(Type::PointerMove, x, y);
    if (p.role == Role::Resting &&
        (std::abs(x - p.startX) > kLongPressSlop || std::abs(y - p.startY) > kLongPressSlop))
        p.role = Role::Spent;
}

void WebPointers::up(int id, int x, int y) {
    auto it = pointers_.find(id);
    if (it == pointers_.end()) return;
    const Pointer p = it->second;
    pointers_.erase(it);
    if (p.role == Role::Primary) sink_.event(Type::LeftUp, x, y);
    if (p.role == Role::ExtraKey) {
        sink_.key(p.vk, false);
        // Another finger on the same key keeps it drawn pressed.
        if (sink_.draw && !keyHeld(p.vk)) sink_.draw(p.rect, false);
    }
}

void WebPointers::cancel(int id) {
    auto it = pointers_.find(id);
    if (it == pointers_.end()) return;
    up(id, it->second.startX, it->second.startY);
}

void WebPointers::tick(uint64_t nowNs) {
    for (auto& [id, p] : pointers_) {
        if (p.role == Role::Resting && nowNs - p.startNs >= kLongPressNs) {
            p.role = Role::Spent;
            sink_.event(Type::RightDown, p.startX, p.startY);
        }
    }
}

bool WebPointers::resting() const {
    for (const auto& [id, p] : pointers_)
        if (p.role == Role::Resting) return true;
    return false;
}

void WebPointers::releaseAll() {
    std::vector<int> ids;
    for (const auto& [id, p] : pointers_) ids.push_back(id);
    for (int id : ids) cancel(id);
}

}  // namespace corvane
