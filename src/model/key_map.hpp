// A hash map from address keys (addressKey: 48 bits) to small values, stored
// flat: open addressing with linear probing in a power-of-two table of key
// and value side by side, so that a lookup touches one cache line and an
// insertion allocates only when the table grows. Entries are never removed
// one by one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

template <typename Value> class KeyMap {
  public:
    // The value of `key`, or null.
    const Value* find(std::uint64_t key) const {
        if (size_ == 0) {
            return nullptr;
        }
        for (std::size_t slot = home(key);; slot = (slot + 1) & mask_) {
            if (slots_[slot].key == key) {
                return &slots_[slot].value;
            }
            if (slots_[slot].key == Empty) {
                return nullptr;
            }
        }
    }
    Value* find(std::uint64_t key) {
        return const_cast<Value*>(static_cast<const KeyMap&>(*this).find(key));
    }
    bool contains(std::uint64_t key) const { return find(key) != nullptr; }

    // The value of `key`, made as Value{} if there was none.
    Value& operator[](std::uint64_t key) { return slotOf(key, Value{}).value; }
    // Gives `key` the value unless it has one.
    void insert(std::uint64_t key, const Value& value) { slotOf(key, value); }

    std::size_t size() const { return size_; }
    // Room for `count` keys without growing.
    void reserve(std::size_t count) {
        std::size_t capacity = slots_.empty() ? 16 : slots_.size();
        while (count * 4 > capacity * 3) {
            capacity *= 2;
        }
        if (capacity != slots_.size()) {
            rehash(capacity);
        }
    }
    void clear() {
        for (Slot& slot : slots_) {
            slot.key = Empty;
        }
        size_ = 0;
    }

  private:
    // No address gives this key.
    static constexpr std::uint64_t Empty = ~std::uint64_t{0};
    struct Slot {
        std::uint64_t key = Empty;
        Value value{};
    };

    // The slot of `key`, made with `value` if there was none.
    Slot& slotOf(std::uint64_t key, const Value& value) {
        if ((size_ + 1) * 4 > slots_.size() * 3) {
            rehash(slots_.empty() ? 16 : slots_.size() * 2);
        }
        std::size_t slot = home(key);
        for (; slots_[slot].key != Empty; slot = (slot + 1) & mask_) {
            if (slots_[slot].key == key) {
                return slots_[slot];
            }
        }
        slots_[slot].key = key;
        slots_[slot].value = value;
        ++size_;
        return slots_[slot];
    }

    std::size_t home(std::uint64_t key) const {
        // Fibonacci hashing: the multiplication spreads nearby addresses.
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask_;
    }

    void rehash(std::size_t capacity) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(capacity, Slot{});
        mask_ = capacity - 1;
        size_ = 0;
        for (Slot& slot : old) {
            if (slot.key != Empty) {
                slotOf(slot.key, Value{}).value = std::move(slot.value);
            }
        }
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t size_ = 0;
};
