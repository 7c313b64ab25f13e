// A hash map from 64-bit keys (addressKey) to small values, stored flat:
// open addressing with linear probing in a power-of-two table, so that a
// lookup touches one or two cache lines and an insertion allocates only
// when the table grows. Entries are never removed one by one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

template <typename Value> class KeyMap {
  public:
    // The value of `key`, or null.
    const Value* find(std::uint64_t key) const {
        if (size_ == 0) {
            return nullptr;
        }
        for (std::size_t slot = home(key);; slot = (slot + 1) & mask_) {
            if (!used_[slot]) {
                return nullptr;
            }
            if (keys_[slot] == key) {
                return &values_[slot];
            }
        }
    }
    Value* find(std::uint64_t key) {
        return const_cast<Value*>(static_cast<const KeyMap&>(*this).find(key));
    }
    bool contains(std::uint64_t key) const { return find(key) != nullptr; }

    // The value of `key`, made as Value{} if there was none.
    Value& operator[](std::uint64_t key) { return values_[slotOf(key, Value{})]; }
    // Gives `key` the value unless it has one.
    void insert(std::uint64_t key, const Value& value) { slotOf(key, value); }

    std::size_t size() const { return size_; }
    // Room for `count` keys without growing.
    void reserve(std::size_t count) {
        while (count * 4 > keys_.size() * 3) {
            grow();
        }
    }
    void clear() {
        used_.assign(used_.size(), 0);
        size_ = 0;
    }

  private:
    // The slot of `key`, made with `value` if there was none.
    std::size_t slotOf(std::uint64_t key, const Value& value) {
        if ((size_ + 1) * 4 > keys_.size() * 3) {
            grow();
        }
        std::size_t slot = home(key);
        for (; used_[slot]; slot = (slot + 1) & mask_) {
            if (keys_[slot] == key) {
                return slot;
            }
        }
        used_[slot] = 1;
        keys_[slot] = key;
        values_[slot] = value;
        ++size_;
        return slot;
    }

    std::size_t home(std::uint64_t key) const {
        // Fibonacci hashing: the multiplication spreads nearby addresses.
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask_;
    }

    void grow() {
        std::vector<std::uint8_t> used = std::move(used_);
        std::vector<std::uint64_t> keys = std::move(keys_);
        std::vector<Value> values = std::move(values_);
        const std::size_t capacity = keys.empty() ? 16 : keys.size() * 2;
        used_.assign(capacity, 0);
        keys_.assign(capacity, 0);
        values_.assign(capacity, Value{});
        mask_ = capacity - 1;
        size_ = 0;
        for (std::size_t slot = 0; slot < keys.size(); ++slot) {
            if (used[slot]) {
                values_[slotOf(keys[slot], Value{})] = std::move(values[slot]);
            }
        }
    }

    std::vector<std::uint8_t> used_;
    std::vector<std::uint64_t> keys_;
    std::vector<Value> values_;
    std::size_t mask_ = 0;
    std::size_t size_ = 0;
};
