#include "CString.h"

#include <ctype.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

// Formats into `out` (`size` bytes): the length of the text when it fits.
// On Windows this is the C runtime's own formatter (msvcrt.dll's, on every
// supported system): mingw-w64's C99 one would link some 27 KB of its own
// into each binary, and the conversions the utility formats (d, i, u, x, X
// and s, with flags, width, precision and the l modifier) read the same to
// both.
int FormatInto(char* out, size_t size, const char* format, va_list args) {
#ifdef _WIN32
    return _vsnprintf(out, size, format, args);
#else
    return vsnprintf(out, size, format, args);
#endif
}

bool Fits(int n, size_t size) {
    return n >= 0 && static_cast<size_t>(n) < size;
}

// The size to try after `size` bytes did not hold the text, from the
// formatter's answer `n`; 0 when the formatting failed.
size_t NextSize(int n, size_t size) {
    if (n >= 0)
        return static_cast<size_t>(n) + 1; // the length needed (msvcrt: when it just fit, no NUL)
#ifdef _WIN32
    return size * 2; // msvcrt answers -1 for a text that does not fit, without its length
#else
    (void)size;
    return 0;
#endif
}

} // namespace

CString::CString(const char* text) {
    if (text)
        Assign(text, strlen(text));
}

CString::CString(const char* text, size_t length) {
    if (text)
        Assign(text, length);
}

CString::CString(const CString& other) {
    Assign(other.data_, other.length_);
}

CString::CString(CString&& other) noexcept
    : data_(other.data_), length_(other.length_), capacity_(other.capacity_) {
    other.data_ = nullptr;
    other.length_ = other.capacity_ = 0;
}

CString::~CString() {
    delete[] data_;
}

CString& CString::operator=(const CString& other) {
    if (this != &other)
        Assign(other.data_, other.length_);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        delete[] data_;
        data_ = other.data_;
        length_ = other.length_;
        capacity_ = other.capacity_;
        other.data_ = nullptr;
        other.length_ = other.capacity_ = 0;
    }
    return *this;
}

void CString::Reserve(size_t length) {
    if (data_ && length <= capacity_)
        return;
    size_t capacity = capacity_ * 2 > length ? capacity_ * 2 : length;
    char* grown = new char[capacity + 1];
    if (length_)
        memcpy(grown, data_, length_);
    grown[length_] = '\0';
    delete[] data_;
    data_ = grown;
    capacity_ = capacity;
}

void CString::Assign(const char* text, size_t length) {
    if (length == 0) {
        Empty();
        return;
    }
    if (length > capacity_ || !data_) {
        // A new buffer first: `text` may lie in the old one.
        char* fresh = new char[length + 1];
        memcpy(fresh, text, length);
        delete[] data_;
        data_ = fresh;
        capacity_ = length;
    } else {
        memmove(data_, text, length);
    }
    length_ = length;
    data_[length_] = '\0';
}

void CString::Append(const char* text, size_t length) {
    if (length == 0)
        return;
    if (length_ + length > capacity_ || !data_) {
        // `text` may lie in the old buffer: copy it before that is freed.
        size_t need = length_ + length;
        size_t capacity = capacity_ * 2 > need ? capacity_ * 2 : need;
        char* grown = new char[capacity + 1];
        if (length_)
            memcpy(grown, data_, length_);
        memcpy(grown + length_, text, length);
        delete[] data_;
        data_ = grown;
        capacity_ = capacity;
    } else {
        memmove(data_ + length_, text, length);
    }
    length_ += length;
    data_[length_] = '\0';
}

void CString::Empty() {
    length_ = 0;
    if (data_)
        data_[0] = '\0';
}

CString& CString::operator=(const char* text) {
    if (text)
        Assign(text, strlen(text));
    else
        Empty();
    return *this;
}

CString& CString::operator+=(const char* text) {
    if (text)
        Append(text, strlen(text));
    return *this;
}

CString& CString::operator+=(const CString& text) {
    Append(text.data_, text.length_);
    return *this;
}

CString& CString::operator+=(char c) {
    Append(&c, 1);
    return *this;
}

CString operator+(const CString& a, const CString& b) {
    CString sum;
    sum.Reserve(a.length_ + b.length_);
    sum.Append(a.data_, a.length_);
    sum.Append(b.data_, b.length_);
    return sum;
}

bool operator==(const CString& a, const CString& b) {
    return a.length_ == b.length_ && (a.length_ == 0 || memcmp(a.data_, b.data_, a.length_) == 0);
}

bool operator==(const CString& a, const char* b) {
    if (!b)
        b = "";
    size_t n = strlen(b);
    return a.length_ == n && (n == 0 || memcmp(a.data_, b, n) == 0);
}

int CString::Find(const char* sub, int start) const {
    if (!sub || start < 0 || static_cast<size_t>(start) > length_)
        return -1;
    size_t n = strlen(sub);
    const char* text = c_str();
    for (size_t at = static_cast<size_t>(start); at + n <= length_; ++at) {
        if (memcmp(text + at, sub, n) == 0)
            return static_cast<int>(at);
    }
    return -1;
}

CString CString::Mid(int first) const {
    if (first < 0)
        first = 0;
    if (static_cast<size_t>(first) >= length_)
        return CString();
    return CString(data_ + first, length_ - static_cast<size_t>(first));
}

CString CString::Mid(int first, int count) const {
    if (first < 0)
        first = 0;
    if (count <= 0 || static_cast<size_t>(first) >= length_)
        return CString();
    size_t rest = length_ - static_cast<size_t>(first);
    size_t n = static_cast<size_t>(count) < rest ? static_cast<size_t>(count) : rest;
    return CString(data_ + first, n);
}

CString CString::Left(int count) const {
    return Mid(0, count);
}

void CString::MakeUpper() {
    for (size_t i = 0; i < length_; ++i)
        data_[i] = static_cast<char>(toupper(static_cast<unsigned char>(data_[i])));
}

int CString::CompareNoCase(const char* other) const {
    const char* a = c_str();
    const char* b = other ? other : "";
    for (;; ++a, ++b) {
        int ca = tolower(static_cast<unsigned char>(*a));
        int cb = tolower(static_cast<unsigned char>(*b));
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    // Formatted apart from the buffer, which an argument may point into.
    char local[256];
    va_list copy;
    va_copy(copy, args);
    int n = FormatInto(local, sizeof local, format, copy);
    va_end(copy);
    if (Fits(n, sizeof local)) {
        Assign(local, static_cast<size_t>(n));
    } else {
        for (size_t size = NextSize(n, sizeof local);; size = NextSize(n, size)) {
            if (size == 0 || size > INT_MAX) {
                Empty();
                break;
            }
            char* out = new char[size];
            va_copy(copy, args);
            n = FormatInto(out, size, format, copy);
            va_end(copy);
            if (Fits(n, size)) {
                delete[] data_;
                data_ = out;
                length_ = static_cast<size_t>(n);
                capacity_ = size - 1;
                break;
            }
            delete[] out;
        }
    }
    va_end(args);
}

char* CString::GetBuffer(int minLength) {
    size_t n = minLength > 0 ? static_cast<size_t>(minLength) : 0;
    Reserve(n > length_ ? n : length_);
    if (n > length_) {
        memset(data_ + length_, 0, n - length_ + 1);
        length_ = n;
    }
    return data_;
}

void CString::ReleaseBuffer(int newLength) {
    if (!data_)
        return;
    if (newLength < 0)
        newLength = static_cast<int>(strnlen(data_, length_));
    if (static_cast<size_t>(newLength) < length_) {
        length_ = static_cast<size_t>(newLength);
        data_[length_] = '\0';
    }
}
