// The options of the installation: the library search path and the
// refactoring options, stored in "options.ql".
#pragma once

#include "model/uqlClasses.h"

class TqlSystemOptions : public TInterfacedObject, public IqlSystemOptions {
public:
    TqlSystemOptions();

    Ref<IqlStringList> GetLibrarySearchPath() override { return FLibrarySearchPath; }
    Ref<IqlRefactorOptions> GetRefactorOptions() override { return FRefactorOptions; }
    void Load(const Ref<IqlFileSettings>& Settings) override;
    // Empties the library search path and the folder-comparison settings;
    // the package list stays.
    void LoadDefaults() override;
    // Refuses, before anything is written, a folder that cannot be stored as
    // an ini key.
    void Save(const Ref<IqlFileSettings>& Settings) override;

private:
    Ref<IqlRefactorOptions> FRefactorOptions;
    Ref<IqlStringList> FLibrarySearchPath;
};
