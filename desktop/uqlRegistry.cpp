#include "desktop/uqlRegistry.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Lower(std::string S)
{
    for (char& C : S)
        if (C >= 'A' && C <= 'Z')
            C = static_cast<char>(C - 'A' + 'a');
    return S;
}

// A key path as the map keeps it: lower case, single "\" between
// components, none at either end.
std::string NormalKey(const std::string& Key)
{
    std::string R;
    for (char C : Key) {
        if (C == '\\' || C == '/') {
            if (!R.empty() && R.back() != '\\')
                R += '\\';
        } else {
            R += C;
        }
    }
    while (!R.empty() && R.back() == '\\')
        R.pop_back();
    return Lower(R);
}

// Reads a double-quoted text starting at S[Pos] == '"', undoing \\ and \".
// On success Pos is just past the closing quote.
bool ReadQuoted(const std::string& S, size_t& Pos, std::string& Out)
{
    if (Pos >= S.size() || S[Pos] != '"')
        return false;
    Out.clear();
    for (size_t I = Pos + 1; I < S.size(); ++I) {
        const char C = S[I];
        if (C == '"') {
            Pos = I + 1;
            return true;
        }
        if (C == '\\' && I + 1 < S.size() && (S[I + 1] == '\\' || S[I + 1] == '"')) {
            Out += S[++I];
            continue;
        }
        Out += C;
    }
    return false;
}

// The text of a key header "[Software\\Borland] 123": the path with the
// doubled backslashes undone.
bool ReadHeader(const std::string& Line, std::string& Key)
{
    if (Line.empty() || Line[0] != '[')
        return false;
    std::string Raw;
    size_t I = 1;
    for (; I < Line.size() && Line[I] != ']'; ++I) {
        if (Line[I] == '\\' && I + 1 < Line.size() && Line[I + 1] == '\\')
            ++I;
        Raw += Line[I];
    }
    if (I >= Line.size())
        return false;
    Key = NormalKey(Raw);
    return true;
}

} // namespace

TqlRegistry TqlRegistry::FromText(const std::string& Text)
{
    TqlRegistry R;
    std::istringstream In(Text);
    std::string Line;
    std::map<std::string, std::string>* Current = nullptr;
    while (std::getline(In, Line)) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        if (Line.empty())
            continue;
        if (Line[0] == '[') {
            std::string Key;
            Current = ReadHeader(Line, Key) ? &R.FKeys[Key] : nullptr;
            continue;
        }
        if (!Current)
            continue;
        std::string Name;
        size_t Pos = 0;
        if (Line[0] == '@') {
            Pos = 1;
        } else if (!ReadQuoted(Line, Pos, Name)) {
            continue;
        }
        if (Pos >= Line.size() || Line[Pos] != '=')
            continue;
        ++Pos;
        if (Line.compare(Pos, 7, "str(2):") == 0)
            Pos += 7;
        std::string Value;
        if (!ReadQuoted(Line, Pos, Value))
            continue; // numbers, binary data and broken lines carry no text
        (*Current)[Lower(Name)] = Value;
    }
    return R;
}

TqlRegistry TqlRegistry::FromFile(const std::string& FileName)
{
    std::ifstream F(FileName, std::ios::binary);
    if (!F)
        return TqlRegistry();
    std::ostringstream S;
    S << F.rdbuf();
    if (F.bad())
        return TqlRegistry();
    return FromText(S.str());
}

std::string TqlRegistry::UserFileName()
{
    const char* Prefix = std::getenv("WINEPREFIX");
    std::string Folder;
    if (Prefix && *Prefix) {
        Folder = Prefix;
    } else {
        const char* Home = std::getenv("HOME");
        Folder = std::string(Home ? Home : "") + "/.wine";
    }
    if (Folder.empty() || Folder.back() != '/')
        Folder += '/';
    return Folder + "user.reg";
}

bool TqlRegistry::KeyExists(TqlRootKey Root, const std::string& Key) const
{
    if (Root != TqlRootKey::CurrentUser)
        return false;
    const std::string K = NormalKey(Key);
    if (K.empty())
        return !FKeys.empty();
    if (FKeys.count(K))
        return true;
    const std::string Below = K + '\\';
    const auto It = FKeys.lower_bound(Below);
    return It != FKeys.end() && It->first.compare(0, Below.size(), Below) == 0;
}

std::string TqlRegistry::ReadString(TqlRootKey Root, const std::string& Key,
                                    const std::string& Name) const
{
    if (Root != TqlRootKey::CurrentUser)
        return "";
    const auto K = FKeys.find(NormalKey(Key));
    if (K == FKeys.end())
        return "";
    const auto V = K->second.find(Lower(Name));
    return V == K->second.end() ? std::string() : V->second;
}
