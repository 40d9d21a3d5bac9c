// What this process holds of the system: kernel handles, GDI objects, USER
// objects and private bytes, for the endurance tests. Each figure comes from
// the system's own counter, looked up at run time (not every supported system
// has it); where the counter exists but is not implemented (Wine answers 0),
// from a count of our own, and the figure says which.
#pragma once

#include <stdint.h>

#include <string>

struct ResourceFigure {
    int64_t value = -1;      // -1: not available
    const char* source = ""; // where the figure came from
};

struct ProcessResources {
    ResourceFigure handles;
    ResourceFigure gdiObjects;
    ResourceFigure userObjects;
    ResourceFigure privateBytes;
};

ProcessResources MeasureProcessResources();

// "handles 123 (GetProcessHandleCount), gdi ..." on one line.
std::string DescribeResources(const ProcessResources& r);
