// CString: the framework's small text class (8-bit ANSI). A thin wrapper over
// std::string with the operations the utility's code is written against.
#pragma once

#include <stddef.h>

#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : s_(text ? text : "") {}
    CString(const char* text, size_t length) : s_(text ? std::string(text, length) : "") {}
    CString(const std::string& text) : s_(text) {}

    const char* c_str() const { return s_.c_str(); }
    operator const char*() const { return s_.c_str(); }
    const std::string& str() const { return s_; }

    int GetLength() const { return static_cast<int>(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }
    char GetAt(int i) const { return s_[static_cast<size_t>(i)]; }

    CString& operator=(const char* text) {
        s_ = text ? text : "";
        return *this;
    }
    CString& operator+=(const char* text) {
        s_ += text ? text : "";
        return *this;
    }
    CString& operator+=(const CString& text) {
        s_ += text.s_;
        return *this;
    }
    CString& operator+=(char c) {
        s_ += c;
        return *this;
    }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.s_ + b.s_); }
    friend CString operator+(const CString& a, const char* b) { return a + CString(b); }
    friend CString operator+(const char* a, const CString& b) { return CString(a) + b; }
    friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
    friend bool operator==(const CString& a, const char* b) { return a.s_ == (b ? b : ""); }
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
    std::string s_;
};
