// Helpers that several sources of the code model share (not for use outside
// model/).
#pragma once

#include "model/uqlClasses.h"

#include "lexer/lxPasLexTypes.h"

#include <string>

namespace {
inline TqlFileNameList* ProjectFiles()
{
    return gqlProject ? gqlProject->GetFileNames() : nullptr;
}

inline TqlUnitList* ProjectUnits()
{
    return gqlProject ? gqlProject->GetUnits() : nullptr;
}

inline bool SameTextAnsi(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    for (size_t i = 0; i < A.size(); ++i)
        if (lxUpper(A[i]) != lxUpper(B[i]))
            return false;
    return true;
}
} // namespace
