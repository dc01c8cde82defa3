// qlbench gen KIND ... DIR: writes a generated Delphi 7 project into DIR so
// that anyone can reproduce the analysis timings at any size. The output is
// the same on every run for the same arguments. Every kind writes DIR/Main.dpr
// as the file to analyse:
//   project N         N units of about 350 lines, each using 3-5 earlier
//                     units, deriving its classes from theirs and referring to
//                     their routines, fields, properties, constants and
//                     globals; Main.dpr uses all of them.
//   unit LINES        one unit Big.pas of about LINES lines built from the
//                     same blocks, referring to earlier blocks of itself.
//   chain K           one unit whose K classes each derive from the one before.
//   missing K         Main.dpr alone, its uses clause naming K units that do
//                     not exist.
//   includes K BYTES  one unit whose interface includes big.inc (BYTES bytes
//                     of comment lines) K times.
//   defines K         one unit that defines K conditional symbols, asks for
//                     each one after it is defined and undefines every other
//                     one again, from the middle of the set.
//   rename N LINES USES
//                     N units of about LINES lines; the first declares the
//                     routine Target, and USES calls of it spread evenly over
//                     all of them (the refactor rename benchmark).
//   sweep N ENTRIES   N units whose interface uses clauses name ENTRIES
//                     earlier units each: half used in the implementation
//                     only, half not at all (the refactor sweep benchmark).
//   withs W MEMBERS USES
//                     one unit with a class of MEMBERS fields and W with
//                     statements over it that use each field USES times.
//   protected N K / public N K
//                     unit Shared declares TShared with one protected (or
//                     public) method, and N units of K classes each derive
//                     from it (the first class of a unit from TShared, each
//                     other one from the class before) and call that method
//                     from a method of their own: the lookup of a protected
//                     member from other units, against the same lookup of a
//                     public one.
// Prints "main=PATH files=N bytes=N lines=N".
#include "bench/qlbenchCommon.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A small linear congruential generator: the same sequence on every platform.
class TGenRandom {
public:
    explicit TGenRandom(uint64_t Seed) : State(Seed * 6364136223846793005ULL + 1442695040888963407ULL) {}
    // 0 .. Bound-1
    int Next(int Bound)
    {
        State = State * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((State >> 33) % static_cast<uint64_t>(Bound));
    }

private:
    uint64_t State;
};

struct TGenOutput {
    std::filesystem::path Dir;
    long long Files = 0;
    long long Bytes = 0;
    long long Lines = 0;
    bool Failed = false;

    void Write(const std::string& Name, const std::string& Text)
    {
        std::ofstream Out(Dir / Name, std::ios::binary | std::ios::trunc);
        Out << Text;
        if (!Out) {
            std::fprintf(stderr, "cannot write %s\n", (Dir / Name).string().c_str());
            Failed = true;
            return;
        }
        ++Files;
        Bytes += static_cast<long long>(Text.size());
        for (char C : Text)
            Lines += C == '\n';
    }
};

std::string Numbered(const char* Prefix, int N)
{
    char Buf[32];
    std::snprintf(Buf, sizeof Buf, "%s%05d", Prefix, N);
    return Buf;
}

// Number of routines per block: with the class and its methods a block comes
// to about 350 lines.
constexpr int kSteps = 10;

// One block of declarations named after Tag: constants, a base class deriving
// from Parent's item class (or TObject), an item class, a global and kSteps
// routines each working on one of Refs. Within a unit the interface part and
// the implementation part go to different places, hence two emitters.
struct TGenBlock {
    std::string Tag;
    std::string Parent; // empty: derives from TObject
    std::vector<std::string> Refs;

    void Interface(std::string& S) const
    {
        const std::string& T = Tag;
        S += "const\n";
        S += "  c" + T + "Size = " + std::to_string(Tag.size() * 7 + Refs.size()) + ";\n";
        S += "  c" + T + "Name = '" + T + "';\n\n";
        S += "type\n";
        S += "  T" + T + "Base = class(" + (Parent.empty() ? std::string("TObject") : "T" + Parent + "Item") + ")\n";
        S += "  private\n";
        S += "    F" + T + "Count: Integer;\n";
        S += "    F" + T + "Name: string;\n";
        S += "    function Get" + T + "Count: Integer;\n";
        S += "    procedure Set" + T + "Count(const Value: Integer);\n";
        S += "  public\n";
        S += "    " + T + "Weight: Integer;\n";
        S += "    constructor Create;\n";
        S += "    destructor Destroy; override;\n";
        S += std::string("    procedure Run; ") + (Parent.empty() ? "virtual" : "override") + ";\n";
        S += "    property " + T + "Count: Integer read Get" + T + "Count write Set" + T + "Count;\n";
        S += "    property " + T + "Name: string read F" + T + "Name write F" + T + "Name;\n";
        S += "  end;\n\n";
        S += "  T" + T + "Item = class(T" + T + "Base)\n";
        S += "  private\n";
        S += "    function Get" + T + "Total: Integer;\n";
        S += "  public\n";
        S += "    procedure Run; override;\n";
        S += "    property " + T + "Total: Integer read Get" + T + "Total;\n";
        S += "  end;\n\n";
        S += "var\n";
        S += "  g" + T + "Total: Integer;\n\n";
        for (int i = 1; i <= kSteps; ++i)
            S += "function " + T + "Step" + std::to_string(i) + "(A: Integer): Integer;\n";
        S += "\n";
    }

    void Implementation(std::string& S) const
    {
        const std::string& T = Tag;
        const std::string B = "T" + T + "Base";
        S += "{ " + B + " }\n\n";
        S += "constructor " + B + ".Create;\n";
        S += "begin\n";
        S += "  inherited Create;\n";
        S += "  F" + T + "Count := 0;\n";
        S += "  F" + T + "Name := c" + T + "Name;\n";
        S += "end;\n\n";
        S += "destructor " + B + ".Destroy;\n";
        S += "begin\n";
        S += "  Dec(g" + T + "Total, F" + T + "Count);\n";
        S += "  inherited Destroy;\n";
        S += "end;\n\n";
        S += "function " + B + ".Get" + T + "Count: Integer;\n";
        S += "begin\n";
        S += "  Result := F" + T + "Count;\n";
        S += "end;\n\n";
        S += "procedure " + B + ".Set" + T + "Count(const Value: Integer);\n";
        S += "begin\n";
        S += "  if Value <> F" + T + "Count then\n";
        S += "    F" + T + "Count := Value;\n";
        S += "end;\n\n";
        S += "procedure " + B + ".Run;\n";
        S += "begin\n";
        if (!Parent.empty()) {
            S += "  inherited Run;\n";
            S += "  " + Parent + "Count := " + Parent + "Count + c" + Parent + "Size;\n";
        }
        S += "  Inc(g" + T + "Total, " + T + "Weight);\n";
        S += "end;\n\n";
        const std::string I = "T" + T + "Item";
        S += "{ " + I + " }\n\n";
        S += "function " + I + ".Get" + T + "Total: Integer;\n";
        S += "begin\n";
        S += "  Result := " + T + "Count * " + T + "Weight + g" + T + "Total;\n";
        S += "end;\n\n";
        S += "procedure " + I + ".Run;\n";
        S += "begin\n";
        S += "  inherited Run;\n";
        S += "  " + T + "Weight := " + T + "Weight + 1;\n";
        S += "end;\n\n";
        for (int i = 1; i <= kSteps; ++i) {
            // The first step stays within the block so that the others (and
            // other blocks) can call it without a cycle.
            const bool Own = i == 1 || Refs.empty();
            const std::string R = Own ? T : Refs[size_t(i) % Refs.size()];
            S += "function " + T + "Step" + std::to_string(i) + "(A: Integer): Integer;\n";
            S += "var\n";
            S += "  Obj: T" + R + "Item;\n";
            S += "  I: Integer;\n";
            S += "begin\n";
            S += "  Result := A + c" + R + "Size;\n";
            S += "  Obj := T" + R + "Item.Create;\n";
            S += "  try\n";
            S += "    Obj." + R + "Count := A mod 7;\n";
            S += "    Obj." + R + "Weight := c" + T + "Size;\n";
            S += "    Obj.Run;\n";
            if (Own) {
                S += "    for I := 0 to Obj." + R + "Count do\n";
                S += "      Inc(Result, I * Obj." + R + "Total);\n";
            } else {
                S += "    for I := 0 to Obj." + R + "Count do\n";
                S += "      Inc(Result, " + R + "Step1(I));\n";
            }
            S += "    Inc(g" + R + "Total, Result);\n";
            S += "    if Obj." + R + "Name = c" + R + "Name then\n";
            S += "      Result := Result - 1\n";
            S += "    else\n";
            S += "      Result := Result + Obj." + R + "Total;\n";
            S += "  finally\n";
            S += "    Obj.Free;\n";
            S += "  end;\n";
            S += "  g" + T + "Total := g" + T + "Total + Result;\n";
            S += "end;\n\n";
        }
    }
};

// Shapes Delphi 7 code is full of and that the analysis once misread: a
// directive whose remark holds a quote, a conditional symbol that starts
// with a digit, {$IF} on the compiler's version, UInt64, forward class and
// pointer declarations, class of, overloads, a function's name as its
// result, two handlers that each declare E, a label, and a flat chain of
// Terms index expressions. Every tenth unit of a project has them, its file
// starting with a UTF-8 byte-order mark.
struct TDelphi7Shapes {
    std::string Tag;
    int Terms = 10;

    void Interface(std::string& S) const
    {
        const std::string& T = Tag;
        S += "{$IFNDEF FPC // the other compiler can't read this }\n";
        S += "{$DEFINE 7ZIP_" + T + "}\n";
        S += "{$ENDIF ~FPC}\n\n";
        S += "type\n";
        S += "  T" + T + "Node = class;\n";
        S += "  P" + T + "Cell = ^T" + T + "Cell;\n";
        S += "  T" + T + "Cell = record\n";
        S += "    Value: UInt64;\n";
        S += "    Next: P" + T + "Cell;\n";
        S += "  end;\n";
        S += "  E" + T + "Fault = class(TObject);\n";
        S += "  T" + T + "Node = class(TObject)\n";
        S += "  public\n";
        S += "    Cell: T" + T + "Cell;\n";
        S += "    function Sum(A: Integer): Integer; overload;\n";
        S += "    function Sum(A, B: Integer): Integer; overload;\n";
        S += "  end;\n";
        S += "  T" + T + "NodeClass = class of T" + T + "Node;\n";
        S += "{$IF CompilerVersion < 18}\n";
        S += "  T" + T + "Text = AnsiString;\n";
        S += "{$ELSE}\n";
        S += "  T" + T + "Text = UnicodeString;\n";
        S += "{$IFEND}\n\n";
        S += "{$IFDEF 7ZIP_" + T + "}\n";
        S += "function " + T + "Twice(I: Integer): Integer;\n";
        S += "function " + T + "Chain(const A: array of Integer): Integer;\n";
        S += "{$ENDIF}\n\n";
    }

    void Implementation(std::string& S) const
    {
        const std::string& T = Tag;
        const std::string N = "T" + T + "Node";
        S += "function " + N + ".Sum(A: Integer): Integer;\n";
        S += "begin\n  Result := A + Ord(Cell.Next = nil);\nend;\n\n";
        S += "function " + N + ".Sum(A, B: Integer): Integer;\n";
        S += "begin\n  Result := Sum(A) + B;\nend;\n\n";
        S += "function " + T + "Twice(I: Integer): Integer;\n";
        S += "label\n  Done;\n";
        S += "var\n  Node: " + N + ";\n  Kind: " + N + "Class;\n  Text: T" + T + "Text;\n";
        S += "begin\n";
        S += "  " + T + "Twice := I * 2;\n";
        S += "  Kind := " + N + ";\n";
        S += "  Node := Kind.Create;\n";
        S += "  try\n";
        S += "    Text := 'x';\n";
        S += "    Node.Cell.Value := Length(Text);\n";
        S += "  except\n";
        S += "    on E: E" + T + "Fault do\n";
        S += "      if E <> nil then\n";
        S += "        " + T + "Twice := Node.Sum(0);\n";
        S += "  end;\n";
        S += "  if I > 0 then\n    goto Done;\n";
        S += "  " + T + "Twice := Node.Sum(I, 1);\n";
        S += "Done:\n";
        S += "  try\n";
        S += "    Node.Free;\n";
        S += "  except\n";
        S += "    on E: E" + T + "Fault do\n";
        S += "      if E <> nil then\n";
        S += "        " + T + "Twice := 0;\n";
        S += "  end;\n";
        S += "end;\n\n";
        S += "function " + T + "Chain(const A: array of Integer): Integer;\n";
        S += "begin\n  Result := A[0]";
        for (int i = 1; i < Terms; ++i)
            S += " + A[" + std::to_string(i % 4) + "]";
        S += ";\nend;\n\n";
    }
};

// Count distinct earlier indexes in [Low, Index) (at most Index - Low).
std::vector<int> PickEarlier(TGenRandom& Random, int Index, int Low, int Count)
{
    std::vector<int> Picked;
    const int Span = Index - Low;
    if (Span <= Count) {
        for (int k = Low; k < Index; ++k)
            Picked.push_back(k);
        return Picked;
    }
    while (static_cast<int>(Picked.size()) < Count) {
        const int K = Low + Random.Next(Span);
        bool Seen = false;
        for (int P : Picked)
            Seen = Seen || P == K;
        if (!Seen)
            Picked.push_back(K);
    }
    return Picked;
}

std::string MainProgram(const std::vector<std::string>& Units, bool WithPaths,
                        const std::vector<std::string>& Calls)
{
    std::string S = "program Main;\n\n";
    if (!Units.empty()) {
        S += "uses\n";
        for (size_t i = 0; i < Units.size(); ++i) {
            S += "  " + Units[i];
            if (WithPaths)
                S += " in '" + Units[i] + ".pas'";
            S += i + 1 < Units.size() ? ",\n" : ";\n";
        }
        S += "\n";
    }
    S += "var\n  Total: Integer;\n\nbegin\n  Total := 0;\n";
    for (const std::string& C : Calls)
        S += "  Inc(Total, " + C + ");\n";
    S += "  if Total = 0 then\n    Total := 1;\nend.\n";
    return S;
}

void GenProject(TGenOutput& Out, int N)
{
    std::vector<std::string> Names;
    std::vector<std::string> Calls;
    for (int u = 0; u < N; ++u) {
        TGenRandom Random(static_cast<uint64_t>(u) + 1);
        TGenBlock Block;
        Block.Tag = Numbered("U", u + 1);
        for (int k : PickEarlier(Random, u, 0, 3 + Random.Next(3)))
            Block.Refs.push_back(Names[size_t(k)]);
        if (!Block.Refs.empty())
            Block.Parent = Block.Refs[0];
        // The first unit's chain is longer than the parser's nesting cap.
        const TDelphi7Shapes Shapes{Block.Tag, u == 0 ? 1100 : 10};
        const bool Shaped = u % 10 == 0;
        std::string S = std::string(Shaped ? "\xEF\xBB\xBF" : "") + "unit " + Block.Tag + ";\n\ninterface\n\n";
        if (!Block.Refs.empty()) {
            S += "uses\n  ";
            for (size_t i = 0; i < Block.Refs.size(); ++i)
                S += (i ? ", " : "") + Block.Refs[i];
            S += ";\n\n";
        }
        Block.Interface(S);
        if (Shaped)
            Shapes.Interface(S);
        S += "implementation\n\n";
        Block.Implementation(S);
        if (Shaped)
            Shapes.Implementation(S);
        S += "initialization\n  g" + Block.Tag + "Total := 0;\nend.\n";
        Out.Write(Block.Tag + ".pas", S);
        Names.push_back(Block.Tag);
        Calls.push_back(Block.Tag + "Step2(" + std::to_string(u % 11) + ")");
    }
    Out.Write("Main.dpr", MainProgram(Names, true, Calls));
}

void GenUnit(TGenOutput& Out, long long TargetLines)
{
    // Blocks refer to up to 5 of the 50 blocks before them, and derive from
    // the block before except every eighth, so that no inheritance chain
    // grows with the size of the unit.
    std::string Intf = "unit Big;\n\ninterface\n\n";
    std::string Impl = "implementation\n\n";
    std::vector<std::string> Calls;
    long long Lines = 0;
    for (int b = 0; Lines + 4 < TargetLines; ++b) {
        TGenRandom Random(static_cast<uint64_t>(b) + 1);
        TGenBlock Block;
        Block.Tag = Numbered("B", b + 1);
        const int Low = b > 50 ? b - 50 : 0;
        for (int k : PickEarlier(Random, b, Low, 3 + Random.Next(3)))
            Block.Refs.push_back(Numbered("B", k + 1));
        if (b % 8 != 0)
            Block.Parent = Numbered("B", b);
        const size_t I0 = Intf.size(), M0 = Impl.size();
        Block.Interface(Intf);
        Block.Implementation(Impl);
        for (size_t i = I0; i < Intf.size(); ++i)
            Lines += Intf[i] == '\n';
        for (size_t i = M0; i < Impl.size(); ++i)
            Lines += Impl[i] == '\n';
        if (b % 50 == 0)
            Calls.push_back(Block.Tag + "Step2(" + std::to_string(b % 11) + ")");
    }
    Out.Write("Big.pas", Intf + Impl + "end.\n");
    Out.Write("Main.dpr", MainProgram({"Big"}, true, Calls));
}

void GenChain(TGenOutput& Out, int K)
{
    std::string S = "unit Chain;\n\ninterface\n\ntype\n";
    S += "  TChain00001 = class(TObject)\n  public\n    Level: Integer;\n  end;\n";
    for (int k = 2; k <= K; ++k)
        S += "  " + Numbered("TChain", k) + " = class(" + Numbered("TChain", k - 1) + ") end;\n";
    S += "\nimplementation\n\nend.\n";
    Out.Write("Chain.pas", S);
    const std::string Last = Numbered("TChain", K < 1 ? 1 : K);
    std::string M = "program Main;\n\nuses\n  Chain in 'Chain.pas';\n\nvar\n  Obj: " + Last +
                    ";\n\nbegin\n  Obj := " + Last + ".Create;\n  Obj.Level := 1;\n  Obj.Free;\nend.\n";
    Out.Write("Main.dpr", M);
}

void GenMissing(TGenOutput& Out, int K)
{
    std::vector<std::string> Names;
    for (int k = 1; k <= K; ++k)
        Names.push_back(Numbered("Missing", k));
    Out.Write("Main.dpr", MainProgram(Names, false, {}));
}

void GenIncludes(TGenOutput& Out, int K, long long Bytes)
{
    // Comment lines of 64 bytes, the last one cut to fill exactly Bytes.
    std::string Inc;
    Inc.reserve(size_t(Bytes));
    const std::string Line = "// generated include text, kept only while it is being read ...\n";
    while (static_cast<long long>(Inc.size() + Line.size()) <= Bytes)
        Inc += Line;
    if (static_cast<long long>(Inc.size()) < Bytes) {
        Inc += "//";
        Inc.append(size_t(Bytes) - Inc.size(), ' ');
        Inc.back() = '\n';
        if (Inc.size() > size_t(Bytes))
            Inc.resize(size_t(Bytes));
    }
    Out.Write("big.inc", Inc);
    std::string S = "unit Included;\n\ninterface\n\n";
    for (int k = 0; k < K; ++k)
        S += "{$I big.inc}\n";
    S += "\nconst\n  cIncluded = " + std::to_string(K) + ";\n\nimplementation\n\nend.\n";
    Out.Write("Included.pas", S);
    Out.Write("Main.dpr", MainProgram({"Included"}, true, {"cIncluded"}));
}

void GenDefines(TGenOutput& Out, int K)
{
    std::string S = "unit Defines;\n\ninterface\n\nconst\n  cFirst = 0;\n";
    for (int k = 1; k <= K; ++k) {
        const std::string D = Numbered("D", k);
        S += "{$DEFINE " + D + "}\n{$IFDEF " + D + "}\n  " + Numbered("cDefined", k) + " = " +
             std::to_string(k) + ";\n{$ENDIF}\n";
        if (k % 2 == 0) {
            const std::string Gone = Numbered("D", k / 2);
            S += "{$UNDEF " + Gone + "}\n{$IFNDEF " + Gone + "}\n  " + Numbered("cUndefined", k / 2) +
                 " = " + std::to_string(k) + ";\n{$ENDIF}\n";
        }
    }
    S += "\nimplementation\n\nend.\n";
    Out.Write("Defines.pas", S);
    Out.Write("Main.dpr", MainProgram({"Defines"}, true, {Numbered("cDefined", K)}));
}

void GenRename(TGenOutput& Out, int N, long long Lines, long long Uses)
{
    std::vector<std::string> Names;
    long long Left = Uses;
    for (int I = 0; I < N; ++I) {
        const std::string Name = Numbered("R", I);
        Names.push_back(Name);
        const long long Mine = Left / (N - I);
        Left -= Mine;
        std::string S = "unit " + Name + ";\n\ninterface\n\n";
        S += I == 0 ? "procedure Target;\n" : "uses\n  R00000;\n\n";
        S += "procedure Run" + Name + ";\n\nimplementation\n\n";
        if (I == 0)
            S += "procedure Target;\nbegin\nend;\n\n";
        S += "procedure Run" + Name + ";\nvar\n  X: Integer;\nbegin\n  X := 0;\n";
        const long long Body = std::max(Lines - 20, Mine);
        for (long long L = 0, Done = 0; L < Body; ++L)
            if (Done < Mine && (L + 1) * Mine / Body > Done) {
                S += "  Target;\n";
                ++Done;
            } else {
                S += "  X := X + 1;\n";
            }
        S += "  if X = 0 then\n    X := 1;\nend;\n\nend.\n";
        Out.Write(Name + ".pas", S);
    }
    Out.Write("Main.dpr", MainProgram(Names, true, {}));
}

void GenSweep(TGenOutput& Out, int N, int Entries)
{
    std::vector<std::string> Names;
    for (int I = 0; I < N; ++I) {
        const std::string Name = Numbered("S", I);
        Names.push_back(Name);
        std::vector<int> Used;
        for (int J = I - 1; J >= 0 && int(Used.size()) < Entries; --J)
            Used.push_back(J);
        std::string S = "unit " + Name + ";\n\ninterface\n\n";
        if (!Used.empty()) {
            S += "uses\n";
            for (size_t K = 0; K < Used.size(); ++K)
                S += "  " + Numbered("S", Used[K]) + (K + 1 < Used.size() ? ",\n" : ";\n\n");
        }
        S += "procedure P" + Name + ";\n\nimplementation\n\nprocedure P" + Name + ";\nbegin\n";
        for (size_t K = 0; K < Used.size(); K += 2)
            S += "  P" + Numbered("S", Used[K]) + ";\n";
        S += "end;\n\nend.\n";
        Out.Write(Name + ".pas", S);
    }
    Out.Write("Main.dpr", MainProgram(Names, true, {}));
}

void GenWiths(TGenOutput& Out, int Withs, int Members, long long Uses)
{
    std::string S = "unit Withs;\n\ninterface\n\ntype\n  TBig = class\n  public\n";
    for (int M = 0; M < Members; ++M)
        S += "    " + Numbered("F", M) + ": Integer;\n";
    S += "  end;\n\n";
    for (int W = 0; W < Withs; ++W)
        S += "procedure " + Numbered("W", W) + "(B: TBig);\n";
    S += "\nimplementation\n\n";
    const long long Total = Members * Uses;
    long long Next = 0;
    for (int W = 0; W < Withs; ++W) {
        S += "procedure " + Numbered("W", W) + "(B: TBig);\nbegin\n  with B do\n  begin\n";
        const long long End = (W + 1) * Total / Withs;
        for (; Next < End; ++Next)
            S += "    " + Numbered("F", int(Next % Members)) + " := " + std::to_string(Next % 97) + ";\n";
        S += "  end;\nend;\n\n";
    }
    Out.Write("Withs.pas", S + "end.\n");
    Out.Write("Main.dpr", MainProgram({"Withs"}, true, {}));
}

void GenVisibility(TGenOutput& Out, bool Protected, int N, int K)
{
    Out.Write("Shared.pas", std::string("unit Shared;\n\ninterface\n\ntype\n  TShared = class(TObject)\n  ") +
                                (Protected ? "protected" : "public") +
                                "\n    procedure Touch;\n  end;\n\nimplementation\n\n"
                                "procedure TShared.Touch;\nbegin\nend;\n\nend.\n");
    std::vector<std::string> Names{"Shared"};
    for (int U = 1; U <= N; ++U) {
        const std::string Name = Numbered("V", U);
        Names.push_back(Name);
        std::string Intf = "unit " + Name + ";\n\ninterface\n\nuses\n  Shared;\n\ntype\n";
        std::string Impl = "implementation\n\n";
        std::string Parent = "TShared";
        for (int C = 1; C <= K; ++C) {
            const std::string Class = "T" + Name + Numbered("C", C);
            Intf += "  " + Class + " = class(" + Parent + ")\n  public\n    procedure Work;\n  end;\n\n";
            Impl += "procedure " + Class + ".Work;\nbegin\n  Touch;\nend;\n\n";
            Parent = Class;
        }
        Out.Write(Name + ".pas", Intf + Impl + "end.\n");
    }
    Out.Write("Main.dpr", MainProgram(Names, true, {}));
}

bool ParseCount(const char* Text, long long Min, long long& Value)
{
    char* End = nullptr;
    Value = std::strtoll(Text, &End, 10);
    return End != Text && *End == 0 && Value >= Min;
}

int GenUsage()
{
    std::fprintf(stderr, "usage: qlbench gen project N DIR | unit LINES DIR | chain K DIR |\n"
                         "                    missing K DIR | includes K BYTES DIR | defines K DIR |\n"
                         "                    rename N LINES USES DIR | sweep N ENTRIES DIR |\n"
                         "                    withs W MEMBERS USES DIR | protected N K DIR |\n"
                         "                    public N K DIR\n");
    return 2;
}

} // namespace

int RunGen(int Argc, char** Argv)
{
    if (Argc < 4)
        return GenUsage();
    const std::string Kind = Argv[1];
    const bool Includes = Kind == "includes";
    const bool Visibility = Kind == "protected" || Kind == "public";
    const int Counts = Includes || Kind == "sweep" || Visibility ? 2
                       : Kind == "rename" || Kind == "withs" ? 3
                                                              : 1;
    if (Argc != 3 + Counts ||
        (Kind != "project" && Kind != "unit" && Kind != "chain" && Kind != "missing" && !Includes &&
         Kind != "defines" && Kind != "rename" && Kind != "sweep" && Kind != "withs" && !Visibility))
        return GenUsage();
    long long Count = 0, Bytes = 0, Third = 0;
    if (!ParseCount(Argv[2], 1, Count) || Count > 10000000 ||
        (Includes && (!ParseCount(Argv[3], 2, Bytes) || Bytes > (1LL << 32))) ||
        (!Includes && Counts > 1 && (!ParseCount(Argv[3], 1, Bytes) || Bytes > 10000000)) ||
        (Counts > 2 && (!ParseCount(Argv[4], 1, Third) || Third > 10000000))) {
        std::fprintf(stderr, "counts must be whole numbers of at least 1 (2 bytes for an include)\n");
        return 2;
    }
    TGenOutput Out;
    Out.Dir = Argv[Argc - 1];
    std::error_code Error;
    std::filesystem::create_directories(Out.Dir, Error);
    if (Error) {
        std::fprintf(stderr, "cannot create %s: %s\n", Out.Dir.string().c_str(), Error.message().c_str());
        return 1;
    }
    const int K = static_cast<int>(Count);
    if (Kind == "project")
        GenProject(Out, K);
    else if (Kind == "unit")
        GenUnit(Out, Count);
    else if (Kind == "chain")
        GenChain(Out, K);
    else if (Kind == "missing")
        GenMissing(Out, K);
    else if (Kind == "defines")
        GenDefines(Out, K);
    else if (Kind == "rename")
        GenRename(Out, K, Bytes, Third);
    else if (Kind == "sweep")
        GenSweep(Out, K, static_cast<int>(Bytes));
    else if (Kind == "withs")
        GenWiths(Out, K, static_cast<int>(Bytes), Third);
    else if (Visibility)
        GenVisibility(Out, Kind == "protected", K, static_cast<int>(Bytes));
    else
        GenIncludes(Out, K, Bytes);
    std::printf("main=%s files=%lld bytes=%lld lines=%lld\n", (Out.Dir / "Main.dpr").string().c_str(),
                Out.Files, Out.Bytes, Out.Lines);
    return Out.Failed ? 1 : 0;
}
