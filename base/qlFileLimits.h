// What the programs agree to read as a file: regular files only (a FIFO
// blocks, a device may never end) and only up to a size.
#pragma once

#include <string>
#include <sys/types.h>

// Source files (units, include files, form files) larger than this are not read.
constexpr long long qlMaxSourceFileSize = 64LL << 20;

enum class TqlFileProblem {
    None,       // read (or readable)
    Missing,    // no such file
    NotRegular, // a folder, FIFO, device or socket
    TooLarge,   // over the size limit
    Unreadable, // the system refused to open or read it
};

// "a FIFO", "a folder", "a character device", ... for a file mode.
std::string qlFileKindName(mode_t Mode);

// Why a file of that mode cannot be read as a file ("" for a regular file).
std::string qlNotRegularReason(mode_t Mode);

// Reads the whole file FileName into Text when it is a regular file of at
// most MaxSize bytes. Otherwise says what is wrong, with Why in words ("it is
// a FIFO, not a regular file", "it is larger than 64 MiB", or the system's
// reason such as "Permission denied"). Never blocks on a FIFO.
TqlFileProblem qlReadLimitedFile(const std::string& FileName, long long MaxSize, std::string& Text,
                                 std::string& Why);

// The same checks without reading the content (the file is not opened).
TqlFileProblem qlCheckLimitedFile(const std::string& FileName, long long MaxSize, std::string& Why);

// Writes all Size bytes at Data to Fd, through interruptions; false with
// errno set when a write fails or makes no progress.
bool qlWriteAll(int Fd, const char* Data, size_t Size);
