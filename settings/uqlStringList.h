// The reference-counted string list that the whole system passes around.
#pragma once

#include "model/uqlClasses.h"

#include <functional>
#include <string>
#include <vector>

// Puts plain text on the clipboard. QuilletCore has no clipboard of its own;
// the desktop program sets this at start-up. While it is unset,
// CopyToClipboard does nothing.
extern std::function<void(const std::string& Text)> gqlClipboardSetText;

// Unsorted, duplicates allowed; IndexOf compares without regard to case.
class TqlStringList : public TInterfacedObject, public IqlStringList {
public:
    TqlStringList() = default;

    int Add(const std::string& S) override;
    void Clear() override;
    void CopyToClipboard() override;
    int GetCount() override;
    // Raises EListError for an index outside 0..Count-1.
    std::string GetString(int Index) override;
    // Every line followed by CR LF.
    std::string GetText() override;
    // Writes GetText to the file, creating or replacing it.
    void SaveToFile(const std::string& FileName) override;
    // The lines of Value; a line ends at CR, LF or CR LF.
    void SetText(const std::string& Value) override;
    int IndexOf(const std::string& S) override;

    const std::vector<std::string>& Lines() const { return FLines; }
    void SetLines(std::vector<std::string> Lines) { FLines = std::move(Lines); }

private:
    std::vector<std::string> FLines;
};

// The lines of a list (an empty vector for nil).
std::vector<std::string> qlListLines(const Ref<IqlStringList>& List);
// Replaces the lines of List by Lines.
void qlSetListLines(const Ref<IqlStringList>& List, const std::vector<std::string>& Lines);
