// Read-only access to the per-user registry that Windows programs installed
// under Wine keep in "$WINEPREFIX/user.reg" (default "~/.wine/user.reg").
//
// Only HKEY_CURRENT_USER exists here. Key names are compared without regard
// to case, and "\" ends every path component ("Software\Borland\" and
// "Software\Borland" name the same key). A key exists when the file holds it
// or any key below it. Values are read as text: plain strings and
// expandable strings ("str(2):"); the escapes \\ and \" are undone and
// every other character is kept as written. Lines that cannot be read are
// passed over; a missing or unreadable file is an empty registry.
#pragma once

#include <map>
#include <string>

enum class TqlRootKey { CurrentUser, LocalMachine };

class TqlRegistry {
public:
    // An empty registry.
    TqlRegistry() = default;
    // Reads the file at once; the file is not kept open.
    static TqlRegistry FromFile(const std::string& FileName);
    static TqlRegistry FromText(const std::string& Text);
    // "$WINEPREFIX/user.reg", or "$HOME/.wine/user.reg" when WINEPREFIX is
    // unset or empty.
    static std::string UserFileName();

    bool KeyExists(TqlRootKey Root, const std::string& Key) const;
    // The value's text; "" when the key or the value is missing or the value
    // is not a string.
    std::string ReadString(TqlRootKey Root, const std::string& Key, const std::string& Name) const;

    int KeyCount() const { return static_cast<int>(FKeys.size()); }

private:
    // Lower-cased key path without trailing "\" -> (lower-cased value name -> text).
    std::map<std::string, std::map<std::string, std::string>> FKeys;
};
