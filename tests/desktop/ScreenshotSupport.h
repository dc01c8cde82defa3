// What the programs that take screenshots under a real X server share: the
// output folder from the command line, prompts answered without a user, and
// the Inventory sample as a project file.
#pragma once

#include "TestFolder.h"
#include "desktop/uqlPrompts.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QString>
#include <QStringList>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

// Answers every prompt with No and reports it.
class TSilentPrompts : public TqlPromptHandler {
public:
    TqlAnswer Answer(const QString& Text) override
    {
        std::fprintf(stderr, "prompt: %s\n", qPrintable(Text));
        return TqlAnswer::No;
    }
    QString FileName(const QString&) override { return {}; }
};

// The output folder named by the first argument, made; empty after printing
// the usage line when there is none. Chooses the X11 platform, so call it
// before the application object is made.
inline QString ScreenshotFolder(int Argc, char** Argv)
{
    if (Argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", Argv[0]);
        return {};
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    const QString Out = QString::fromLocal8Bit(Argv[1]);
    QDir().mkpath(Out);
    return Out;
}

// A project file in Folder whose file to analyse is the Inventory sample.
inline std::string WriteSampleProject(TTestFolder& Folder)
{
    const std::filesystem::path Sample = std::filesystem::path(QUILLET_SOURCE_DIR) / "samples/Inventory";
    return Folder.Write("Inventory.xml",
                        "[general]\r\nfiletoanalyze=" + (Sample / "Inventory.dpr").string() + "\r\n");
}

// What each screenshot program starts with: the output folder (Out; empty
// after the usage line when none was given, and then no application is
// made), the application on X11, and prompts answered without a user.
class TScreenshotProgram {
public:
    TScreenshotProgram(int& Argc, char** Argv) : Out(ScreenshotFolder(Argc, Argv))
    {
        if (Out.isEmpty())
            return;
        FApp.emplace(Argc, Argv);
        qlSetPromptHandler(&FPrompts);
    }
    ~TScreenshotProgram()
    {
        if (FApp)
            qlSetPromptHandler(nullptr);
    }
    TScreenshotProgram(const TScreenshotProgram&) = delete;
    TScreenshotProgram& operator=(const TScreenshotProgram&) = delete;
    const QString Out;

private:
    std::optional<QApplication> FApp;
    TSilentPrompts FPrompts;
};

// The checks of a program driven by real X input: each printed as ok or
// FAILED; the program's exit code counts the failures.
inline int gScreenshotFailures = 0;

inline void Check(bool Ok, const QString& What)
{
    std::printf("%s: %s\n", Ok ? "ok" : "FAILED", qPrintable(What));
    if (!Ok)
        ++gScreenshotFailures;
}

// The whole screen into File, once the last input has been drawn.
inline void SaveScreen(const QString& File)
{
    QTest::qWait(300);
    QGuiApplication::primaryScreen()->grabWindow(0).save(File);
    std::printf("%s\n", qPrintable(File));
}

inline bool Xdotool(const QStringList& Args) { return QProcess::execute("xdotool", Args) == 0; }
