// Running qlcheck as a subprocess: the program is copied into a fresh folder
// of its own, so that the "projectoptions.ini" (and "options.ql") beside it
// belong to the test alone.
#pragma once

#include "tests/TestFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <csignal>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

struct TQlcheckRun {
    int ExitCode = -1;
    int Signal = 0;
    bool TimedOut = false;
    std::string Out;
    std::string Err;
};

using TCliFolder = TTestFolder;

inline std::string ReadAll(const std::string& Path)
{
    std::ifstream In(Path, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

// A copy of qlcheck in a folder of its own, with an optional
// projectoptions.ini (and options.ql) beside it.
class TQlcheck {
public:
    explicit TQlcheck(const std::optional<std::string>& ProjectOptions = std::nullopt,
                      const std::optional<std::string>& SystemOptions = std::nullopt)
    {
        FExe = FFolder.Path() + "/qlcheck";
        std::filesystem::copy_file(QLCHECK_EXE, FExe);
        if (ProjectOptions)
            FFolder.Write("projectoptions.ini", *ProjectOptions);
        if (SystemOptions)
            FFolder.Write("options.ql", *SystemOptions);
    }
    const std::string& Folder() const { return FFolder.Path(); }

    // Runs the program in folder Cwd with the arguments.
    // A run that takes longer than TimeoutSeconds is killed and marked; a
    // run with an AddressSpaceLimit (bytes) gets no more address space.
    TQlcheckRun Run(const std::vector<std::string>& Args, const std::string& Cwd,
                    int TimeoutSeconds = 0, long long AddressSpaceLimit = 0) const
    {
        const TCliFolder Capture; // of this run alone: runs may go in parallel
        const std::string OutFile = Capture.Path() + "/stdout.txt";
        const std::string ErrFile = Capture.Path() + "/stderr.txt";
        TQlcheckRun R;
        const pid_t Pid = fork();
        if (Pid == 0) {
            const int O = open(OutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int E = open(ErrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(O, 1);
            dup2(E, 2);
            if (chdir(Cwd.c_str()) != 0)
                _exit(127);
            if (AddressSpaceLimit > 0) {
                const rlimit L{rlim_t(AddressSpaceLimit), rlim_t(AddressSpaceLimit)};
                if (setrlimit(RLIMIT_AS, &L) != 0)
                    _exit(126);
            }
            std::vector<char*> Argv;
            Argv.push_back(const_cast<char*>(FExe.c_str()));
            for (const std::string& A : Args)
                Argv.push_back(const_cast<char*>(A.c_str()));
            Argv.push_back(nullptr);
            execv(FExe.c_str(), Argv.data());
            _exit(127);
        }
        int Status = 0;
        if (TimeoutSeconds > 0) {
            for (long Waited = 0;; Waited += 10) {
                if (waitpid(Pid, &Status, WNOHANG) == Pid)
                    break;
                if (Waited >= TimeoutSeconds * 1000L) {
                    kill(Pid, SIGKILL);
                    waitpid(Pid, &Status, 0);
                    R.TimedOut = true;
                    break;
                }
                usleep(10000);
            }
        } else {
            waitpid(Pid, &Status, 0);
        }
        if (WIFEXITED(Status))
            R.ExitCode = WEXITSTATUS(Status);
        if (WIFSIGNALED(Status))
            R.Signal = WTERMSIG(Status);
        R.Out = ReadAll(OutFile);
        R.Err = ReadAll(ErrFile);
        return R;
    }

private:
    TCliFolder FFolder;
    std::string FExe;
};

// Replaces every occurrence of Root in Text by Marker.
inline std::string Relativize(std::string Text, const std::string& Root, const std::string& Marker)
{
    for (size_t P = 0; (P = Text.find(Root, P)) != std::string::npos; P += Marker.size())
        Text.replace(P, Root.size(), Marker);
    return Text;
}
