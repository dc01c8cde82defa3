// Loads the refactoring plug-ins listed in the system options and finalises
// them at program end. Free of any toolkit: the desktop, the tests and the
// benchmark use it alike.
//
// Each entry of the list names a module: blanks around it are ignored and an
// empty entry is skipped; '\' separates folders like '/'; a name without a
// folder is looked up beside the program, a relative one from there; the
// extension ".bpl", or none, stands for ".so"; names are matched without
// regard to case. A module is opened with dlopen(RTLD_NOW | RTLD_LOCAL),
// checked for the three entry points and the plug-in interface version, and
// initialised, once per process however often it is listed. Every failure
// goes to OnError and loading goes on with the next entry. Modules are never
// closed: a plug-in that failed half way may have registered objects whose
// code lives in it.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TqlPluginLoader {
public:
    using TOnError = std::function<void(const std::string& Text)>;

    // ProgramFolder: where names without a folder are looked up; the
    // running program's folder when empty.
    explicit TqlPluginLoader(const std::string& ProgramFolder = std::string());
    ~TqlPluginLoader();
    TqlPluginLoader(const TqlPluginLoader&) = delete;
    TqlPluginLoader& operator=(const TqlPluginLoader&) = delete;

    // Loads the entries in order.
    void LoadAll(const std::vector<std::string>& Entries, const TOnError& OnError);
    // Finalises the modules this loader initialised, last first. Called after
    // the host was withdrawn and its registered references were released,
    // before qlReleaseGlobals.
    void FinalizeAll();

    // The file an entry names (see above); "" for an empty entry.
    std::string ResolveEntry(const std::string& Entry) const;
    // The modules this loader initialised, in order.
    const std::vector<std::string>& Loaded() const { return FLoadedNames; }

private:
    struct TModule {
        void* Handle;
        void (*Finalize)();
    };
    void LoadOne(const std::string& FileName, const TOnError& OnError);

    std::string FProgramFolder;
    std::vector<TModule> FModules;
    std::vector<std::string> FLoadedNames;
};
