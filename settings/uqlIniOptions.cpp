#include "settings/uqlIniOptions.h"

#include "base/qlException.h"
#include "base/qlFileLimits.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
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

} // namespace

namespace {

[[noreturn]] void RaiseRefusal(const std::string& Action, const std::string& FileName,
                               const std::string& Why)
{
    throw Exception("Cannot " + Action + " the file " + Quoted(FileName) + ": " + Why + ".");
}

bool InGroup(gid_t Gid)
{
    if (Gid == ::getegid())
        return true;
    const int N = ::getgroups(0, nullptr);
    if (N <= 0)
        return false;
    std::vector<gid_t> Groups(static_cast<size_t>(N));
    const int Got = ::getgroups(N, Groups.data());
    for (int I = 0; I < Got; ++I)
        if (Groups[static_cast<size_t>(I)] == Gid)
            return true;
    return false;
}

// Whether the mode lets this process write the file. The super-user, whom
// the system lets write anything, still keeps off a file that nobody may
// write.
bool ModeAllowsWriting(const struct stat& St)
{
    const uid_t Uid = ::geteuid();
    if (Uid == 0)
        return (St.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    if (St.st_uid == Uid)
        return (St.st_mode & S_IWUSR) != 0;
    if (InGroup(St.st_gid))
        return (St.st_mode & S_IWGRP) != 0;
    return (St.st_mode & S_IWOTH) != 0;
}

// The name behind FileName once every symbolic link is followed, a dangling
// one included: that is the file to replace or to create.
std::string FollowLinks(const std::string& FileName)
{
    std::string Target = FileName;
    for (int Hops = 0; Hops < 40; ++Hops) {
        struct stat St {};
        if (::lstat(Target.c_str(), &St) != 0 || !S_ISLNK(St.st_mode))
            return Target;
        std::string Link(static_cast<size_t>(St.st_size > 0 ? St.st_size : 4095) + 1, '\0');
        const ssize_t N = ::readlink(Target.c_str(), Link.data(), Link.size());
        if (N < 0)
            return Target;
        Link.resize(static_cast<size_t>(N));
        if (Link.empty() || Link[0] != '/') {
            const size_t Slash = Target.rfind('/');
            Link = (Slash == std::string::npos ? std::string() : Target.substr(0, Slash + 1)) + Link;
        }
        Target = Link;
    }
    RaiseFileError("write", FileName, ELOOP);
}

// Refuses a file that must not be replaced by a new one.
void CheckReplaceable(const std::string& FileName, const struct stat& St)
{
    if (!S_ISREG(St.st_mode))
        RaiseRefusal("write", FileName, qlNotRegularReason(St.st_mode));
    if (!ModeAllowsWriting(St))
        RaiseRefusal("write", FileName, "it is read-only");
    if (St.st_nlink > 1)
        RaiseRefusal("write", FileName,
                     "it has " + std::to_string(St.st_nlink) +
                         " hard links, and replacing it would leave the other names with the "
                         "old content");
}

// Makes a completed rename durable.
void SyncFolderOf(const std::string& Target)
{
    const size_t Slash = Target.rfind('/');
    const std::string Folder = Slash == std::string::npos ? "." : Target.substr(0, Slash + 1);
    const int Fd = ::open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (Fd < 0)
        return;
    ::fsync(Fd);
    ::close(Fd);
}

} // namespace

void qlWriteFileAtomically(const std::string& FileName, const std::string& Data)
{
    const std::string Target = FollowLinks(FileName);
    struct stat St {};
    bool Existed = true;
    if (::stat(Target.c_str(), &St) != 0) {
        if (errno != ENOENT)
            RaiseFileError("write", FileName, errno);
        Existed = false;
    }
    if (Existed)
        CheckReplaceable(FileName, St);

    // The new file starts with no more access than the old one allows (the
    // creation mask can only take some away), and gets the old mode, owner
    // and group before a byte of the content is written.
    const mode_t Mode = Existed ? (St.st_mode & 07777) : 0666;
    std::string Temp;
    int Fd = -1;
    for (int Attempt = 0; Fd < 0; ++Attempt) {
        Temp = Target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(Attempt);
        Fd = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, Mode & 0777);
        if (Fd < 0 && (errno != EEXIST || Attempt > 100))
            RaiseFileError("write", FileName, errno);
    }
    bool Ok = true;
    if (Existed) {
        Ok = ::fchmod(Fd, Mode) == 0;
        // Keeping the owner needs privileges; the group, membership of it.
        if (Ok && ::fchown(Fd, St.st_uid, St.st_gid) != 0)
            (void)!::fchown(Fd, static_cast<uid_t>(-1), St.st_gid);
    }
    Ok = Ok && qlWriteAll(Fd, Data.data(), Data.size());
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
    SyncFolderOf(Target);
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

    // Takes the lines of a file's bytes (which exist, even when empty).
    void Parse(const std::string& Data);

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

namespace {

TqlIniNoticeHandler& NoticeHandler()
{
    static TqlIniNoticeHandler Handler;
    return Handler;
}

void Notice(const std::string& Text)
{
    if (const TqlIniNoticeHandler& H = NoticeHandler())
        H(Text);
    else
        std::fprintf(stderr, "%s\n", Text.c_str());
}

// What tells one state of a file from another: its identity, size and time
// stamps (a replacement by rename is a new file; an edit in place moves the
// modification and change times).
std::string StampOf(const struct stat& St)
{
    return std::to_string(St.st_dev) + ":" + std::to_string(St.st_ino) + ":" +
           std::to_string(St.st_size) + ":" + std::to_string(St.st_mtim.tv_sec) + "." +
           std::to_string(St.st_mtim.tv_nsec) + ":" + std::to_string(St.st_ctim.tv_sec) + "." +
           std::to_string(St.st_ctim.tv_nsec);
}

enum class TReadResult { Missing, Refused, Read };

// Reads a settings file whole. Refused (Why says why) for anything but a
// regular file and for a file over the size limit: a FIFO would block, a
// device could be endless. Stamp identifies the state of the file as it was
// before the read, so a change during the read is seen by the next one.
// Raises Exception naming the file when it exists but cannot be read.
TReadResult ReadSettingsFile(const std::string& FileName, std::string& Data, std::string& Why,
                             std::string& Stamp)
{
    struct stat St {};
    if (::stat(FileName.c_str(), &St) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return TReadResult::Missing;
        RaiseFileError("read", FileName, errno);
    }
    Stamp = StampOf(St);
    switch (qlReadLimitedFile(FileName, qlMaxIniFileSize, Data, Why)) {
    case TqlFileProblem::None:
        // Settings files are 8-bit text: a UTF-16 file would read as empty
        // and a write would add 8-bit lines to it.
        if (Data.compare(0, 2, "\xFF\xFE") == 0 || Data.compare(0, 2, "\xFE\xFF") == 0) {
            Why = "it is encoded in UTF-16, which is not read as settings";
            return TReadResult::Refused;
        }
        return TReadResult::Read;
    case TqlFileProblem::Missing: return TReadResult::Missing;
    case TqlFileProblem::NotRegular:
    case TqlFileProblem::TooLarge: return TReadResult::Refused;
    case TqlFileProblem::Unreadable: break;
    }
    RaiseRefusal("read", FileName, Why);
}

} // namespace

void qlIniNotice(const std::string& Text) { Notice(Text); }

TqlIniNoticeHandler qlSetIniNoticeHandler(TqlIniNoticeHandler Handler)
{
    TqlIniNoticeHandler Old = std::move(NoticeHandler());
    NoticeHandler() = std::move(Handler);
    return Old;
}

void TqlIniFile::TContent::Parse(const std::string& Data)
{
    Exists = true;
    size_t Pos = 0;
    if (Data.compare(0, 3, Bom) == 0) {
        HasBom = true;
        Pos = 3;
    }
    const size_t FirstBreak = Data.find_first_of("\r\n", Pos);
    if (FirstBreak != std::string::npos && Data[FirstBreak] == '\n')
        Eol = "\n";
    while (Pos < Data.size()) {
        size_t End = Data.find_first_of("\r\n", Pos);
        if (End == std::string::npos) {
            Lines.push_back(TLine::Parse(Data.substr(Pos)));
            break;
        }
        Lines.push_back(TLine::Parse(Data.substr(Pos, End - Pos)));
        if (Data[End] == '\r' && End + 1 < Data.size() && Data[End + 1] == '\n')
            ++End;
        Pos = End + 1;
    }
}

std::shared_ptr<const TqlIniFile::TContent> TqlIniFile::Load() const
{
    struct stat St {};
    if (::stat(FFileName.c_str(), &St) == 0 && FCache && StampOf(St) == FCacheStamp)
        return FCache;
    auto C = std::make_shared<TContent>();
    std::string Data, Why, Stamp;
    switch (ReadSettingsFile(FFileName, Data, Why, Stamp)) {
    case TReadResult::Missing:
        FCache.reset();
        FCacheStamp.clear();
        return C;
    case TReadResult::Refused:
        // Said once for this state of the file; every key reads as its default.
        Notice("The settings file " + Quoted(FFileName) + " is not read: " + Why + ".");
        break;
    case TReadResult::Read:
        C->Parse(Data);
        break;
    }
    FCache = C;
    FCacheStamp = Stamp;
    return C;
}

TqlIniFile::TContent TqlIniFile::LoadForUpdate() const
{
    TContent C;
    std::string Data, Why, Stamp;
    switch (ReadSettingsFile(FFileName, Data, Why, Stamp)) {
    case TReadResult::Missing: break;
    case TReadResult::Refused: RaiseRefusal("write", FFileName, Why);
    case TReadResult::Read: C.Parse(Data); break;
    }
    return C;
}

// Holds an advisory lock on the file behind a settings file name for one
// read-modify-write. A writer that replaced the file meanwhile has left the
// lock on the old file: the lock is then taken again on the new one.
class TqlIniFile::TLock {
public:
    // With Create, a missing file is created empty so that it can be locked;
    // without, Held() tells whether there was a file to lock.
    TLock(const std::string& FileName, bool Create)
    {
        for (int Attempt = 0; Attempt < 1000; ++Attempt) {
            struct stat St {};
            if (::stat(FileName.c_str(), &St) == 0)
                CheckReplaceable(FileName, St);
            else if (errno != ENOENT && errno != ENOTDIR)
                RaiseFileError("write", FileName, errno);
            else if (!Create)
                return;
            FFd = ::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (Create ? O_CREAT : 0),
                         0666);
            if (FFd < 0) {
                if (errno == ENOENT && !Create)
                    return;
                RaiseFileError("write", FileName, errno);
            }
            struct stat Locked {};
            int Rc;
            while ((Rc = ::flock(FFd, LOCK_EX)) != 0 && errno == EINTR) {
            }
            if (Rc != 0 || ::fstat(FFd, &Locked) != 0) {
                const int Err = errno;
                Release();
                RaiseFileError("write", FileName, Err);
            }
            if (::stat(FileName.c_str(), &St) == 0 && St.st_ino == Locked.st_ino &&
                St.st_dev == Locked.st_dev)
                return;
            Release();
        }
        RaiseFileError("lock", FileName, EAGAIN);
    }
    ~TLock() { Release(); }
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;
    bool Held() const { return FFd >= 0; }

private:
    void Release()
    {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }
    int FFd = -1;
};

void TqlIniFile::Store(const TContent& Content) const
{
    FCache.reset();
    FCacheStamp.clear();
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
    const auto C = Load();
    const size_t I = C->FindKey(qlIniTrim(Section), qlIniTrim(Ident));
    return I == std::string::npos ? Default : C->Lines[I].Value;
}

bool TqlIniFile::SectionExists(const std::string& Section) const
{
    return Load()->HasSection(qlIniTrim(Section));
}

bool TqlIniFile::ValueExists(const std::string& Section, const std::string& Ident) const
{
    return Load()->FindKey(qlIniTrim(Section), qlIniTrim(Ident)) != std::string::npos;
}

void TqlIniFile::WriteString(const std::string& Section, const std::string& Ident,
                             const std::string& Value)
{
    CheckSection(Section);
    CheckKey(Section, Ident);
    CheckValue(Section, Ident, Value);
    const std::string Sec = qlIniTrim(Section);
    const std::string Key = qlIniTrim(Ident);

    const TLock Lock(FFileName, true);
    TContent C = LoadForUpdate();
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
    const TLock Lock(FFileName, false);
    if (!Lock.Held())
        return; // no file, no section
    TContent C = LoadForUpdate();
    if (C.Erase(qlIniTrim(Section)) != std::string::npos)
        Store(C);
}

std::vector<std::string> TqlIniFile::ReadSection(const std::string& Section) const
{
    const auto C = Load();
    std::vector<std::string> Keys;
    C->ForSection(qlIniTrim(Section), [&](size_t I) {
        if (C->Lines[I].Kind == TLine::lkKey)
            Keys.push_back(C->Lines[I].Name);
    });
    return Keys;
}

std::vector<std::string> TqlIniFile::ReadSectionValues(const std::string& Section) const
{
    const auto C = Load();
    std::vector<std::string> Lines;
    C->ForSection(qlIniTrim(Section), [&](size_t I) {
        if (C->Lines[I].Kind == TLine::lkKey)
            Lines.push_back(C->Lines[I].Name + "=" + C->Lines[I].Value);
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

    const TLock Lock(FFileName, !Body.empty());
    if (!Lock.Held())
        return; // no file to erase the section from
    TContent C = LoadForUpdate();
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
