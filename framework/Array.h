// Array<T>: the framework's growable array, for the few lists the utility
// keeps (a sheet's pages, icons, profiles, scan results, byte buffers). The
// C++ library's vector reports an impossible length by throwing, which
// links the library's exception support into every binary; this one ends
// the program instead, as a failed allocation does.
#pragma once

#include <stddef.h>
#include <stdlib.h>

#include <new>
#include <utility>

template <typename T> class Array {
public:
    Array() = default;
    // `count` copies of `value`.
    explicit Array(size_t count, const T& value = T()) { resize(count, value); }
    Array(const Array& other) {
        reserve(other.size_);
        for (const T& item : other)
            push_back(item);
    }
    Array(Array&& other) noexcept
        : items_(other.items_), size_(other.size_), capacity_(other.capacity_) {
        other.items_ = nullptr;
        other.size_ = other.capacity_ = 0;
    }
    ~Array() {
        clear();
        ::operator delete(items_);
    }
    Array& operator=(Array other) noexcept {
        std::swap(items_, other.items_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
        return *this;
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T* data() { return items_; }
    const T* data() const { return items_; }
    T& operator[](size_t i) { return items_[i]; }
    const T& operator[](size_t i) const { return items_[i]; }
    T& back() { return items_[size_ - 1]; }
    T* begin() { return items_; }
    T* end() { return items_ + size_; }
    const T* begin() const { return items_; }
    const T* end() const { return items_ + size_; }

    void reserve(size_t capacity) {
        if (capacity > capacity_)
            Adopt(Allocate(capacity), capacity);
    }
    void push_back(const T& item) { Append(item); }
    void push_back(T&& item) { Append(std::move(item)); }
    void resize(size_t count, const T& value = T()) {
        while (size_ > count)
            items_[--size_].~T();
        if (count > size_) {
            const T fill(value); // `value` may be one of the items, which move
            reserve(count);
            while (size_ < count)
                Append(fill);
        }
    }
    void clear() {
        while (size_ > 0)
            items_[--size_].~T();
    }

private:
    static T* Allocate(size_t capacity) {
        if (capacity > static_cast<size_t>(-1) / sizeof(T))
            abort();
        return static_cast<T*>(::operator new(capacity * sizeof(T)));
    }

    // Moves the items into `fresh` (room for `capacity`) and frees the old buffer.
    void Adopt(T* fresh, size_t capacity) {
        for (size_t i = 0; i < size_; ++i) {
            new (fresh + i) T(std::move(items_[i]));
            items_[i].~T();
        }
        ::operator delete(items_);
        items_ = fresh;
        capacity_ = capacity;
    }

    template <typename U> void Append(U&& item) {
        if (size_ < capacity_) {
            new (items_ + size_) T(std::forward<U>(item));
        } else {
            // The new item is made before the old ones move: it may be one of them.
            size_t capacity = capacity_ ? capacity_ * 2 : 4;
            T* fresh = Allocate(capacity);
            new (fresh + size_) T(std::forward<U>(item));
            Adopt(fresh, capacity);
        }
        ++size_;
    }

    T* items_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
