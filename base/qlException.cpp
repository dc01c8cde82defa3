#include "qlException.h"

namespace {
std::string AssertText(const std::string& Msg, const char* File, int Line)
{
    std::string Name = File ? File : "?";
    const auto Slash = Name.find_last_of("/\\");
    if (Slash != std::string::npos)
        Name.erase(0, Slash + 1);
    return Msg + " (" + Name + ", line " + std::to_string(Line) + ")";
}
} // namespace

EListError::EListError(int Index)
    : Exception("List index out of bounds (" + std::to_string(Index) + ")")
{
}

EAssertionFailed::EAssertionFailed(const std::string& Msg, const char* File, int Line)
    : Exception(AssertText(Msg, File, Line)), FFile(File ? File : ""), FLine(Line)
{
}

void qlAssertFailed(const char* Expr, const char* File, int Line, const std::string& Msg)
{
    throw EAssertionFailed(Msg.empty() ? std::string("Assertion failed: ") + Expr : Msg, File, Line);
}
