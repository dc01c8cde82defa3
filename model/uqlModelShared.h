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

} // namespace
