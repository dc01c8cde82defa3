// The open document: the name the project was opened under or will be saved
// under, whether it has unsaved changes, and the bridge to the project's
// persistence.
#pragma once

#include "analysis/uqlPersistIntf.h"

#include <string>

class TDocument {
public:
    // Stores Persist and resets it once (New).
    explicit TDocument(const Ref<IvxPersist>& Persist);

    // Resets the project; the document becomes untitled and unmodified.
    void New();
    // Loads the project from FileName; false (and nothing changed) when the
    // name is empty. Errors of the load pass to the caller.
    bool Open();
    // Loads the project from the project text Body fetched from an address.
    void OpenURL(const std::string& Address);
    // Saves the project under FileName; nothing when the name is empty.
    void Save();

    const std::string& GetFileName() const { return FFileName; }
    void SetFileName(const std::string& Value)
    {
        if (Value != FFileName)
            FFileName = Value;
    }
    bool GetModified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }
    // True when untitled or the named file is not a read-only file.
    bool CanSave() const;

private:
    std::string FFileName;
    Ref<IvxPersist> FPersist;
    bool FModified = false;
};
