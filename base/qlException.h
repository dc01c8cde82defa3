// Exceptions shared by every part of Quillet, and the always-on assertion.
#pragma once

#include <stdexcept>
#include <string>

// The general exception: fixed message texts of the refactoring host and
// framework, settings errors and the like.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& Msg) : std::runtime_error(Msg) {}
};

// The run-time list-index error: "List index out of bounds (%d)".
class EListError : public Exception {
public:
    explicit EListError(int Index);
    explicit EListError(const std::string& Msg) : Exception(Msg) {}
};

// A failed internal consistency check. Carries the source file and line.
class EAssertionFailed : public Exception {
public:
    EAssertionFailed(const std::string& Msg, const char* File, int Line);
    const std::string& File() const { return FFile; }
    int Line() const { return FLine; }

private:
    std::string FFile;
    int FLine;
};

[[noreturn]] void qlAssertFailed(const char* Expr, const char* File, int Line,
                                 const std::string& Msg = std::string());

// QL_ASSERT(cond) or QL_ASSERT(cond, "message"): checked in every build type,
// throws EAssertionFailed naming the file and line.
#define QL_ASSERT(Cond, ...)                                                    \
    ((Cond) ? static_cast<void>(0)                                              \
            : qlAssertFailed(#Cond, __FILE__, __LINE__ __VA_OPT__(, ) __VA_ARGS__))
