#include "DriverPath.h"

#include <string.h>

namespace {

// Appends to a zero-terminated text in a buffer of fixed size, and notes
// when something did not fit.
class TextWriter {
public:
    TextWriter(char* out, size_t size) : out_(out), size_(size) {}
    void Put(const char* text, size_t n) {
        if (!fits_ || n >= size_ - used_) {
            fits_ = false;
            return;
        }
        memcpy(out_ + used_, text, n);
        used_ += n;
        out_[used_] = '\0';
    }
    void Put(const char* text) { Put(text, strlen(text)); }
    bool Fits() const { return fits_; }

private:
    char* out_;
    size_t size_;
    size_t used_ = 0;
    bool fits_ = true;
};

} // namespace

bool ComposeDriverFilePath(const char* modulePath, const char* base, const char* ext,
                           const char* prefix, char* out, size_t outSize) {
    if (!out || outSize == 0)
        return false;
    out[0] = '\0';
    if (!modulePath || !base || !ext || !prefix)
        return false;

    // Drive and directory: up to and with the last separator after the
    // drive's colon; the drive alone when there is none.
    size_t length = strlen(modulePath);
    size_t driveEnd = length >= 2 && modulePath[1] == ':' ? 2 : 0;
    size_t dirEnd = driveEnd;
    for (size_t i = length; i > driveEnd; --i) {
        if (modulePath[i - 1] == '\\' || modulePath[i - 1] == '/') {
            dirEnd = i;
            break;
        }
    }

    TextWriter result(out, outSize);
    result.Put(prefix);
    result.Put(modulePath, dirEnd);
    result.Put(base);
    if (*ext != '\0' && *ext != '.')
        result.Put(".");
    result.Put(ext);
    if (!result.Fits()) {
        out[0] = '\0';
        return false;
    }
    return true;
}

size_t AdapterNameInputLength(const char* name) {
    if (!name)
        return 0;
    size_t n = 0;
    while (n < kMaxAdapterNameInput && name[n] != '\0')
        ++n;
    if (n >= kMaxAdapterNameInput)
        return 0;
    return n + 1;
}
