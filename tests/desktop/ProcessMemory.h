// The resident memory of this process, from /proc/self.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

// A "Key:  N kB" line of /proc/self/status, in KiB; -1 when missing.
inline long qlStatusKb(const char* Key)
{
    std::ifstream In("/proc/self/status");
    std::string Line;
    const std::string Prefix = std::string(Key) + ":";
    while (std::getline(In, Line))
        if (Line.compare(0, Prefix.size(), Prefix) == 0)
            return std::stol(Line.substr(Prefix.size()));
    return -1;
}

// The resident memory now and its peak since the last reset.
inline long qlResidentKb() { return qlStatusKb("VmRSS"); }
inline long qlPeakResidentKb() { return qlStatusKb("VmHWM"); }

// Starts the peak again from what is resident now; false where the kernel
// does not allow it.
inline bool qlResetPeakResident()
{
    std::ofstream Out("/proc/self/clear_refs");
    Out << "5";
    Out.flush();
    return bool(Out);
}

// Under the address sanitizer freed memory stays resident for a while, so
// memory bounds measure the sanitizer rather than the code.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool qlMemoryMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool qlMemoryMeasurable = false;
#else
inline constexpr bool qlMemoryMeasurable = true;
#endif
#else
inline constexpr bool qlMemoryMeasurable = true;
#endif
