#include "CString.h"

#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

int CString::Find(const char* sub, int start) const {
    if (!sub || start < 0 || static_cast<size_t>(start) > s_.size())
        return -1;
    size_t at = s_.find(sub, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

CString CString::Mid(int first) const {
    if (first < 0)
        first = 0;
    if (static_cast<size_t>(first) >= s_.size())
        return CString();
    return CString(s_.substr(static_cast<size_t>(first)));
}

CString CString::Mid(int first, int count) const {
    if (first < 0)
        first = 0;
    if (count <= 0 || static_cast<size_t>(first) >= s_.size())
        return CString();
    return CString(s_.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Left(int count) const {
    return Mid(0, count);
}

void CString::MakeUpper() {
    for (char& c : s_)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
}

int CString::CompareNoCase(const char* other) const {
    const char* a = s_.c_str();
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
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) {
        s_.clear();
    } else {
        std::string out(static_cast<size_t>(n) + 1, '\0');
        vsnprintf(&out[0], out.size(), format, args);
        out.resize(static_cast<size_t>(n));
        s_.swap(out);
    }
    va_end(args);
}

char* CString::GetBuffer(int minLength) {
    if (minLength < 0)
        minLength = 0;
    if (s_.size() < static_cast<size_t>(minLength))
        s_.resize(static_cast<size_t>(minLength));
    return &s_[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0)
        newLength = static_cast<int>(strnlen(s_.c_str(), s_.size()));
    if (static_cast<size_t>(newLength) < s_.size())
        s_.resize(static_cast<size_t>(newLength));
}
