#include "toolkit/trace.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace tk {

namespace {

constexpr double kSlowMs = 4.0;

struct Sum {
    double ms = 0;
    int count = 0;
};

struct Trace {
    std::string file;
    LARGE_INTEGER frequency{};
    LARGE_INTEGER origin{}; // the process's making, on the performance counter's scale
    std::vector<std::pair<double, std::string>> marks;
    std::map<std::string, Sum> sums;
    bool idle = false;

    Trace() {
        char path[MAX_PATH] = {};
        if (!GetEnvironmentVariableA("VELMORA_TRACE", path, MAX_PATH) || !path[0]) return;
        file = path;
        QueryPerformanceFrequency(&frequency);
        // The counter has no date: place the process's making on it through
        // the wall clock, read once beside the counter.
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        FILETIME wall, created, exited, kernel, user;
        GetSystemTimeAsFileTime(&wall);
        origin = now;
        if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
            ULARGE_INTEGER w{{wall.dwLowDateTime, wall.dwHighDateTime}};
            ULARGE_INTEGER c{{created.dwLowDateTime, created.dwHighDateTime}};
            if (w.QuadPart > c.QuadPart) {
                const double seconds = static_cast<double>(w.QuadPart - c.QuadPart) / 1e7;
                origin.QuadPart -= static_cast<LONGLONG>(seconds * static_cast<double>(frequency.QuadPart));
            }
        }
    }

    ~Trace() {
        if (file.empty()) return;
        FILE* out = std::fopen(file.c_str(), "w");
        if (!out) return;
        for (const auto& [ms, what] : marks)
            std::fprintf(out, "%9.1f ms  %s\n", ms, what.c_str());
        std::fprintf(out, "until the first idle moment, summed by window class:\n");
        for (const auto& [key, sum] : sums)
            std::fprintf(out, "%9.1f ms  %s (%d)\n", sum.ms, key.c_str(), sum.count);
        std::fclose(out);
    }

    double Ms(const LARGE_INTEGER& at) const {
        return static_cast<double>(at.QuadPart - origin.QuadPart) * 1000.0 /
               static_cast<double>(frequency.QuadPart);
    }
};

Trace& TheTrace() {
    static Trace trace;
    return trace;
}

const char* MessageName(UINT msg) {
    switch (msg) {
    case WM_CREATE: return "made";
    case WM_PAINT: return "paint";
    case WM_NCPAINT: return "frame";
    case WM_ERASEBKGND: return "background";
    default: return nullptr;
    }
}

} // namespace

bool TraceOn() {
    return !TheTrace().file.empty();
}

void TraceMark(const char* what) {
    Trace& trace = TheTrace();
    if (trace.file.empty()) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    trace.marks.emplace_back(trace.Ms(now), what);
}

void TraceFirstIdle() {
    Trace& trace = TheTrace();
    if (trace.file.empty() || trace.idle) return;
    TraceMark("first idle moment");
    trace.idle = true;
}

TTraceWindowWork::TTraceWindowWork(const char* className, UINT msg) {
    Start(className, msg);
}

TTraceWindowWork::TTraceWindowWork(HWND window, UINT msg) {
    // Making is timed around CreateWindowEx, which holds WM_CREATE.
    if (msg == WM_CREATE || !TraceOn() || TheTrace().idle || !MessageName(msg)) return;
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    Start(name, msg);
}

void TTraceWindowWork::Start(const char* className, UINT msg) {
    const char* what = MessageName(msg);
    if (!what || !TraceOn() || TheTrace().idle) return;
    on_ = true;
    std::snprintf(key_, sizeof key_, "%s %s", what, className ? className : "?");
    QueryPerformanceCounter(&start_);
}

TTraceWindowWork::~TTraceWindowWork() {
    if (!on_) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    Trace& trace = TheTrace();
    Sum& sum = trace.sums[key_];
    const double ms = static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
                      static_cast<double>(trace.frequency.QuadPart);
    sum.ms += ms;
    ++sum.count;
    // A single slow one is worth its own line.
    if (ms >= kSlowMs) {
        char line[120];
        std::snprintf(line, sizeof line, "  %s took %.1f ms", key_, ms);
        trace.marks.emplace_back(trace.Ms(now), line);
    }
}

} // namespace tk
