// CGdiObject: owns one GDI object (pen, font, bitmap, brush) and deletes it
// when replaced or destroyed. Objects are created once and kept, never per
// paint; the owner must have deselected it from every DC before it goes.
#pragma once

#include <windows.h>

class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(HGDIOBJ object) : object_(object) {}
    ~CGdiObject() { Reset(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    // Deletes the object held and takes `object` (may be null).
    void Reset(HGDIOBJ object = nullptr) {
        if (object_)
            ::DeleteObject(object_);
        object_ = object;
    }
    HGDIOBJ Get() const { return object_; }

private:
    HGDIOBJ object_ = nullptr;
};
