#include "settings/uqlIniOptions.h"

#include "base/qlException.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>

namespace {

const char* const Bom = "\xEF\xBB\xBF";

bool IsBlank(char C)
{
    return static_cast<unsigned char>(C) <= ' ';
}

bool SameName(const std::string& A, const std::string& B)
{
    return qlSameText(A, B);
}

bool HasLineBreak(const std::string& S)
{
    return S.find_first_of("\r\n") != std::string::npos;
}

std::string Quoted(const std::string& S)
{
    return "\"" + S + "\"";
}

[[noreturn]] void RaiseFileError(const std::string& Action, const std::string& FileName, int Err)
{
    throw Exception("Cannot " + Action + " the file " + Quoted(FileName) + ": " +
                    std::strerror(Err) + ".");
}

// Writes all of Data to Fd; false with errno set on failure.
bool WriteAll(int Fd, const std::string& Data)
{
    const char* P = Data.data();
    size_t Left = Data.size();
    while (Left > 0) {
        const ssize_t N = ::write(Fd, P, Left);
        if (N < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        P += N;
        Left -= static_cast<size_t>(N);
    }
    return true;
}

} // namespace

void qlWriteFileAtomically(const std::string& FileName, const std::string& Data)
{
    // Write into the real file behind a symbolic link, so the link survives.
    std::string Target = FileName;
    struct stat St {};
    if (::lstat(Target.c_str(), &St) == 0 && S_ISLNK(St.st_mode)) {
        char* Real = ::realpath(Target.c_str(), nullptr);
        if (Real) {
            Target = Real;
            std::free(Real);
        }
    }
    const bool Existed = ::stat(Target.c_str(), &St) == 0;

    std::string Temp;
    int Fd = -1;
    for (int Attempt = 0; Fd < 0; ++Attempt) {
        Temp = Target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(Attempt);
        Fd = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (Fd < 0 && (errno != EEXIST || Attempt > 100))
            RaiseFileError("write", FileName, errno);
    }
    bool Ok = WriteAll(Fd, Data);
    if (Ok && Existed)
        Ok = ::fchmod(Fd, St.st_mode & 07777) == 0;
    if (Ok)
        Ok = ::fsync(Fd) == 0;
    int Err = errno;
    if (::close(Fd) != 0 && Ok) {
        Ok = false;
        Err = errno;
    }
    if (Ok && ::rename(Temp.c_str(), Target.c_str()) != 0) {
        Ok = false;
        Err = errno;
    }
    if (!Ok) {
        ::unlink(Temp.c_str());
        RaiseFileError("write", FileName, Err);
    }
}

std::string qlIniTrim(const std::string& S)
{
    size_t B = 0;
    size_t E = S.size();
    while (B < E && IsBlank(S[B]))
        ++B;
    while (E > B && IsBlank(S[E - 1]))
        --E;
    return S.substr(B, E - B);
}

bool qlIsStorableIniKey(const std::string& Key)
{
    const std::string T = qlIniTrim(Key);
    if (T.empty() || T[0] == '[' || T[0] == ';')
        return false;
    return T.find('=') == std::string::npos && !HasLineBreak(T);
}

void qlCheckStorableIniKey(const std::string& Key, const std::string& What,
                           const std::string& Section, const std::string& FileName)
{
    if (qlIsStorableIniKey(Key))
        return;
    throw Exception("Cannot store the " + What + " " + Quoted(Key) + " in section " +
                    Quoted(Section) + " of " + Quoted(FileName) +
                    ": it is empty, begins with \"[\" or \";\", or holds \"=\" or a line break.");
}

// One line of the file as it was read (or as it will be written).
struct TqlIniFile::TLine {
    enum TKind { lkOther, lkSection, lkKey };
    std::string Text; // the line without its line end
    TKind Kind = lkOther;
    std::string Name;  // section or key name, trimmed
    std::string Value; // key value, trimmed

    static TLine Parse(std::string Text)
    {
        TLine L;
        L.Text = std::move(Text);
        const std::string T = qlIniTrim(L.Text);
        if (T.empty() || T[0] == ';')
            return L;
        if (T[0] == '[') {
            L.Kind = lkSection;
            const size_t Close = T.find(']');
            L.Name = qlIniTrim(T.substr(1, Close == std::string::npos ? std::string::npos : Close - 1));
            return L;
        }
        L.Kind = lkKey;
        const size_t Eq = T.find('=');
        if (Eq == std::string::npos) {
            L.Name = T;
        } else {
            L.Name = qlIniTrim(T.substr(0, Eq));
            L.Value = qlIniTrim(T.substr(Eq + 1));
        }
        return L;
    }
    static TLine Header(const std::string& Section) { return Parse("[" + Section + "]"); }
    static TLine Key(const std::string& Name, const std::string& Value)
    {
        return Parse(Name + "=" + Value);
    }
};

struct TqlIniFile::TContent {
    bool Exists = false;
    bool HasBom = false;
    std::string Eol = "\r\n";
    std::vector<TLine> Lines;

    std::string Serialize() const
    {
        std::string Out;
        if (HasBom)
            Out += Bom;
        for (const TLine& L : Lines) {
            Out += L.Text;
            Out += Eol;
        }
        return Out;
    }

    // Calls F(Index) for each line that belongs to a section named Section
    // (every occurrence of its header), headers excluded.
    template <class Fn>
    void ForSection(const std::string& Section, Fn F) const
    {
        bool In = false;
        for (size_t I = 0; I < Lines.size(); ++I) {
            if (Lines[I].Kind == TLine::lkSection)
                In = SameName(Lines[I].Name, Section);
            else if (In)
                F(I);
        }
    }

    bool HasSection(const std::string& Section) const
    {
        for (const TLine& L : Lines)
            if (L.Kind == TLine::lkSection && SameName(L.Name, Section))
                return true;
        return false;
    }

    // Index of the first line of Key in Section, or npos.
    size_t FindKey(const std::string& Section, const std::string& Key) const
    {
        size_t Found = std::string::npos;
        ForSection(Section, [&](size_t I) {
            if (Found == std::string::npos && Lines[I].Kind == TLine::lkKey &&
                SameName(Lines[I].Name, Key))
                Found = I;
        });
        return Found;
    }

    // Removes every line of Key in Section but the one at Keep.
    void RemoveDuplicates(const std::string& Section, const std::string& Key, size_t Keep)
    {
        std::vector<size_t> Gone;
        ForSection(Section, [&](size_t I) {
            if (I != Keep && Lines[I].Kind == TLine::lkKey && SameName(Lines[I].Name, Key))
                Gone.push_back(I);
        });
        for (auto It = Gone.rbegin(); It != Gone.rend(); ++It)
            Lines.erase(Lines.begin() + static_cast<std::ptrdiff_t>(*It));
    }

    // Where a new key of Section goes: after the last key line of its last
    // occurrence, or right after that header when it holds no key; npos when
    // the section is missing.
    size_t InsertPoint(const std::string& Section) const
    {
        size_t At = std::string::npos;
        bool In = false;
        for (size_t I = 0; I < Lines.size(); ++I) {
            if (Lines[I].Kind == TLine::lkSection) {
                In = SameName(Lines[I].Name, Section);
                if (In)
                    At = I + 1;
            } else if (In && Lines[I].Kind == TLine::lkKey) {
                At = I + 1;
            }
        }
        return At;
    }

    // Appends a header for Section at the end, after a blank line when the
    // file does not already end in one; returns the index after the header.
    size_t AppendSection(const std::string& Section)
    {
        if (!Lines.empty() && !qlIniTrim(Lines.back().Text).empty())
            Lines.push_back(TLine::Parse(std::string()));
        Lines.push_back(TLine::Header(Section));
        return Lines.size();
    }

    // Removes every occurrence of Section with all its lines; returns the
    // index where its first header stood, or npos. HeaderText receives that
    // header's line as it was written.
    size_t Erase(const std::string& Section, std::string* HeaderText = nullptr)
    {
        size_t First = std::string::npos;
        std::vector<TLine> Kept;
        Kept.reserve(Lines.size());
        bool In = false;
        for (TLine& L : Lines) {
            if (L.Kind == TLine::lkSection) {
                In = SameName(L.Name, Section);
                if (In && First == std::string::npos) {
                    First = Kept.size();
                    if (HeaderText)
                        *HeaderText = L.Text;
                }
            }
            if (!In)
                Kept.push_back(std::move(L));
        }
        Lines = std::move(Kept);
        return First;
    }
};

TqlIniFile::TqlIniFile(std::string FileName) : FFileName(std::move(FileName)) {}

TqlIniFile::TContent TqlIniFile::Load() const
{
    TContent C;
    const int Fd = ::open(FFileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return C;
        RaiseFileError("read", FFileName, errno);
    }
    std::string Data;
    char Buf[65536];
    for (;;) {
        const ssize_t N = ::read(Fd, Buf, sizeof Buf);
        if (N < 0) {
            if (errno == EINTR)
                continue;
            const int Err = errno;
            ::close(Fd);
            RaiseFileError("read", FFileName, Err);
        }
        if (N == 0)
            break;
        Data.append(Buf, static_cast<size_t>(N));
    }
    ::close(Fd);
    C.Exists = true;

    size_t Pos = 0;
    if (Data.compare(0, 3, Bom) == 0) {
        C.HasBom = true;
        Pos = 3;
    }
    const size_t FirstBreak = Data.find_first_of("\r\n", Pos);
    if (FirstBreak != std::string::npos && Data[FirstBreak] == '\n')
        C.Eol = "\n";
    while (Pos < Data.size()) {
        size_t End = Data.find_first_of("\r\n", Pos);
        if (End == std::string::npos) {
            C.Lines.push_back(TLine::Parse(Data.substr(Pos)));
            break;
        }
        C.Lines.push_back(TLine::Parse(Data.substr(Pos, End - Pos)));
        if (Data[End] == '\r' && End + 1 < Data.size() && Data[End + 1] == '\n')
            ++End;
        Pos = End + 1;
    }
    return C;
}

void TqlIniFile::Store(const TContent& Content) const
{
    qlWriteFileAtomically(FFileName, Content.Serialize());
}

void TqlIniFile::CheckSection(const std::string& Section) const
{
    const std::string T = qlIniTrim(Section);
    if (T.empty() || T.find(']') != std::string::npos || HasLineBreak(T))
        throw Exception("Cannot store the section name " + Quoted(Section) + " in " +
                        Quoted(FFileName) + ": it is empty, or holds \"]\" or a line break.");
}

void TqlIniFile::CheckKey(const std::string& Section, const std::string& Ident) const
{
    qlCheckStorableIniKey(Ident, "key", Section, FFileName);
}

void TqlIniFile::CheckValue(const std::string& Section, const std::string& Ident,
                            const std::string& Value) const
{
    if (HasLineBreak(Value))
        throw Exception("Cannot store the value of key " + Quoted(Ident) + " in section " +
                        Quoted(Section) + " of " + Quoted(FFileName) +
                        ": the value holds a line break.");
}

std::string TqlIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                   const std::string& Default) const
{
    const TContent C = Load();
    const size_t I = C.FindKey(qlIniTrim(Section), qlIniTrim(Ident));
    return I == std::string::npos ? Default : C.Lines[I].Value;
}

bool TqlIniFile::SectionExists(const std::string& Section) const
{
    return Load().HasSection(qlIniTrim(Section));
}

bool TqlIniFile::ValueExists(const std::string& Section, const std::string& Ident) const
{
    return Load().FindKey(qlIniTrim(Section), qlIniTrim(Ident)) != std::string::npos;
}

void TqlIniFile::WriteString(const std::string& Section, const std::string& Ident,
                             const std::string& Value)
{
    CheckSection(Section);
    CheckKey(Section, Ident);
    CheckValue(Section, Ident, Value);
    const std::string Sec = qlIniTrim(Section);
    const std::string Key = qlIniTrim(Ident);

    TContent C = Load();
    const std::string Before = C.Serialize();
    const size_t I = C.FindKey(Sec, Key);
    if (I != std::string::npos) {
        // Keep the key as it is spelled in the file, and its place; a line
        // whose value does not change is left exactly as it is.
        if (C.Lines[I].Value != qlIniTrim(Value))
            C.Lines[I] = TLine::Key(C.Lines[I].Name, Value);
        C.RemoveDuplicates(Sec, Key, I);
    } else {
        size_t At = C.InsertPoint(Sec);
        if (At == std::string::npos)
            At = C.AppendSection(Sec);
        C.Lines.insert(C.Lines.begin() + static_cast<std::ptrdiff_t>(At), TLine::Key(Key, Value));
    }
    if (C.Exists && C.Serialize() == Before)
        return;
    Store(C);
}

void TqlIniFile::EraseSection(const std::string& Section)
{
    TContent C = Load();
    if (C.Erase(qlIniTrim(Section)) != std::string::npos)
        Store(C);
}

std::vector<std::string> TqlIniFile::ReadSection(const std::string& Section) const
{
    const TContent C = Load();
    std::vector<std::string> Keys;
    C.ForSection(qlIniTrim(Section), [&](size_t I) {
        if (C.Lines[I].Kind == TLine::lkKey)
            Keys.push_back(C.Lines[I].Name);
    });
    return Keys;
}

std::vector<std::string> TqlIniFile::ReadSectionValues(const std::string& Section) const
{
    const TContent C = Load();
    std::vector<std::string> Lines;
    C.ForSection(qlIniTrim(Section), [&](size_t I) {
        if (C.Lines[I].Kind == TLine::lkKey)
            Lines.push_back(C.Lines[I].Name + "=" + C.Lines[I].Value);
    });
    return Lines;
}

void TqlIniFile::ReplaceSection(const std::string& Section,
                                const std::vector<std::pair<std::string, std::string>>& Pairs)
{
    CheckSection(Section);
    for (const auto& [Key, Value] : Pairs) {
        CheckKey(Section, Key);
        CheckValue(Section, Key, Value);
    }
    const std::string Sec = qlIniTrim(Section);

    // The new section's lines, equal keys collapsed into the first one's place.
    std::vector<TLine> Body;
    for (const auto& [Key, Value] : Pairs) {
        const std::string K = qlIniTrim(Key);
        bool Replaced = false;
        for (TLine& L : Body)
            if (SameName(L.Name, K)) {
                L = TLine::Key(L.Name, Value);
                Replaced = true;
                break;
            }
        if (!Replaced)
            Body.push_back(TLine::Key(K, Value));
    }

    TContent C = Load();
    const std::string Before = C.Serialize();
    const bool HadSection = C.HasSection(Sec);
    std::string HeaderText;
    size_t At = C.Erase(Sec, &HeaderText);
    if (Body.empty() && !HadSection)
        return; // nothing to erase, nothing to write
    if (Body.empty()) {
        Store(C);
        return;
    }
    // The section keeps the place of its first header; a new one goes last.
    if (At == std::string::npos) {
        At = C.AppendSection(Sec);
    } else {
        C.Lines.insert(C.Lines.begin() + static_cast<std::ptrdiff_t>(At), TLine::Parse(HeaderText));
        ++At;
        // Keep a blank line between this section and a following header.
        if (At < C.Lines.size() && C.Lines[At].Kind == TLine::lkSection)
            C.Lines.insert(C.Lines.begin() + static_cast<std::ptrdiff_t>(At), TLine::Parse(""));
    }
    C.Lines.insert(C.Lines.begin() + static_cast<std::ptrdiff_t>(At), Body.begin(), Body.end());
    if (C.Exists && C.Serialize() == Before)
        return;
    Store(C);
}

// ---------------------------------------------------------------------------
// TOptions
// ---------------------------------------------------------------------------

namespace {

std::string DoubleText(double D)
{
    char Buf[64];
    const auto R = std::to_chars(Buf, Buf + sizeof Buf, D, std::chars_format::general, 15);
    return R.ec == std::errc() ? std::string(Buf, R.ptr) : std::string("0");
}

// The text a value is stored as; empty for a value without a storable kind.
std::string ValueText(const Variant& V)
{
    switch (V.GetKind()) {
    case Variant::Kind::Integer: return std::to_string(V.AsInteger());
    case Variant::Kind::Double: return DoubleText(V.AsDouble());
    case Variant::Kind::Boolean: return V.AsBoolean() ? "T" : "F";
    case Variant::Kind::String: return V.AsString();
    case Variant::Kind::Empty: break;
    }
    return std::string();
}

bool ParseInt32(const std::string& Text, int32_t& Out)
{
    const std::string T = qlIniTrim(Text);
    const char* B = T.data();
    const char* E = B + T.size();
    if (B != E && *B == '+')
        ++B;
    if (B == E)
        return false;
    const auto R = std::from_chars(B, E, Out);
    return R.ec == std::errc() && R.ptr == E;
}

bool ParseDouble(const std::string& Text, double& Out)
{
    const std::string T = qlIniTrim(Text);
    const char* B = T.data();
    const char* E = B + T.size();
    if (B != E && *B == '+')
        ++B;
    if (B == E)
        return false;
    const auto R = std::from_chars(B, E, Out);
    return R.ec == std::errc() && R.ptr == E;
}

} // namespace

TOptions::TOptions(const std::string& FileName) : FIniFile(std::make_unique<TqlIniFile>(FileName)) {}

TOptions::~TOptions() = default;

const std::string& TOptions::FileName() const
{
    return FIniFile->FileName();
}

Variant TOptions::ReadValue(const std::string& Section, const std::string& Ident,
                            const Variant& Default)
{
    return ReadValue(*FIniFile, Section, Ident, Default);
}

Variant TOptions::ReadValue(TqlIniFile& Ini, const std::string& Section, const std::string& Ident,
                            const Variant& Default)
{
    const std::string Text = Ini.ReadString(Section, Ident, ValueText(Default));
    switch (Default.GetKind()) {
    case Variant::Kind::Integer: {
        int32_t I = 0;
        if (ParseInt32(Text, I))
            return Variant(I);
        return Default; // not a whole number: keep the default
    }
    case Variant::Kind::Double: {
        double D = 0;
        if (ParseDouble(Text, D))
            return Variant(D);
        return Default;
    }
    case Variant::Kind::Boolean: return Variant(Text == "T");
    case Variant::Kind::String: return Variant(Text);
    case Variant::Kind::Empty: break;
    }
    throw Exception("Unknown value type in section, " + Section + ", option, " + Ident + ".");
}

void TOptions::WriteValue(const std::string& Section, const std::string& Ident, const Variant& Value)
{
    WriteValue(*FIniFile, Section, Ident, Value);
}

void TOptions::WriteValue(TqlIniFile& Ini, const std::string& Section, const std::string& Ident,
                          const Variant& Value)
{
    if (Section.empty() || Ident.empty())
        return;
    Ini.WriteString(Section, Ident, ValueText(Value));
}

void TOptions::EraseSection(const std::string& Section)
{
    FIniFile->EraseSection(Section);
}

void TOptions::ReadSection(const std::string& Section, std::vector<std::string>& Strings)
{
    Strings = FIniFile->ReadSection(Section);
}

void TOptions::ReadSectionValues(const std::string& Section, std::vector<std::string>& Strings)
{
    Strings = FIniFile->ReadSectionValues(Section);
}

void TOptions::WriteSection(const std::string& Section, const std::vector<std::string>& Strings)
{
    std::vector<std::pair<std::string, std::string>> Pairs;
    Pairs.reserve(Strings.size());
    for (const std::string& Line : Strings) {
        if (qlIniTrim(Line).empty())
            continue;
        const size_t Eq = Line.find('=');
        if (Eq == std::string::npos)
            Pairs.emplace_back(Line, std::string());
        else
            Pairs.emplace_back(Line.substr(0, Eq), Line.substr(Eq + 1));
    }
    FIniFile->ReplaceSection(Section, Pairs);
}
