#include "qlInterface.h"

#include <cstdio>
#include <random>

std::string TGUID::ToString() const
{
    char Buf[40];
    std::snprintf(Buf, sizeof Buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", D1,
                  unsigned(D2), unsigned(D3), D4[0], D4[1], D4[2], D4[3], D4[4], D4[5], D4[6], D4[7]);
    return Buf;
}

bool TGUID::TryParse(const std::string& Text, TGUID& Out)
{
    std::string S = Text;
    if (S.size() == 38 && S.front() == '{' && S.back() == '}')
        S = S.substr(1, 36);
    if (S.size() != 36 || S[8] != '-' || S[13] != '-' || S[18] != '-' || S[23] != '-')
        return false;
    auto Hex = [&](size_t Pos, size_t Len, uint64_t& V) {
        V = 0;
        for (size_t i = Pos; i < Pos + Len; ++i) {
            const char C = S[i];
            int D;
            if (C >= '0' && C <= '9') D = C - '0';
            else if (C >= 'a' && C <= 'f') D = C - 'a' + 10;
            else if (C >= 'A' && C <= 'F') D = C - 'A' + 10;
            else return false;
            V = V * 16 + uint64_t(D);
        }
        return true;
    };
    TGUID G;
    uint64_t V;
    if (!Hex(0, 8, V)) return false;
    G.D1 = uint32_t(V);
    if (!Hex(9, 4, V)) return false;
    G.D2 = uint16_t(V);
    if (!Hex(14, 4, V)) return false;
    G.D3 = uint16_t(V);
    static const size_t BytePos[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (int i = 0; i < 8; ++i) {
        if (!Hex(BytePos[i], 2, V)) return false;
        G.D4[i] = uint8_t(V);
    }
    Out = G;
    return true;
}

TGUID TGUID::Create()
{
    static std::mt19937_64 Gen{std::random_device{}()};
    const uint64_t A = Gen(), B = Gen();
    TGUID G;
    G.D1 = uint32_t(A >> 32);
    G.D2 = uint16_t(A >> 16);
    G.D3 = uint16_t((A & 0x0FFF) | 0x4000);
    for (int i = 0; i < 8; ++i)
        G.D4[i] = uint8_t(B >> (8 * i));
    G.D4[0] = uint8_t((G.D4[0] & 0x3F) | 0x80);
    return G;
}
