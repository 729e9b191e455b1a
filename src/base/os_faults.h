// The platform files' side of the test hooks in os.h: each file operation asks
// here whether it may go on and reports what it did.
#pragma once
#include <cstdint>

namespace velmora::os::faults {

// How many of count bytes a write may move; fewer means it then fails.
int32_t WriteAllowance(int32_t count);
int32_t ReadAllowance(int32_t count);
void Wrote(int32_t count);
void Read(int32_t count);
bool TruncateFails();
bool FlushFails();
bool ReplaceFails();
bool CreateFails();
// The tick count a test fixed, or -1.
int64_t FrozenTick();

} // namespace velmora::os::faults
