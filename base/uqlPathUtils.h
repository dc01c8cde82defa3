// File names of Windows projects on a POSIX file system.
//
// Paths written in project text ("..\Src\Foo.pas", "{$I ..\inc\defs.inc}",
// "*.DFM") use '\' or '/' as separators and any letter case. They are split
// on both separators and each component is matched against the folder
// entries on disk: an exact match first, then the first entry in sorted
// (byte) order whose name equals it without regard to case. Drive letters
// ("C:\...") and UNC paths ("\\server\share") cannot exist here: they are
// simply not found. Nothing here changes the current folder; relative paths
// are taken relative to a base folder given by the caller.
#pragma once


#include <sys/types.h>

#include <ctime>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

// Both separators.
inline bool qlIsPathDelimiter(char C) { return C == '\\' || C == '/'; }

// The name after the last separator ("..\Src\Foo.pas" gives "Foo.pas").
std::string qlExtractFileName(const std::string& Path);
// Everything up to and including the last separator ("" when there is none).
std::string qlExtractFilePath(const std::string& Path);
// The extension of the file name part with its dot, or "".
std::string qlExtractFileExt(const std::string& Path);
// The path with the file name's extension replaced (or added).
std::string qlChangeFileExt(const std::string& Path, const std::string& Ext);
// The file name without folder and extension ("..\Src\Foo.pas" gives "Foo").
std::string qlExtractUnitName(const std::string& Path);
// Whether the text names a folder part (holds a separator or a drive colon).
bool qlHasFolderPart(const std::string& Path);
// "$(NAME)rest": the variable's value (without a trailing delimiter) followed
// by the rest. Other texts are returned as they are.
std::string ExpandEnvironmentPrefix(const std::string& Folder);
// Drive letters and UNC or drive-rooted paths: cannot be found on this system.
bool qlIsForeignRootedPath(const std::string& Path);

// Text comparison without regard to case for 8-bit Windows-1252 text (ASCII
// letters and the accented letters of that code page).
bool qlSameText(const std::string& A, const std::string& B);
// Lower case of a Windows-1252 character: ASCII letters, the accented
// capitals C0..DE (but D7, the multiplication sign) and the three capitals
// of the 80..9F block.
unsigned char qlLowerAnsi(unsigned char C);
// The key under which qlSameText matches: equal keys, same text.
std::string qlSameTextKey(const std::string& S);

// Lower-cased copy (ASCII letters only).
std::string qlLowerCase(const std::string& S);

// The folder of an existing file, with a trailing '/'.
std::string qlFolderOf(const std::string& FullFileName);

// Folder with a trailing '/' added unless it has one.
std::string qlWithSlash(std::string Folder);

// Whether Path is an existing regular file (a folder is not a file).
bool qlIsRegularFile(const std::string& Path);
bool qlIsFolder(const std::string& Path);

// Folder listings kept for the lookups of a while (an analysis): a folder is
// read again only when it has changed since.
class TqlFolderListings {
public:
    // The names in Folder, sorted; none when it cannot be read.
    const std::vector<std::string>& Names(const std::string& Folder);

private:
    struct TListing {
        std::vector<std::string> Names;
        // The folder's identity and time of change when it was read; a
        // listing read within a second of a change is not trusted again (a
        // further change may fall in the same tick of the clock).
        dev_t Device = 0;
        ino_t Node = 0;
        timespec Changed{};
        bool Settled = false;
    };
    std::unordered_map<std::string, TListing> FFolders;
};

// Resolves Path, taken relative to BaseFolder unless it starts with '/', to
// the full name of an existing regular file, matching each component
// without regard to case. Returns "" when there is no such file. A name in
// another case is looked for in Listings' listing of its folder, if given.
std::string qlResolveFile(const std::string& BaseFolder, const std::string& Path,
                          TqlFolderListings* Listings = nullptr);
// The same for anything that exists under that name (a FIFO, a device...),
// to say why a name that is no regular file cannot be read.
std::string qlResolveEntry(const std::string& BaseFolder, const std::string& Path);
// The same for a folder; the result carries no trailing separator.
std::string qlResolveFolder(const std::string& BaseFolder, const std::string& Path);

// An index of the regular files of a list of folders: the first folder that
// holds a name (without regard to case) wins; within one folder, of several
// names that differ only in case, the first in sorted order wins.
class TqlFolderIndex {
public:
    struct TEntry {
        std::string FullFileName;
        bool IsLibrary = false;
    };
    // Lists the folder (resolved like qlResolveFolder); a missing folder adds
    // nothing.
    void AddFolder(const std::string& BaseFolder, const std::string& Folder, bool IsLibrary);
    // Looks a bare file name up without regard to case.
    bool Find(const std::string& FileName, TEntry& Entry) const;
    bool IsEmpty() const { return FEntries.empty(); }
    void Clear() { FEntries.clear(); }
    size_t Count() const { return FEntries.size(); }

private:
    std::map<std::string, TEntry> FEntries;
};
