#include "model/uqlClasses.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

// ---------------------------------------------------------------------------
// Variant
// ---------------------------------------------------------------------------

namespace {
const char* KindName(Variant::Kind K)
{
    switch (K) {
    case Variant::Kind::Empty: return "Empty";
    case Variant::Kind::Boolean: return "Boolean";
    case Variant::Kind::Integer: return "Int64";
    case Variant::Kind::Double: return "Double";
    case Variant::Kind::String: return "String";
    }
    return "?";
}

[[noreturn]] void ConvertError(Variant::Kind From, const char* To)
{
    throw Exception(std::string("Could not convert variant of type (") + KindName(From) +
                    ") into type (" + To + ")");
}

std::string Trimmed(const std::string& S)
{
    size_t B = 0, E = S.size();
    while (B < E && (S[B] == ' ' || S[B] == '\t'))
        ++B;
    while (E > B && (S[E - 1] == ' ' || S[E - 1] == '\t'))
        --E;
    return S.substr(B, E - B);
}

bool SameText(const std::string& A, const char* B)
{
    const size_t N = std::strlen(B);
    if (A.size() != N)
        return false;
    for (size_t i = 0; i < N; ++i) {
        char C = A[i];
        if (C >= 'a' && C <= 'z')
            C = char(C - 32);
        char D = B[i];
        if (D >= 'a' && D <= 'z')
            D = char(D - 32);
        if (C != D)
            return false;
    }
    return true;
}

// The whole of Text (blanks around it aside, a leading '+' allowed) as a number.
template <typename T>
bool ParseNumber(const std::string& Text, T& Out)
{
    const std::string Trim = Trimmed(Text);
    if (Trim.empty())
        return false;
    const char* B = Trim.data();
    const char* E = B + Trim.size();
    if (*B == '+')
        ++B;
    auto [P, Ec] = std::from_chars(B, E, Out);
    return Ec == std::errc() && P == E;
}

bool ParseInteger(const std::string& Text, int64_t& Out) { return ParseNumber(Text, Out); }

bool ParseDouble(const std::string& Text, double& Out) { return ParseNumber(Text, Out); }
} // namespace

bool Variant::AsBoolean() const
{
    switch (GetKind()) {
    case Kind::Empty: return false;
    case Kind::Boolean: return std::get<bool>(FValue);
    case Kind::Integer: return std::get<int64_t>(FValue) != 0;
    case Kind::Double: return std::get<double>(FValue) != 0.0;
    case Kind::String: {
        const std::string T = Trimmed(std::get<std::string>(FValue));
        if (SameText(T, "True"))
            return true;
        if (SameText(T, "False"))
            return false;
        double D;
        if (ParseDouble(T, D))
            return D != 0.0;
        ConvertError(Kind::String, "Boolean");
    }
    }
    return false;
}

int64_t Variant::AsInteger() const
{
    switch (GetKind()) {
    case Kind::Empty: return 0;
    case Kind::Boolean: return std::get<bool>(FValue) ? 1 : 0;
    case Kind::Integer: return std::get<int64_t>(FValue);
    case Kind::Double: {
        const double D = std::get<double>(FValue);
        if (!(D > -9.2e18 && D < 9.2e18))
            ConvertError(Kind::Double, "Int64");
        return static_cast<int64_t>(D < 0 ? D - 0.5 : D + 0.5);
    }
    case Kind::String: {
        int64_t I;
        if (ParseInteger(std::get<std::string>(FValue), I))
            return I;
        ConvertError(Kind::String, "Int64");
    }
    }
    return 0;
}

double Variant::AsDouble() const
{
    switch (GetKind()) {
    case Kind::Empty: return 0.0;
    case Kind::Boolean: return std::get<bool>(FValue) ? 1.0 : 0.0;
    case Kind::Integer: return static_cast<double>(std::get<int64_t>(FValue));
    case Kind::Double: return std::get<double>(FValue);
    case Kind::String: {
        double D;
        if (ParseDouble(std::get<std::string>(FValue), D))
            return D;
        ConvertError(Kind::String, "Double");
    }
    }
    return 0.0;
}

std::string Variant::AsString() const
{
    switch (GetKind()) {
    case Kind::Empty: return std::string();
    case Kind::Boolean: return std::get<bool>(FValue) ? "True" : "False";
    case Kind::Integer: return std::to_string(std::get<int64_t>(FValue));
    case Kind::Double: {
        char Buf[64];
        auto [P, Ec] = std::to_chars(Buf, Buf + sizeof Buf, std::get<double>(FValue));
        return Ec == std::errc() ? std::string(Buf, P) : std::string();
    }
    case Kind::String: return std::get<std::string>(FValue);
    }
    return std::string();
}
