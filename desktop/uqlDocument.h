// The open document: the name the project was opened under or will be saved
// under, whether it has unsaved changes, and the bridge to the project's
// persistence.
#pragma once

#include "analysis/uqlPersistIntf.h"

#include <string>

// The largest project file that is read.
inline constexpr std::size_t MaxProjectFileSize = 16u * 1024 * 1024;

class TDocument {
public:
    // Stores Persist and resets it once (New). WorkingFile is the settings
    // file the project itself reads and writes ("projectoptions.ini"): a file
    // that is opened is copied over it first, and a save copies it to the
    // chosen name. Empty: the project reads and writes the named file itself.
    explicit TDocument(const Ref<IvxPersist>& Persist, std::string WorkingFile = {});

    // Resets the project; the document becomes untitled and unmodified.
    void New();
    // Loads the project from FileName; false (and nothing changed) when the
    // name is empty. Raises Exception when the file cannot be read or is no
    // project file (see ReadProjectFile); nothing is changed then.
    bool Open();
    // Loads the project from Body, the text fetched from Address (the caller
    // fetches first, so a failed fetch changes nothing). Raises Exception when
    // Body is no project file. An empty address does nothing.
    void OpenURL(const std::string& Address, const std::string& Body);
    // Saves the project under FileName; nothing when the name is empty.
    // Raises Exception for a read-only file.
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
    const std::string& GetWorkingFile() const { return FWorkingFile; }

    // Empty when Data can be a project file, else the reason it is not.
    static std::string CheckProjectText(const std::string& Data);
    // Reads FileName into Data and checks it. Raises Exception with
    // "Cannot open X: reason" (also for a FIFO, a folder or a device, which
    // are never opened) or "X is not a Quillet project file (reason).".
    static void ReadProjectFile(const std::string& FileName, std::string& Data);
    // "Name is not a Quillet project file (Reason)."
    static std::string NotAProjectFile(const std::string& Name, const std::string& Reason);

private:
    void Load(const std::string& Name, const std::string& Data);

    std::string FFileName;
    Ref<IvxPersist> FPersist;
    std::string FWorkingFile;
    bool FModified = false;
};
