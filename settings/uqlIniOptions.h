// The ini file and the typed value store over it.
//
// TqlIniFile is a small private-profile file: "[Section]" headers, each
// followed by "key=value" lines. Section and key names are compared without
// regard to case; reading never creates the file; every write goes straight to
// the disk through a temporary file that replaces the old one by a rename, so
// an interrupted write never leaves half a file behind. A write reads, changes
// and replaces the file under an advisory lock (flock) on it, so writers in
// other processes or threads lose none of each other's keys. The file is
// parsed once and read again only when its size, time stamps or identity
// change; a file that is not a regular file or is larger than
// qlMaxIniFileSize is not read (a notice names it, and every key reads as its
// default), and writing to it is refused. Lines may end in LF or
// CR LF, and a UTF-8 byte-order mark is accepted and kept. A new file gets
// CR LF line ends; an existing file keeps the line end it already uses.
//
// TOptions stores values of the supported variant kinds as text and reads them
// back as the kind of the caller's default.
#pragma once

#include "base/uqlPathUtils.h"
#include "model/uqlClasses.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Writes Data to FileName through a temporary file in the same folder that
// then replaces the file, so the file is either the old or the new one, never
// half of it. Symbolic links are followed (a dangling one too: its target is
// created) and stay links; an existing file keeps its mode, and its owner and
// group as far as the writer may set them, and the new content is never open
// to anyone the old mode kept out. A file that is not a regular file, that is
// read-only for the writer, or that has more than one hard link (the other
// names would keep the old content) is refused, never replaced. Raises
// Exception naming the file on failure.
void qlWriteFileAtomically(const std::string& FileName, const std::string& Data);

// Settings files larger than this are not read.
constexpr long long qlMaxIniFileSize = 16LL << 20;

// Where notices about settings files that are not read go (a FIFO, a device,
// a file too large): to standard error unless a handler is set. Returns the
// handler it replaces; an empty handler restores the default.
using TqlIniNoticeHandler = std::function<void(const std::string& Notice)>;
TqlIniNoticeHandler qlSetIniNoticeHandler(TqlIniNoticeHandler Handler);
// Says Notice where the notices about settings files go now.
void qlIniNotice(const std::string& Notice);

// The blanks that surround names and values in an ini line: spaces, tabs and
// the other control characters.
std::string qlIniTrim(const std::string& S);

// True when Key can be written as a key name and read back as the same key
// (blanks around it aside, which the file never keeps): not empty after
// trimming, not starting with "[" or ";", no "=" and no line break.
bool qlIsStorableIniKey(const std::string& Key);

// Throws Exception with a message that names what could not be stored, when
// Key is not a storable key. What names the kind of entry ("key", "folder",
// "define", "prefix pattern", ...).
void qlCheckStorableIniKey(const std::string& Key, const std::string& What,
                           const std::string& Section, const std::string& FileName);

class TqlIniFile {
public:
    explicit TqlIniFile(std::string FileName);

    const std::string& FileName() const { return FFileName; }

    // The value of Ident in Section, or Default when the key, its section or
    // the file is missing. A key present with an empty value gives "".
    std::string ReadString(const std::string& Section, const std::string& Ident,
                           const std::string& Default) const;
    bool SectionExists(const std::string& Section) const;
    bool ValueExists(const std::string& Section, const std::string& Ident) const;

    // Replaces the value of an existing key where it stands (keeping the
    // key's spelling) or adds the key at the end of its section; a missing
    // section is added at the end of the file, a missing file is created.
    void WriteString(const std::string& Section, const std::string& Ident,
                     const std::string& Value);
    // Removes every header of Section with all its lines.
    void EraseSection(const std::string& Section);

    // The key names of Section, in file order.
    std::vector<std::string> ReadSection(const std::string& Section) const;
    // The "key=value" lines of Section, in file order.
    std::vector<std::string> ReadSectionValues(const std::string& Section) const;

    // Erases Section (every header of it, with comments and all lines) and
    // writes the given keys in order, all in one rewrite of the file. The
    // section keeps the place and spelling of its first header; a new one is
    // added at the end; with no keys it is only erased. Keys equal without
    // regard to case collapse into the first one's place with the last one's
    // value. Every key and value is checked before the file is touched.
    void ReplaceSection(const std::string& Section,
                        const std::vector<std::pair<std::string, std::string>>& Pairs);

private:
    struct TLine;
    struct TContent;
    class TLock;
    // The content as it is on disk now, from the cache when the file has
    // not changed since it was parsed.
    std::shared_ptr<const TContent> Load() const;
    // A fresh read for a change under the lock; raises where Load gives up.
    TContent LoadForUpdate() const;
    void Store(const TContent& Content) const;
    void CheckSection(const std::string& Section) const;
    void CheckKey(const std::string& Section, const std::string& Ident) const;
    void CheckValue(const std::string& Section, const std::string& Ident,
                    const std::string& Value) const;

    std::string FFileName;
    // The parsed file and what identified it when it was read.
    mutable std::shared_ptr<const TContent> FCache;
    mutable std::string FCacheStamp;
};

// The typed value store over one ini file. A value is written as the text of
// its kind and read back as the kind of the default:
//   integer  decimal text; read back as a 32-bit integer
//   double   up to 15 significant digits, "." as decimal separator
//   Boolean  "T" or "F"; only "T" reads back as true
//   string   the text itself
// Text that is not a number where the default is a number gives the default.
// An empty default cannot be read back: that raises Exception.
class TOptions {
public:
    explicit TOptions(const std::string& FileName);
    ~TOptions();
    TOptions(const TOptions&) = delete;
    TOptions& operator=(const TOptions&) = delete;

    const std::string& FileName() const;
    TqlIniFile& IniFile() { return *FIniFile; }

    Variant ReadValue(const std::string& Section, const std::string& Ident, const Variant& Default);
    Variant ReadValue(TqlIniFile& Ini, const std::string& Section, const std::string& Ident,
                      const Variant& Default);
    // Does nothing when Section or Ident is empty.
    void WriteValue(const std::string& Section, const std::string& Ident, const Variant& Value);
    void WriteValue(TqlIniFile& Ini, const std::string& Section, const std::string& Ident,
                    const Variant& Value);

    void EraseSection(const std::string& Section);
    // The section's key names, in file order.
    void ReadSection(const std::string& Section, std::vector<std::string>& Strings);
    // The section's key=value lines, in file order.
    void ReadSectionValues(const std::string& Section, std::vector<std::string>& Strings);
    // Erases the section and writes one key per line that is not blank: the
    // text before the first "=" is the key, all after it the value (empty for
    // a line without "="). Keys equal without regard to case keep the first
    // one's place and the last one's value. Nothing is written when a line
    // cannot be stored.
    void WriteSection(const std::string& Section, const std::vector<std::string>& Strings);

private:
    std::unique_ptr<TqlIniFile> FIniFile;
};
