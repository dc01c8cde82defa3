// The options of the installation: the library search path and the
// refactoring options, stored in "options.ql".
#pragma once

#include "model/uqlClasses.h"

class TqlSystemOptions : public TInterfacedObject, public IqlSystemOptions {
public:
    TqlSystemOptions();

    Ref<IqlStringList> GetLibrarySearchPath() override { return FLibrarySearchPath; }
    Ref<IqlRefactorOptions> GetRefactorOptions() override { return FRefactorOptions; }
    // A file that is not read (not a regular file, too large, of another
    // encoding, or one that cannot be read at all) leaves the defaults, with
    // one notice; the options then never write to that file.
    void Load(const Ref<IqlFileSettings>& Settings) override;
    // Empties the library search path and the folder-comparison settings;
    // the package list stays.
    void LoadDefaults() override;
    // Refuses, before anything is written, a folder that cannot be stored as
    // an ini key. Writes nothing to the file the last Load could not read:
    // what the user keeps there stays as it is.
    void Save(const Ref<IqlFileSettings>& Settings) override;
    // The file the last Load could not read; empty when it was read.
    const std::string& NotRead() const { return FNotRead; }

private:
    Ref<IqlRefactorOptions> FRefactorOptions;
    Ref<IqlStringList> FLibrarySearchPath;
    std::string FNotRead;
};
