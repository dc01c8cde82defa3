#include "base/uqlPathUtils.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace {

size_t LastDelimiter(const std::string& Path)
{
    for (size_t i = Path.size(); i > 0; --i)
        if (qlIsPathDelimiter(Path[i - 1]))
            return i - 1;
    return std::string::npos;
}

std::vector<std::string> SplitPath(const std::string& Path)
{
    std::vector<std::string> Parts;
    std::string Part;
    for (char C : Path) {
        if (qlIsPathDelimiter(C)) {
            if (!Part.empty())
                Parts.push_back(Part);
            Part.clear();
        } else {
            Part += C;
        }
    }
    if (!Part.empty())
        Parts.push_back(Part);
    return Parts;
}

// The names in a folder, sorted; empty when it cannot be read.
std::vector<std::string> ListFolder(const std::string& Folder)
{
    std::vector<std::string> Names;
    DIR* D = opendir(Folder.empty() ? "/" : Folder.c_str());
    if (!D)
        return Names;
    while (dirent* E = readdir(D)) {
        std::string N = E->d_name;
        if (N != "." && N != "..")
            Names.push_back(N);
    }
    closedir(D);
    std::sort(Names.begin(), Names.end());
    return Names;
}

std::string Join(const std::string& Folder, const std::string& Name)
{
    if (!Folder.empty() && Folder.back() == '/')
        return Folder + Name;
    return Folder + "/" + Name;
}

enum TWant { wFile, wFolder, wAnything };

// Whether Path is what Want asks for, with one status.
bool IsWanted(const std::string& Path, TWant Want)
{
    struct stat St;
    if (::stat(Path.c_str(), &St) != 0)
        return false;
    switch (Want) {
    case wFile: return S_ISREG(St.st_mode);
    case wFolder: return S_ISDIR(St.st_mode);
    case wAnything: return true;
    }
    return false;
}

// Walks the components; "" when some component has no match. Want selects
// what the last component must be. Listings, when given, serves the folders
// read to match a name without regard to case.
std::string Resolve(const std::string& BaseFolder, const std::string& Path, TWant Want,
                    TqlFolderListings* Listings)
{
    if (Path.empty() || qlIsForeignRootedPath(Path))
        return "";
    std::string Current;
    if (Path[0] == '/')
        Current = "/";
    else
        Current = BaseFolder.empty() ? std::string(".") : BaseFolder;
    const std::vector<std::string> Parts = SplitPath(Path);
    // Whether Current is known to be what Want asks for.
    bool Checked = false;
    for (size_t i = 0; i < Parts.size(); ++i) {
        const std::string& Part = Parts[i];
        const bool Last = i + 1 == Parts.size();
        Checked = false;
        if (Part == ".")
            continue;
        if (Part == "..") {
            Current = Join(Current, "..");
            continue;
        }
        std::string Exact = Join(Current, Part);
        std::string Match;
        auto Fits = [&](const std::string& Candidate) {
            return IsWanted(Candidate, Last ? Want : wFolder);
        };
        if (Fits(Exact)) {
            Match = std::move(Exact);
        } else {
            std::vector<std::string> Read;
            const std::vector<std::string>& Names =
                Listings ? Listings->Names(Current) : (Read = ListFolder(Current));
            for (const std::string& Name : Names) {
                if (qlSameText(Name, Part) && Fits(Join(Current, Name))) {
                    Match = Join(Current, Name);
                    break;
                }
            }
        }
        if (Match.empty())
            return "";
        Current = std::move(Match);
        Checked = Last;
    }
    if (!Checked && !IsWanted(Current, Want))
        return "";
    // Normalise: drop "." and ".." textually where the result stays valid.
    std::vector<std::string> Out;
    const bool Absolute = !Current.empty() && Current[0] == '/';
    for (const std::string& Part : SplitPath(Current)) {
        if (Part == ".")
            continue;
        if (Part == ".." && !Out.empty() && Out.back() != "..") {
            Out.pop_back();
            continue;
        }
        Out.push_back(Part);
    }
    std::string Result = Absolute ? "/" : "";
    for (size_t i = 0; i < Out.size(); ++i) {
        if (i)
            Result += '/';
        Result += Out[i];
    }
    if (Result.empty())
        Result.push_back(Absolute ? '/' : '.');
    return Result;
}

} // namespace

std::string qlExtractFileName(const std::string& Path)
{
    const size_t P = LastDelimiter(Path);
    std::string Name = P == std::string::npos ? Path : Path.substr(P + 1);
    // A bare drive prefix ("C:Foo.pas").
    if (Name.size() >= 2 && Name[1] == ':' && std::isalpha(static_cast<unsigned char>(Name[0])))
        Name = Name.substr(2);
    return Name;
}

std::string qlExtractFilePath(const std::string& Path)
{
    const size_t P = LastDelimiter(Path);
    return P == std::string::npos ? std::string() : Path.substr(0, P + 1);
}

std::string qlExtractFileExt(const std::string& Path)
{
    const std::string Name = qlExtractFileName(Path);
    const size_t Dot = Name.rfind('.');
    return Dot == std::string::npos ? std::string() : Name.substr(Dot);
}

std::string qlChangeFileExt(const std::string& Path, const std::string& Ext)
{
    const std::string Old = qlExtractFileExt(Path);
    return Path.substr(0, Path.size() - Old.size()) + Ext;
}

std::string qlExtractUnitName(const std::string& Path)
{
    const std::string Name = qlExtractFileName(Path);
    return Name.substr(0, Name.size() - qlExtractFileExt(Name).size());
}

bool qlHasFolderPart(const std::string& Path)
{
    for (char C : Path)
        if (qlIsPathDelimiter(C) || C == ':')
            return true;
    return false;
}

bool qlIsForeignRootedPath(const std::string& Path)
{
    if (Path.size() >= 2 && Path[1] == ':' && std::isalpha(static_cast<unsigned char>(Path[0])))
        return true;
    // "\\server\share" and "\Folder" (the root of the current drive).
    return !Path.empty() && Path[0] == '\\';
}

std::string qlLowerCase(const std::string& S)
{
    std::string R = S;
    for (char& C : R)
        if (C >= 'A' && C <= 'Z')
            C = char(C - 'A' + 'a');
    return R;
}

std::string qlFolderOf(const std::string& FullFileName)
{
    std::string Folder = qlExtractFilePath(FullFileName);
    return Folder.empty() ? std::string("./") : Folder;
}

std::string qlWithSlash(std::string Folder)
{
    if (Folder.empty() || Folder.back() != '/')
        Folder += '/';
    return Folder;
}

bool qlIsRegularFile(const std::string& Path)
{
    return IsWanted(Path, wFile);
}

bool qlIsFolder(const std::string& Path)
{
    return IsWanted(Path, wFolder);
}

const std::vector<std::string>& TqlFolderListings::Names(const std::string& Folder)
{
    struct stat St {};
    const bool Known = ::stat(Folder.empty() ? "/" : Folder.c_str(), &St) == 0;
    TListing& L = FFolders[Folder];
    if (Known && L.Settled && L.Device == St.st_dev && L.Node == St.st_ino &&
        L.Changed.tv_sec == St.st_mtim.tv_sec && L.Changed.tv_nsec == St.st_mtim.tv_nsec)
        return L.Names;
    timespec Now{};
    clock_gettime(CLOCK_REALTIME, &Now);
    L.Names = ListFolder(Folder);
    L.Device = St.st_dev;
    L.Node = St.st_ino;
    L.Changed = St.st_mtim;
    L.Settled = Known && Now.tv_sec - St.st_mtim.tv_sec > 1;
    return L.Names;
}

std::string qlResolveFile(const std::string& BaseFolder, const std::string& Path,
                          TqlFolderListings* Listings)
{
    return Resolve(BaseFolder, Path, wFile, Listings);
}

std::string qlResolveEntry(const std::string& BaseFolder, const std::string& Path)
{
    return Resolve(BaseFolder, Path, wAnything, nullptr);
}

std::string qlResolveFolder(const std::string& BaseFolder, const std::string& Path)
{
    return Resolve(BaseFolder, Path, wFolder, nullptr);
}

void TqlFolderIndex::AddFolder(const std::string& BaseFolder, const std::string& Folder,
                               bool IsLibrary)
{
    const std::string Resolved = qlResolveFolder(BaseFolder, Folder.empty() ? "." : Folder);
    if (Resolved.empty())
        return;
    for (const std::string& Name : ListFolder(Resolved)) {
        const std::string Full = Join(Resolved, Name);
        if (!qlIsRegularFile(Full))
            continue;
        // emplace keeps the first entry: earlier folders, then sorted order.
        FEntries.emplace(qlLowerCase(Name), TEntry{Full, IsLibrary});
    }
}

bool TqlFolderIndex::Find(const std::string& FileName, TEntry& Entry) const
{
    auto It = FEntries.find(qlLowerCase(FileName));
    if (It == FEntries.end())
        return false;
    Entry = It->second;
    return true;
}

bool qlSameText(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    for (size_t I = 0; I < A.size(); ++I)
        if (qlLowerAnsi(static_cast<unsigned char>(A[I])) != qlLowerAnsi(static_cast<unsigned char>(B[I])))
            return false;
    return true;
}

std::string qlSameTextKey(const std::string& S)
{
    std::string Key(S);
    for (char& C : Key)
        C = static_cast<char>(qlLowerAnsi(static_cast<unsigned char>(C)));
    return Key;
}

unsigned char qlLowerAnsi(unsigned char C)
{
    if (C >= 'A' && C <= 'Z')
        return static_cast<unsigned char>(C + 32);
    if (C >= 0xC0 && C <= 0xDE && C != 0xD7)
        return static_cast<unsigned char>(C + 32);
    switch (C) {
    case 0x8A: return 0x9A; // S with caron
    case 0x8C: return 0x9C; // OE
    case 0x8E: return 0x9E; // Z with caron
    case 0x9F: return 0xFF; // Y with diaeresis
    default: return C;
    }
}

std::string ExpandEnvironmentPrefix(const std::string& Folder)
{
    if (Folder.empty() || Folder[0] != '$')
        return Folder;
    const size_t Close = Folder.find(')');
    if (Folder.size() < 2 || Folder[1] != '(' || Close == std::string::npos)
        return Folder;
    const std::string Name = Folder.substr(2, Close - 2);
    const char* Value = std::getenv(Name.c_str());
    std::string V = Value ? Value : "";
    while (!V.empty() && qlIsPathDelimiter(V.back()))
        V.pop_back();
    return V + Folder.substr(Close + 1);
}
