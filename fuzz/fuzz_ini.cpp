// libFuzzer target: the ini file. The input is a file's first content, then
// a series of changes (write a key, erase a section, replace a section) with
// names and values taken from the input. After each change:
//  - a written key reads back as written (blanks around it aside), and a
//    replaced section holds exactly the written keys;
//  - no other key is lost or changed;
//  - the sections keep their order (a new one comes last, an erased one goes);
//  - a change that is refused leaves the file exactly as it was.
#include "base/qlException.h"
#include "settings/uqlIniOptions.h"
#include "tests/TestFolder.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

// The input, read piece by piece.
class TInput {
public:
    TInput(const uint8_t* Data, size_t Size) : FData(reinterpret_cast<const char*>(Data)), FSize(Size) {}
    bool AtEnd() const { return FPos >= FSize; }
    uint8_t Byte() { return AtEnd() ? 0 : static_cast<uint8_t>(FData[FPos++]); }
    // Up to the next byte 0x01 (or the end).
    std::string Text()
    {
        std::string S;
        while (!AtEnd() && FData[FPos] != '\x01')
            S += FData[FPos++];
        ++FPos;
        return S;
    }

private:
    const char* FData;
    size_t FSize;
    size_t FPos = 0;
};

std::string ReadBytes(const std::string& Name)
{
    std::ifstream In(Name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

// Every section name as the file holds it, in order of first appearance,
// by the rules of the file: a header is a line whose first non-blank
// character is "[", its name the trimmed text up to "]".
std::vector<std::string> SectionOrder(const std::string& Bytes)
{
    std::vector<std::string> Names;
    size_t Pos = Bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (Pos <= Bytes.size()) {
        size_t End = Bytes.find_first_of("\r\n", Pos);
        if (End == std::string::npos)
            End = Bytes.size();
        const std::string Line = qlIniTrim(Bytes.substr(Pos, End - Pos));
        if (!Line.empty() && Line[0] == '[') {
            const size_t Close = Line.find(']');
            const std::string Name =
                qlIniTrim(Line.substr(1, Close == std::string::npos ? std::string::npos : Close - 1));
            bool Known = false;
            for (const std::string& N : Names)
                Known = Known || qlSameText(N, Name);
            if (!Known)
                Names.push_back(Name);
        }
        Pos = End + 1;
    }
    return Names;
}

struct TEntry {
    std::string Section;
    std::string Key;
    std::string Value;
};

// What every key of every section reads as.
std::vector<TEntry> Snapshot(TqlIniFile& Ini, const std::vector<std::string>& Sections)
{
    std::vector<TEntry> All;
    for (const std::string& S : Sections)
        for (const std::string& K : Ini.ReadSection(S))
            All.push_back({S, K, Ini.ReadString(S, K, "\x02missing")});
    return All;
}

[[noreturn]] void Broken(const std::string& What)
{
    std::fprintf(stderr, "fuzz_ini: %s\n", What.c_str());
    std::abort();
}

// Checks that every entry of Before outside the changed section (or only the
// changed key, when Key is not empty) reads the same now.
void CheckOthersKept(TqlIniFile& Ini, const std::vector<TEntry>& Before, const std::string& Section,
                     const std::string& Key, bool SectionGone)
{
    for (const TEntry& E : Before) {
        const bool InSection = qlSameText(E.Section, Section);
        if (InSection && (Key.empty() || qlSameText(E.Key, Key)))
            continue;
        if (InSection && SectionGone)
            continue;
        const std::string Now = Ini.ReadString(E.Section, E.Key, "\x02missing");
        if (Now != E.Value)
            Broken("key [" + E.Section + "] " + E.Key + " changed from \"" + E.Value + "\" to \"" +
                   Now + "\"");
    }
}

void CheckOrder(const std::vector<std::string>& Before, const std::vector<std::string>& After,
                const std::string& Section, bool Gone)
{
    std::vector<std::string> Expected;
    bool Seen = false;
    for (const std::string& S : Before) {
        if (qlSameText(S, Section)) {
            Seen = true;
            if (Gone)
                continue;
        }
        Expected.push_back(S);
    }
    if (!Seen && !Gone)
        Expected.push_back(Section);
    bool Same = Expected.size() == After.size();
    for (size_t I = 0; Same && I < After.size(); ++I)
        Same = qlSameText(Expected[I], After[I]);
    if (!Same)
        Broken("section order changed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static const TTestFolder Folder;
    static const std::string FileName = Folder.Path() + "/fuzz.ini";
    if (Size > 16 * 1024)
        return 0;
    TInput In(Data, Size);
    std::ofstream(FileName, std::ios::binary | std::ios::trunc) << In.Text();
    TqlIniFile Ini(FileName);

    for (int Step = 0; Step < 8 && !In.AtEnd(); ++Step) {
        const uint8_t Op = In.Byte() % 3;
        const std::string Section = In.Text();
        const std::string Bytes = ReadBytes(FileName);
        const std::vector<std::string> Order = SectionOrder(Bytes);
        const std::vector<TEntry> Before = Snapshot(Ini, Order);
        const std::string Sec = qlIniTrim(Section);
        std::vector<std::pair<std::string, std::string>> Pairs;
        std::string Key, Value;
        try {
            switch (Op) {
            case 0:
                Key = In.Text();
                Value = In.Text();
                Ini.WriteString(Section, Key, Value);
                break;
            case 1:
                Ini.EraseSection(Section);
                break;
            default:
                for (int N = In.Byte() % 4; N > 0; --N) {
                    std::string K = In.Text();
                    Pairs.emplace_back(K, In.Text());
                }
                Ini.ReplaceSection(Section, Pairs);
                break;
            }
        } catch (const Exception&) {
            if (ReadBytes(FileName) != Bytes)
                Broken("a refused change altered the file");
            continue;
        }
        const std::vector<std::string> After = SectionOrder(ReadBytes(FileName));
        switch (Op) {
        case 0:
            if (Ini.ReadString(Section, Key, "\x02missing") != qlIniTrim(Value))
                Broken("written key does not read back");
            CheckOthersKept(Ini, Before, Sec, qlIniTrim(Key), false);
            CheckOrder(Order, After, Sec, false);
            break;
        case 1:
            if (Ini.SectionExists(Section))
                Broken("erased section still there");
            CheckOthersKept(Ini, Before, Sec, "", true);
            CheckOrder(Order, After, Sec, true);
            break;
        default: {
            // The section holds the written keys, equal keys collapsed into
            // the first one's place with the last one's value.
            std::vector<std::string> Expected;
            for (const auto& [K, V] : Pairs) {
                bool Replaced = false;
                for (std::string& Line : Expected)
                    if (qlSameText(Line.substr(0, Line.find('=')), qlIniTrim(K))) {
                        Line = Line.substr(0, Line.find('=')) + "=" + qlIniTrim(V);
                        Replaced = true;
                    }
                if (!Replaced)
                    Expected.push_back(qlIniTrim(K) + "=" + qlIniTrim(V));
            }
            if (Ini.ReadSectionValues(Section) != Expected)
                Broken("replaced section does not hold the written keys");
            CheckOthersKept(Ini, Before, Sec, "", true);
            CheckOrder(Order, After, Sec, Pairs.empty());
            break;
        }
        }
    }
    return 0;
}
