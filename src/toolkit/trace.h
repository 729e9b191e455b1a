// Where start-up time goes: with VELMORA_TRACE naming a file, the program notes
// marks (milliseconds since its process was made) and, until its first idle
// moment, the time spent making and painting windows of each class; the file is
// written when the program ends. Without the variable each call is one test.
#pragma once
#include <windows.h>

namespace tk {

bool TraceOn();
void TraceMark(const char* what);
// The message loop found nothing to do for the first time: the sums stop.
void TraceFirstIdle();

// Times one making or painting of a window and adds it to its class's sum.
class TTraceWindowWork {
public:
    TTraceWindowWork(const char* className, UINT msg);
    TTraceWindowWork(HWND window, UINT msg);
    ~TTraceWindowWork();
    TTraceWindowWork(const TTraceWindowWork&) = delete;
    TTraceWindowWork& operator=(const TTraceWindowWork&) = delete;

private:
    void Start(const char* className, UINT msg);
    bool on_ = false;
    char key_[80] = {};
    LARGE_INTEGER start_{};
};

} // namespace tk
