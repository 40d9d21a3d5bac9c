// CString: the framework's small text class (8-bit ANSI), with the
// operations the utility's code is written against. It keeps its own heap
// buffer: the C++ library's string class would link its compiled members,
// and the exception support they need, into every binary.
#pragma once

#include <stddef.h>

class CString {
public:
    CString() = default;
    CString(const char* text);
    // `length` bytes of `text`, NULs included.
    CString(const char* text, size_t length);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();
    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;

    const char* c_str() const { return data_ ? data_ : ""; }
    operator const char*() const { return c_str(); }

    int GetLength() const { return static_cast<int>(length_); }
    bool IsEmpty() const { return length_ == 0; }
    void Empty();
    char GetAt(int i) const { return c_str()[i]; }

    CString& operator=(const char* text);
    CString& operator+=(const char* text);
    CString& operator+=(const CString& text);
    CString& operator+=(char c);
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b) { return a + CString(b); }
    friend CString operator+(const char* a, const CString& b) { return CString(a) + b; }
    friend bool operator==(const CString& a, const CString& b);
    friend bool operator==(const CString& a, const char* b);
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

    // Position of the first occurrence of `sub` at or after `start`, -1 if none.
    int Find(const char* sub, int start = 0) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    void MakeUpper();
    // Case-insensitive (ASCII letters) comparison: <0, 0, >0.
    int CompareNoCase(const char* other) const;

    // printf-style formatting; the result may be of any length.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // A writable buffer of at least minLength characters plus a terminating
    // zero; ReleaseBuffer takes the text up to newLength or to the first NUL.
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    // Room for `length` characters and the terminating zero, keeping the text.
    void Reserve(size_t length);
    void Assign(const char* text, size_t length);
    void Append(const char* text, size_t length);

    char* data_ = nullptr; // null while nothing was ever stored
    size_t length_ = 0;
    size_t capacity_ = 0; // characters, not counting the terminating zero
};
