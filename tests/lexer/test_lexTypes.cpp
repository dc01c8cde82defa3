#include "lexer/lxPasLexTypes.h"

#include "base/qlException.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <unordered_map>
#include <sstream>
#include <string>

namespace {

TEST(LexTypes, EnumerationOrdinalsAndNames)
{
    EXPECT_EQ(int(ptIdentifier), 77);
    EXPECT_EQ(int(ptKeyWord), 92);
    EXPECT_EQ(int(ptNull), 111);
    EXPECT_EQ(int(ptUnknown), 177);
    EXPECT_EQ(int(ptSemiColon), 150);
    EXPECT_EQ(int(ptComma), 33);
    EXPECT_EQ(int(ptPoint), 126);
    EXPECT_EQ(int(ptXor), ptTokenKindCount - 1);
    EXPECT_EQ(int(cdUnknown), cdTokenKindCount - 1);
    EXPECT_EQ(int(bdUnKnown), bdBooleanDirectivesCount - 1);
    EXPECT_EQ(TokenName(ptSemiColon), "SemiColon");
    EXPECT_EQ(TokenName(ptBegin), "Begin");
    EXPECT_EQ(ptTokenName(ptBegin), "ptBegin");
    EXPECT_EQ(ptTokenName(ptAbsolute), "ptAbsolute");
    EXPECT_EQ(ptTokenName(ptXor), "ptXor");
    EXPECT_EQ(cdTokenName(cdIfDef), "cdIfDef");
    EXPECT_EQ(cdTokenName(cdSymbol_Platform), "cdSymbol_Platform");
    EXPECT_EQ(cdTokenName(cdUnknown), "cdUnknown");
    // Every name is distinct and carries its prefix.
    std::set<std::string> Names;
    for (int K = 0; K < ptTokenKindCount; ++K) {
        std::string N = ptTokenName(TptTokenKind(K));
        EXPECT_EQ(N.substr(0, 2), "pt");
        Names.insert(N);
    }
    EXPECT_EQ(int(Names.size()), ptTokenKindCount);
}

TEST(LexTypes, JunkKinds)
{
    int Junk = 0;
    for (int K = 0; K < ptTokenKindCount; ++K)
        Junk += IsTokenIDJunk(TptTokenKind(K));
    EXPECT_EQ(Junk, 8);
    for (TptTokenKind K : {ptAnsiComment, ptAnsiDirective, ptBorComment, ptBorDirective, ptCRLF,
                           ptCRLFCo, ptSlashesComment, ptSpace})
        EXPECT_TRUE(IsTokenIDJunk(K)) << ptTokenName(K);
    EXPECT_FALSE(IsTokenIDJunk(ptNull));
    EXPECT_FALSE(IsTokenIDJunk(ptCompDirect));
}

TEST(LexTypes, CharacterTables)
{
    EXPECT_TRUE(StandardIdentifiers['_']);
    EXPECT_FALSE(StandardIdentifiers[0xE9]);
    EXPECT_TRUE(NonEnglishChars[0xE9]);
    EXPECT_FALSE(NonEnglishChars[0xD7]); // multiplication sign
    EXPECT_FALSE(NonEnglishChars[0xF7]); // division sign
    EXPECT_TRUE(NonEnglishChars[170] && NonEnglishChars[181] && NonEnglishChars[186]);
    EXPECT_TRUE(Identifiers['z'] && Identifiers[0xFF]);
    EXPECT_EQ(lxInsensitiveHashTable['a'], 'A');
    EXPECT_EQ(lxInsensitiveHashTable[0xE9], 0xC9);
    EXPECT_EQ(lxInsensitiveHashTable[0xFF], 0x9F);
    EXPECT_EQ(lxInsensitiveHashTable[0xF7], 0xF7);
    EXPECT_EQ(lxUpper(char(0xE0)), 0xC0); // a char above 127 indexes as unsigned
    for (int C = 0; C < 256; ++C)
        EXPECT_FALSE(CompTable[C]);
}

TEST(LexTypes, KeywordTable)
{
    TlxPasHash Keys;
    EXPECT_EQ(Keys.Count(), 143);
    EXPECT_TRUE(Keys.Sorted());
    auto Scan = [&](const char* Text, TptTokenKind& Tok, TptTokenKind& Ex) {
        int Run = 0;
        Tok = Ex = ptIdentifier;
        Keys.HashRun(Text, Run, Tok, Ex);
        return Run;
    };
    TptTokenKind Tok, Ex;
    for (const char* W : {"Begin", "BEGIN", "begin", "bEgIn"}) {
        EXPECT_EQ(Scan(W, Tok, Ex), 5);
        EXPECT_EQ(Tok, ptBegin);
        EXPECT_EQ(Ex, ptKeyWord);
    }
    for (const char* W : {"Read", "READ", "read"}) {
        Scan(W, Tok, Ex);
        EXPECT_EQ(Tok, ptIdentifier);
        EXPECT_EQ(Ex, ptRead);
    }
    Scan("Interface", Tok, Ex);
    EXPECT_EQ(Tok, ptInterface);
    EXPECT_EQ(Ex, ptInterface);
    Scan("safecall", Tok, Ex);
    EXPECT_EQ(Ex, ptSafeCall);
    Scan("local", Tok, Ex);
    EXPECT_EQ(Ex, ptLocal);
    // Every word of the table, in lower case and with one letter more.
    for (int I = 0; I < Keys.Count(); ++I) {
        const auto* Item = static_cast<const TlxPasHashItem*>(Keys.GetItems(I));
        std::string Lower = Item->Str;
        for (char& C : Lower)
            C = char(std::tolower(static_cast<unsigned char>(C)));
        EXPECT_EQ(Scan(Lower.c_str(), Tok, Ex), int(Lower.size()));
        EXPECT_EQ(Tok, Item->TokenID) << Lower;
        EXPECT_EQ(Ex, Item->ExID) << Lower;
        Scan((Lower + "x").c_str(), Tok, Ex);
        EXPECT_EQ(Tok, ptIdentifier) << Lower;
    }
    // The scan stops at the first character that is not a standard one.
    EXPECT_EQ(Scan("end;", Tok, Ex), 3);
    EXPECT_EQ(Tok, ptEnd);
    EXPECT_EQ(Scan("Beginning", Tok, Ex), 9);
    EXPECT_EQ(Tok, ptIdentifier);
    // Words of a keyword's length and first letter that are none.
    for (const char* W : {"Bogin", "Ent", "Anda", "_nd", "Wit_", "L0cal"}) {
        EXPECT_EQ(Scan(W, Tok, Ex), int(std::strlen(W)));
        EXPECT_EQ(Tok, ptIdentifier) << W;
        EXPECT_EQ(Ex, ptIdentifier) << W;
    }
    // A word added later (and the table sorted again) is found, and so are
    // the others.
    {
        TlxPasHash More;
        More.Add("Quux", ptIdentifier, ptLocal);
        More.QuickSort();
        for (auto [W, Want] : {std::pair{"QUUX", ptLocal}, {"with", ptKeyWord}, {"Quu", ptIdentifier}}) {
            int Run = 0;
            Tok = Ex = ptIdentifier;
            More.HashRun(W, Run, Tok, Ex);
            EXPECT_EQ(Ex, Want) << W;
        }
    }
    // The keyword and directive words have pairwise different hashes.
    std::set<uint32_t> Hashes;
    for (int I = 0; I < Keys.Count(); ++I)
        Hashes.insert(Keys.GetItems(I)->HashValue);
    EXPECT_EQ(int(Hashes.size()), 143);
    TlxDirectiveHash Dirs;
    EXPECT_EQ(Dirs.Count(), 97);
    Hashes.clear();
    for (int I = 0; I < Dirs.Count(); ++I)
        Hashes.insert(Dirs.GetItems(I)->HashValue);
    EXPECT_EQ(int(Hashes.size()), 97);
    TcdTokenKind K = cdIdentifier;
    int Run = 0;
    Dirs.HashRun("ifndef X", Run, K);
    EXPECT_EQ(K, cdIfNDef);
    EXPECT_EQ(Run, 6);
    K = cdIdentifier, Run = 0;
    Dirs.HashRun("Z2", Run, K);
    EXPECT_EQ(K, cdZTwo);
    K = cdIdentifier, Run = 0;
    Dirs.HashRun("REGION", Run, K);
    EXPECT_EQ(K, cdIdentifier);
    // Every directive word in lower case, with one letter more and with its
    // last letter changed; then a word added later (the table sorted again).
    auto ScanDir = [](const TlxDirectiveHash& Table, const std::string& W, TcdTokenKind& Kind) {
        int At = 0;
        Kind = cdIdentifier;
        Table.HashRun(W.c_str(), At, Kind);
        return At;
    };
    for (int I = 0; I < Dirs.Count(); ++I) {
        const auto* Item = static_cast<const TlxDirectiveHashItem*>(Dirs.GetItems(I));
        std::string Lower = Item->Str;
        for (char& C : Lower)
            C = char(std::tolower(static_cast<unsigned char>(C)));
        EXPECT_EQ(ScanDir(Dirs, Lower + "}", K), int(Lower.size()));
        EXPECT_EQ(K, Item->Kind) << Lower;
        ScanDir(Dirs, Lower + "q", K);
        EXPECT_EQ(K, cdIdentifier) << Lower;
        Lower.back() = Lower.back() == '9' ? '8' : '9';
        ScanDir(Dirs, Lower, K);
        EXPECT_EQ(K, cdIdentifier) << Lower;
    }
    TlxDirectiveHash MoreDirs;
    MoreDirs.Add("Quux", cdNoDefine);
    MoreDirs.QuickSort();
    for (auto [W, Want] : {std::pair{"QUUX", cdNoDefine}, {"ifdef", cdIfDef}, {"Quu", cdIdentifier}}) {
        ScanDir(MoreDirs, W, K);
        EXPECT_EQ(K, Want) << W;
    }
}

// Finds two different words with one hash (birthday search over 8-letter words).
std::pair<std::string, std::string> FindCollision(const TlxLexHashStrings& T)
{
    std::unordered_map<uint32_t, std::string> Seen;
    uint64_t X = 88172645463325252ull;
    std::string W(8, 'a');
    for (int N = 0; N < 2000000; ++N) {
        for (char& C : W) {
            X ^= X << 13, X ^= X >> 7, X ^= X << 17;
            C = char('A' + X % 26);
        }
        auto [It, New] = Seen.emplace(T.HashOf(W), W);
        if (!New && It->second != W)
            return {It->second, W};
    }
    return {};
}

TEST(LexTypes, HashCollisionsAreTellApart)
{
    TlxAssignAbleHash Set;
    auto [A, B] = FindCollision(Set);
    ASSERT_FALSE(A.empty());
    ASSERT_EQ(Set.HashOf(A), Set.HashOf(B));
    Set.AddSorted(A);
    EXPECT_TRUE(Set.Hash(A));
    EXPECT_FALSE(Set.Hash(B));
    Set.AddSorted(B);
    Set.AddSorted("other");
    EXPECT_EQ(Set.GetItems(Set.IndexOf(B))->Str, B);
    EXPECT_EQ(Set.GetItems(Set.IndexOf(A))->Str, A);
}

TEST(LexTypes, DefinedSymbolSet)
{
    TlxAssignAbleHash Set;
    Set.AddSorted("DEBUG");
    Set.AddSorted("debug");
    EXPECT_EQ(Set.Count(), 2);
    EXPECT_GE(Set.Remove("Debug"), 0);
    EXPECT_TRUE(Set.Hash("DEBUG")); // defined twice, removed once
    EXPECT_GE(Set.Remove("DEBUG"), 0);
    EXPECT_FALSE(Set.Hash("DEBUG"));
    EXPECT_EQ(Set.Remove("DEBUG"), -1);
    EXPECT_EQ(Set.GetItems(-1), nullptr);
    EXPECT_EQ(Set.GetItems(0), nullptr);

    TlxAssignAbleHash FromText(std::string("A\r\nB\nc"));
    EXPECT_EQ(FromText.Count(), 3);
    EXPECT_TRUE(FromText.Hash("C"));
    TlxAssignAbleHash Copy;
    Copy.Assign(&FromText);
    Copy.Assign(nullptr);
    EXPECT_EQ(Copy.Count(), 3);
    EXPECT_TRUE(Copy.Hash("a") && Copy.Hash("b"));
    int Obj = 5;
    Copy.GetItems(0)->Obj = &Obj; // borrowed, never freed by the set
    Copy.Clear();
    EXPECT_EQ(Copy.Count(), 0);
    EXPECT_EQ(Copy.Capacity(), 0);
}

TEST(LexTypes, LargeSetStaysSearchable)
{
    TlxAssignAbleHash Set;
    for (int I = 0; I < 2600; ++I)
        Set.AddSorted("Name" + std::to_string(I));
    EXPECT_FALSE(Set.Sorted()); // above 2000 additions are appended
    for (int I = 0; I < 2600; I += 7)
        EXPECT_GE(Set.IndexOf("NAME" + std::to_string(I)), 0) << I;
    EXPECT_TRUE(Set.Sorted());
    Set.AddSorted("Late");
    EXPECT_TRUE(Set.Hash("late"));
    EXPECT_FALSE(Set.Hash("Name2600"));
    for (int I = 1; I < Set.Count(); ++I)
        EXPECT_LE(Set.GetItems(I - 1)->HashValue, Set.GetItems(I)->HashValue);
}

// The lexer's defined symbols: with words added, found and removed in turn,
// a large set answers as a plain list of its words would.
TEST(LexTypes, DefineSetAnswersAsAList)
{
    TlxDefineSet Set;
    std::multiset<std::string> Model;
    auto Key = [](std::string S) {
        for (char& C : S)
            C = char(lxUpper(C));
        return S;
    };
    for (int I = 0; I < 6000; ++I) {
        const std::string Name = (I % 2 ? "Name" : "NAME") + std::to_string(I % 4000);
        Set.AddSorted(Name);
        Model.insert(Key(Name));
        if (I % 3 == 0) {
            const std::string Gone = "name" + std::to_string(I / 2);
            const int At = Set.Remove(Gone);
            const auto It = Model.find(Key(Gone));
            EXPECT_EQ(At >= 0, It != Model.end()) << Gone;
            if (It != Model.end())
                Model.erase(It);
        }
        if (I % 5 == 0) {
            const std::string Sought = "nAmE" + std::to_string(I / 3);
            const int At = Set.IndexOf(Sought);
            ASSERT_EQ(At >= 0, Model.count(Key(Sought)) > 0) << Sought;
            if (At >= 0) {
                EXPECT_EQ(Key(Set.GetItems(At)->Str), Key(Sought));
            }
        }
    }
    ASSERT_EQ(Set.Count(), int(Model.size()));
    std::multiset<std::string> Items;
    for (int I = 0; I < Set.Count(); ++I)
        Items.insert(Key(Set.GetItems(I)->Str));
    EXPECT_EQ(Items, Model);
    // Items put in order behind the index's back are still found.
    Set.QuickSort();
    for (const std::string& Name : Model)
        EXPECT_GE(Set.IndexOf(Name), 0) << Name;
    EXPECT_FALSE(Set.Hash("Name4000"));
}

TEST(LexTypes, SortKeepsOrderAndDuplicates)
{
    TlxAssignAbleHash Set;
    for (int I = 0; I < 500; ++I)
        Set.AddString("w" + std::to_string(I % 50));
    Set.QuickSort();
    ASSERT_EQ(Set.Count(), 500);
    for (int I = 1; I < Set.Count(); ++I)
        EXPECT_LE(Set.GetItems(I - 1)->HashValue, Set.GetItems(I)->HashValue);
    EXPECT_TRUE(Set.Hash("W49"));
}

TEST(LexTypes, StatusStack)
{
    TlxPasLexStatusStack Stack;
    EXPECT_EQ(Stack.Pop(), nullptr);
    TlxPasLexStatus S;
    S.FileName = "a.inc";
    S.Switches.Include(bdUnit_Platform);
    Stack.Push(S);
    S.FileName = "b.inc";
    Stack.Push(S);
    EXPECT_EQ(Stack.Count(), 2);
    EXPECT_EQ(Stack.Peek()->FileName, "b.inc");
    auto Top = Stack.Pop();
    EXPECT_EQ(Top->FileName, "b.inc");
    EXPECT_TRUE(Top->Switches.Contains(bdUnit_Platform));
    EXPECT_FALSE(Top->Switches.Contains(bdUnKnown));
    Stack.Clear();
    EXPECT_EQ(Stack.Count(), 0);
}

TEST(LexTypes, StreamHasTerminator)
{
    std::string Path = ::testing::TempDir() + "lexstream.pas";
    {
        std::ofstream F(Path, std::ios::binary);
        F << "unit a;\r\nend.";
    }
    TlxLexStream S;
    S.LoadFromFile(Path);
    EXPECT_EQ(S.Size(), 13);
    EXPECT_EQ(S.Memory()[13], '\0');
    EXPECT_EQ(std::string(S.Memory()), "unit a;\r\nend.");
    std::remove(Path.c_str());
    // A failed read leaves the stream as it was.
    const std::string Folder = ::testing::TempDir();
    const std::pair<std::string, std::string> Failures[] = {
        {Path, "Cannot open file \"" + Path + "\": " + std::strerror(ENOENT)},
        {Folder, "Cannot read \"" + Folder + "\": it is a folder"},
    };
    for (const auto& [Name, Message] : Failures) {
        try {
            S.LoadFromFile(Name);
            ADD_FAILURE() << Name << " was read";
        } catch (const Exception& E) {
            EXPECT_EQ(std::string(E.what()), Message);
        }
        EXPECT_EQ(std::string(S.Memory()), "unit a;\r\nend.");
    }
    // A file whose size is not known beforehand is read to its end.
    std::ifstream Version("/proc/version", std::ios::binary);
    const std::string Expected((std::istreambuf_iterator<char>(Version)), std::istreambuf_iterator<char>());
    if (!Expected.empty()) {
        S.LoadFromFile("/proc/version");
        EXPECT_EQ(std::string(S.Memory(), size_t(S.Size())), Expected);
    }
    S.Clear();
    EXPECT_EQ(S.Size(), 0);
    EXPECT_EQ(S.Memory()[0], '\0');
    std::istringstream In(std::string("ab\0c", 4));
    S.LoadFromStream(In);
    EXPECT_EQ(S.Size(), 4);
    EXPECT_EQ(S.Memory()[4], '\0');
}

} // namespace
