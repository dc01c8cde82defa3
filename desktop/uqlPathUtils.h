// Library search folders for the desktop: the folder sets that Delphi
// versions 2 to 7 keep in the current user's registry, the walk that lists
// every folder below a folder, and the check of a list of search folders.
#pragma once

#include "desktop/uqlRegistry.h"

#include <string>
#include <vector>

// One "Get Defaults For..." entry: "Delphi 7.0" and its folders.
struct TqlLibraryPathSet {
    std::string Name;
    std::vector<std::string> Folders;
};

// The sets of every installed version, read from the user's registry file on
// the first call with the current folder of that moment; the same list
// afterwards, for the whole run.
const std::vector<TqlLibraryPathSet>& GetDelphiLibraryPaths();
// The sets that Registry holds, for versions 2 to 7 in turn; each ends with
// CurrentFolder (without trailing delimiter) followed by "/QuilletSystem".
std::vector<TqlLibraryPathSet> qlBuildDelphiLibraryPaths(const TqlRegistry& Registry,
                                                         const std::string& CurrentFolder);

// Appends every folder below Folder, depth first and sorted by name within a
// folder, each as Folder with a trailing delimiter followed by the path
// below it (no trailing delimiter). A symbolic link to a folder is listed
// but not walked, so links never make it loop; folders that cannot be read
// are passed over.
void AddSubFolders(const std::string& Folder, std::vector<std::string>& List);
// Splits Text at ";" and adds each trimmed, non-empty piece with AddFolder.
void AddFolders(std::vector<std::string>& List, const std::string& Text);
// Adds Folder with a trailing delimiter ("/" unless it already ends in "\"
// or "/") unless List already holds it; entries compare without regard to
// case, "\" and "/" alike.
void AddFolder(std::vector<std::string>& List, const std::string& Folder);

// Whether "Software\Borland\Delphi\<Version>.0\" exists under the current
// user's key.
bool DelphiVersionInstalled(const TqlRegistry& Registry, int Version);
bool DelphiVersionInstalled(int Version);
// The value's text, or "" when the key or value is missing.
std::string RegReadString(TqlRootKey Root, const std::string& Key, const std::string& Name);

// The lines of Lines whose folder does not exist, as written, one per line;
// "" when every folder exists. Blank lines are passed over. Each line gets
// its leading "$(VAR)" expanded as the analysis does and is taken relative
// to BaseFolder unless absolute, matched without regard to case, "\"
// accepted as a separator.
std::string qlMissingFolders(const std::vector<std::string>& Lines, const std::string& BaseFolder);
