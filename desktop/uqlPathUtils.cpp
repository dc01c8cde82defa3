#include "desktop/uqlPathUtils.h"

#include "base/uqlPathUtils.h"
#include "analysis/uqlProject.h"
#include "settings/uqlIniOptions.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

std::string Slashed(std::string S)
{
    std::replace(S.begin(), S.end(), '\\', '/');
    return S;
}

std::string VersionKey(int Version)
{
    return "Software\\Borland\\Delphi\\" + std::to_string(Version) + ".0\\";
}

bool IsFolderEntry(const std::string& Path, const dirent* E, bool& IsLink)
{
    IsLink = false;
    if (E->d_type == DT_DIR)
        return true;
    if (E->d_type != DT_LNK && E->d_type != DT_UNKNOWN)
        return false;
    struct stat St;
    if (lstat(Path.c_str(), &St) != 0)
        return false;
    if (S_ISDIR(St.st_mode))
        return true;
    if (!S_ISLNK(St.st_mode))
        return false;
    IsLink = true;
    return stat(Path.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

void Walk(const std::string& Folder, std::vector<std::string>& List)
{
    std::unique_ptr<DIR, int (*)(DIR*)> D(opendir(Folder.c_str()), closedir);
    if (!D)
        return;
    struct TEntry {
        std::string Name;
        bool IsLink;
    };
    std::vector<TEntry> Found;
    while (const dirent* E = readdir(D.get())) {
        const std::string Name = E->d_name;
        if (Name == "." || Name == "..")
            continue;
        bool IsLink = false;
        const std::string Path = Folder + Name;
        if (IsFolderEntry(Path, E, IsLink) && access(Path.c_str(), R_OK | X_OK) == 0)
            Found.push_back({Name, IsLink});
    }
    D.reset();
    std::sort(Found.begin(), Found.end(),
              [](const TEntry& A, const TEntry& B) { return A.Name < B.Name; });
    for (const TEntry& E : Found) {
        List.push_back(Folder + E.Name);
        if (!E.IsLink)
            Walk(Folder + E.Name + '/', List);
    }
}

} // namespace

void AddSubFolders(const std::string& Folder, std::vector<std::string>& List)
{
    std::string Start = Folder;
    if (Start.empty() || !qlIsPathDelimiter(Start.back()))
        Start += '/';
    // Below the start, names are joined with "/" whatever the start used.
    const size_t First = List.size();
    Walk(Slashed(Start), List);
    if (Start != Slashed(Start))
        for (size_t I = First; I < List.size(); ++I)
            List[I] = Start + List[I].substr(Start.size());
}

void AddFolder(std::vector<std::string>& List, const std::string& Folder)
{
    std::string F = Folder;
    if (F.empty() || !qlIsPathDelimiter(F.back()))
        F += '/';
    const std::string Key = Slashed(F);
    for (const std::string& Item : List)
        if (qlSameText(Slashed(Item), Key))
            return;
    List.push_back(F);
}

void AddFolders(std::vector<std::string>& List, const std::string& Text)
{
    size_t Start = 0;
    while (Start <= Text.size()) {
        size_t End = Text.find(';', Start);
        if (End == std::string::npos)
            End = Text.size();
        const std::string Piece = qlIniTrim(Text.substr(Start, End - Start));
        if (!Piece.empty())
            AddFolder(List, Piece);
        Start = End + 1;
    }
}

bool DelphiVersionInstalled(const TqlRegistry& Registry, int Version)
{
    return Registry.KeyExists(TqlRootKey::CurrentUser, VersionKey(Version));
}

bool DelphiVersionInstalled(int Version)
{
    return DelphiVersionInstalled(TqlRegistry::FromFile(TqlRegistry::UserFileName()), Version);
}

std::string RegReadString(TqlRootKey Root, const std::string& Key, const std::string& Name)
{
    return TqlRegistry::FromFile(TqlRegistry::UserFileName()).ReadString(Root, Key, Name);
}

std::vector<TqlLibraryPathSet> qlBuildDelphiLibraryPaths(const TqlRegistry& Registry,
                                                         const std::string& CurrentFolder)
{
    std::string Here = CurrentFolder;
    while (Here.size() > 1 && qlIsPathDelimiter(Here.back()))
        Here.pop_back();
    std::vector<TqlLibraryPathSet> Sets;
    for (int Version = 2; Version <= 7; ++Version) {
        if (!DelphiVersionInstalled(Registry, Version))
            continue;
        TqlLibraryPathSet Set;
        Set.Name = "Delphi " + std::to_string(Version) + ".0";
        const std::string Key = VersionKey(Version) + "Library";
        for (const char* Value : {"Browsing Path", "SearchPath", "Search Path"}) {
            const std::string Text = Registry.ReadString(TqlRootKey::CurrentUser, Key, Value);
            if (!Text.empty())
                AddFolders(Set.Folders, Text);
        }
        Set.Folders.push_back(Here + "/QuilletSystem");
        Sets.push_back(std::move(Set));
    }
    return Sets;
}

const std::vector<TqlLibraryPathSet>& GetDelphiLibraryPaths()
{
    static const std::vector<TqlLibraryPathSet> Cache = [] {
        std::error_code Ec;
        const std::string Here = std::filesystem::current_path(Ec).string();
        return qlBuildDelphiLibraryPaths(TqlRegistry::FromFile(TqlRegistry::UserFileName()),
                                         Ec ? std::string("/") : Here);
    }();
    return Cache;
}

std::string qlMissingFolders(const std::vector<std::string>& Lines, const std::string& BaseFolder)
{
    std::string Missing;
    for (const std::string& Line : Lines) {
        if (qlIniTrim(Line).empty())
            continue;
        if (!qlResolveFolder(BaseFolder, ExpandEnvironmentPrefix(Line)).empty())
            continue;
        if (!Missing.empty())
            Missing += '\n';
        Missing += Line;
    }
    return Missing;
}
