#include "core/capture/HotkeyTable.h"

#include <utility>

namespace shopkeeper::capture {

namespace {

// |code| & 0xFF, without the overflow of negating the smallest int32.
std::int32_t keyOf(std::int32_t code)
{
    const auto bits = static_cast<std::uint32_t>(code);
    const std::uint32_t magnitude = code < 0 ? 0u - bits : bits;
    return static_cast<std::int32_t>(magnitude & 0xFFu);
}

std::int32_t heldModifiers(const KeySnapshot& keys)
{
    std::int32_t mask = 0;
    if (keys.isDown(kVkAlt))
        mask |= kModAlt;
    if (keys.isDown(kVkControl))
        mask |= kModCtrl;
    if (keys.isDown(kVkShift))
        mask |= kModShift;
    if (keys.isDown(kVkLeftWin))
        mask |= kModLeftWin;
    return mask;
}

std::int32_t idOfSlot(std::size_t index)
{
    return kHotkeyIdBase + static_cast<std::int32_t>(index + 1);
}

} // namespace

HotkeyTable::HotkeyTable(KeyStateSource& keys, TimerStarter startTimer)
    : keys_(keys), startTimer_(std::move(startTimer))
{
}

std::int32_t HotkeyTable::addHotkey(HotkeyHandler handler, std::int32_t keyCode, std::int32_t modifiers,
                                    std::int32_t secondKey, std::int32_t periodMs, std::int32_t mode)
{
    if (keyOf(keyCode) == 0)
        return 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        auto& record = records_[i];
        if (record.keyCode == keyCode && record.modifiers == modifiers && record.secondKey == secondKey) {
            record.handler = std::move(handler);
            record.mode = mode;
            if (record.id == 0)
                record.id = idOfSlot(i);
            return record.id;
        }
    }
    HotkeyRecord record;
    record.id = idOfSlot(records_.size());
    record.handler = std::move(handler);
    record.keyCode = keyCode;
    record.modifiers = modifiers;
    record.secondKey = secondKey;
    record.mode = mode;
    records_.push_back(std::move(record));
    const std::int32_t id = records_.back().id;
    if (id == kHotkeyIdBase + 1) {
        timerPeriodMs_ = periodMs > 0 ? periodMs : kDefaultPollPeriodMs;
        if (startTimer_)
            startTimer_(timerPeriodMs_);
    }
    return id;
}

bool HotkeyTable::removeHotkey(std::int32_t id)
{
    if (id == 0) {
        for (auto& record : records_)
            record.id = 0;
        return true;
    }
    for (auto& record : records_) {
        if (record.id == id) {
            record.id = 0;
            return true;
        }
    }
    return false;
}

void HotkeyTable::pollHotkeys()
{
    keys_.query(snapshot_);
    // By index, and with the handler copied: a handler may add or remove hot keys.
    for (std::size_t i = 0; i < records_.size(); ++i) {
        auto& record = records_[i];
        if (record.id == 0)
            continue;
        const std::int32_t key = keyOf(record.keyCode);
        const bool down = snapshot_.isDown(key);
        const bool pressed = snapshot_.wasPressed(key);
        if (!down && !pressed) {
            if (record.state != HotkeyRecord::SeenDown) {
                record.state = HotkeyRecord::Idle;
                continue;
            }
            record.state = HotkeyRecord::ReleasedAfterDown;
        } else if (down) {
            if (record.state == HotkeyRecord::Idle)
                record.state = HotkeyRecord::SeenDown;
            if (record.keyCode < 0)
                continue; // release mode waits for the key to go up
        }
        if (record.state == HotkeyRecord::Idle || record.state == HotkeyRecord::Fired)
            continue;
        // From here on the press is used up: it fires again only after the key went up.
        record.state = HotkeyRecord::Fired;
        if (heldModifiers(snapshot_) != record.modifiers)
            continue;
        if (record.secondKey != 0 && !snapshot_.isDown(keyOf(record.secondKey)))
            continue;
        const std::int32_t id = record.id;
        const HotkeyHandler handler = record.handler;
        if (handler)
            handler(id);
    }
}

} // namespace shopkeeper::capture
