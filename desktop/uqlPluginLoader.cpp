#include "desktop/uqlPluginLoader.h"

#include "Refactorings/uqlPlugin.h"
#include "base/qlFileLimits.h"
#include "base/uqlPathUtils.h"

#include <algorithm>
#include <climits>
#include <dlfcn.h>
#include <set>
#include <unistd.h>

namespace {

// Modules initialised and not yet finalised, in the whole process.
std::set<void*>& InitialisedModules()
{
    static std::set<void*> Modules;
    return Modules;
}

std::string Trimmed(const std::string& S)
{
    size_t B = 0;
    size_t E = S.size();
    while (B < E && static_cast<unsigned char>(S[B]) <= ' ')
        ++B;
    while (E > B && static_cast<unsigned char>(S[E - 1]) <= ' ')
        --E;
    return S.substr(B, E - B);
}

std::string RunningProgramFolder()
{
    std::string Buffer(PATH_MAX, '\0');
    const ssize_t N = ::readlink("/proc/self/exe", Buffer.data(), Buffer.size());
    if (N <= 0)
        return ".";
    Buffer.resize(static_cast<size_t>(N));
    const size_t Slash = Buffer.find_last_of('/');
    return Slash == std::string::npos ? "." : Buffer.substr(0, Slash == 0 ? 1 : Slash);
}

template <class F>
F Entry(void* Handle, const char* Name)
{
    return reinterpret_cast<F>(::dlsym(Handle, Name));
}

} // namespace

TqlPluginLoader::TqlPluginLoader(const std::string& ProgramFolder)
    : FProgramFolder(ProgramFolder.empty() ? RunningProgramFolder() : ProgramFolder)
{
}

TqlPluginLoader::~TqlPluginLoader() = default;

std::string TqlPluginLoader::ResolveEntry(const std::string& Entry) const
{
    std::string Name = Trimmed(Entry);
    if (Name.empty())
        return Name;
    std::replace(Name.begin(), Name.end(), '\\', '/');
    const std::string Ext = qlLowerCase(qlExtractFileExt(Name));
    if (Ext.empty() || Ext == ".bpl")
        Name = qlChangeFileExt(Name, ".so");
    const std::string Full = Name[0] == '/' ? Name : FProgramFolder + "/" + Name;
    const std::string Found = qlResolveFile(FProgramFolder, Name);
    return Found.empty() ? Full : Found;
}

void TqlPluginLoader::LoadAll(const std::vector<std::string>& Entries, const TOnError& OnError)
{
    for (const std::string& Entry : Entries) {
        const std::string FileName = ResolveEntry(Entry);
        if (!FileName.empty())
            LoadOne(FileName, OnError);
    }
}

void TqlPluginLoader::LoadOne(const std::string& FileName, const TOnError& OnError)
{
    const auto Fail = [&](const std::string& Text) {
        if (OnError)
            OnError(Text);
    };
    // dlopen would block on a FIFO and read a device without end: only a
    // regular file is handed to it (a missing one is left to its message).
    std::string Why;
    if (qlCheckLimitedFile(FileName, LLONG_MAX, Why) == TqlFileProblem::NotRegular) {
        Fail("Could not load plug-in, " + FileName + ": " + Why);
        return;
    }
    ::dlerror();
    void* Handle = ::dlopen(FileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!Handle) {
        const char* Why = ::dlerror();
        Fail("Could not load plug-in, " + FileName + ": " + (Why ? Why : "unknown error"));
        return;
    }
    if (InitialisedModules().count(Handle))
        return;
    const auto AbiVersion = Entry<TqlPluginAbiVersionFunc>(Handle, "qlPluginAbiVersion");
    const auto Initialize = Entry<TqlPluginInitializeFunc>(Handle, "qlPluginInitialize");
    const auto Finalize = Entry<TqlPluginFinalizeFunc>(Handle, "qlPluginFinalize");
    if (!AbiVersion || !Initialize || !Finalize) {
        Fail(FileName + " is not a Quillet plug-in.");
        return;
    }
    if (AbiVersion() != QL_PLUGIN_ABI_VERSION) {
        Fail("Plug-in, " + FileName + ", was built for another version.");
        return;
    }
    char Error[1024] = {0};
    if (Initialize(Error, sizeof Error) != 0) {
        // Whatever it managed to register goes again.
        Finalize();
        Error[sizeof Error - 1] = '\0';
        Fail(Error[0] ? std::string(Error) : "Plug-in, " + FileName + ", could not be initialised.");
        return;
    }
    InitialisedModules().insert(Handle);
    FModules.push_back(TModule{Handle, Finalize});
    FLoadedNames.push_back(FileName);
}

void TqlPluginLoader::FinalizeAll()
{
    while (!FModules.empty()) {
        const TModule Module = FModules.back();
        FModules.pop_back();
        FLoadedNames.pop_back();
        InitialisedModules().erase(Module.Handle);
        Module.Finalize();
    }
}
