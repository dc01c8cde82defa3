// qlbench refactor: the plug-ins run headless over a small Delphi 7 style
// project; what the run resolved, found and wrote is on standard output.
#include "tests/TestFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const Program = "program P;\n{$APPTYPE CONSOLE}\nuses\n  UShapes;\nbegin\n  Main;\nend.\n";

const char* const Shapes = R"(unit UShapes;

interface

uses
  Windows, Classes, ULib;

const
  Limit = 10;

type
  TColour = (clRed, clGreen);
  TPoint2 = record
    X, Y: Integer;
  end;
  PPoint2 = ^TPoint2;
  TShape = class
  private
    FSize: Integer;
  public
    procedure Grow(Step: Integer);
    property Size: Integer read FSize;
  end;

procedure Main;

implementation

procedure TShape.Grow(Step: Integer);
var
  Doubled: Integer;
begin
  Doubled := Step * 2;
  FSize := FSize + Doubled;
end;

procedure Main;
label
  Done;
var
  S: TShape;
  Pt: TPoint2;
  PP: PPoint2;
  C: TColour;
begin
  S := TShape.Create;
  S.Grow(Limit);
  Pt.X := S.Size;
  PP := @Pt;
  C := clGreen;
  if C = clRed then
    goto Done;
  WriteLn(PP^.X);
Done:
  S.Free;
end;

end.
)";

// Runs qlbench in Folder and answers what it printed.
std::string RunBench(const std::string& Folder, const std::string& Args)
{
    return qlCaptureOutput("cd '" + Folder + "' && '" + QLBENCH_EXE + "' refactor " + Args + " 2>&1");
}

class QlbenchRefactor : public ::testing::Test {
protected:
    QlbenchRefactor()
    {
        Folder.Write("src/P.dpr", Program);
        Folder.Write("src/UShapes.pas", Shapes);
        Folder.Write("lib/ULib.pas", "unit ULib;\ninterface\nimplementation\nend.\n");
    }
    std::string Run(const std::string& Args)
    {
        return RunBench(Folder.Path(), Args + " --libpath '" + Folder.Path() + "/lib'");
    }
    TTestFolder Folder;
};

} // namespace

// A dotted path reaches any symbol of a unit, at any depth.
TEST_F(QlbenchRefactor, RenameResolvesDottedPaths)
{
    const std::string Unit = Folder.Path() + "/src/UShapes.pas";
    const struct {
        const char* Path;
        const char* Wanted; // what it resolved, and where
    } Cases[] = {
        {"UShapes", "unit UShapes at %s:1:6"},
        {"UShapes.TShape", "class TShape at %s:17:3"},
        {"UShapes.TShape.Grow", "method Grow at %s:21:15"},
        {"UShapes.TShape.Grow.Step", "parameter Step at %s:21:20"},
        {"UShapes.TShape.Grow.Doubled", "local variable Doubled at %s:31:3"},
        {"UShapes.TShape.FSize", "field FSize at %s:19:5"},
        {"UShapes.tshape.size", "property Size at %s:22:14"},
        {"UShapes.TPoint2", "record TPoint2 at %s:13:3"},
        {"UShapes.TPoint2.Y", "field Y at %s:14:8"},
        {"UShapes.PPoint2", "pointer type PPoint2 at %s:16:3"},
        {"UShapes.Main", "routine Main at %s:25:11"},
        {"UShapes.Main.S", "local variable S at %s:41:3"},
        {"UShapes.Main.Done", "label Done at %s:39:3"},
        {"UShapes.Limit", "constant Limit at %s:9:3"},
        {"UShapes.clGreen", "enumeration value clGreen at %s:12:21"},
        {"UShapes.TColour.clRed", "enumeration value clRed at %s:12:14"},
    };
    for (const auto& C : Cases) {
        std::string Wanted = std::string("resolved ") + C.Path + ": " + C.Wanted;
        Wanted.replace(Wanted.find("%s"), 2, Unit);
        const std::string Out = Run(std::string("rename src/P.dpr ") + C.Path + " Renamed");
        EXPECT_NE(Out.find(Wanted + "\n"), std::string::npos) << C.Path << "\n" << Out;
        EXPECT_NE(Out.find("SymbolRenamer output=" + Folder.Path() + "/Generated/{"), std::string::npos) << Out;
    }
}

TEST_F(QlbenchRefactor, RenameNamesWhatItCannotResolve)
{
    const struct {
        const char* Args;
        const char* Wanted;
    } Cases[] = {
        {"UShapes.TShape.Shrink Renamed", "UShapes.TShape.Shrink: class TShape declares no Shrink\n"},
        {"Nowhere.TShape Renamed", "Nowhere.TShape: no unit Nowhere in the project\n"},
        {"UShapes Main.Missing Renamed", "UShapes.Main.Missing: routine Main declares no Missing\n"},
    };
    for (const auto& C : Cases) {
        const std::string Out = Run(std::string("rename src/P.dpr ") + C.Args);
        EXPECT_NE(Out.find(C.Wanted), std::string::npos) << C.Args << "\n" << Out;
        EXPECT_NE(Out.find("errors=1"), std::string::npos) << Out;
    }
}

// The shipped system unit and the library path are searched, and every
// finding of the plug-ins is printed with its place.
TEST_F(QlbenchRefactor, SweepSeesTheLibraryAndPrintsTheFindings)
{
    const std::string Out = Run("sweep src/P.dpr");
    const std::string Unit = Folder.Path() + "/src/UShapes.pas";
    EXPECT_NE(Out.find("message " + Unit + ":6:12: TMultiUnitSweeper: Used unit, Classes, was not parsed; kept.\n"),
              std::string::npos)
        << Out;
    EXPECT_EQ(Out.find("has errors"), std::string::npos) << Out;
    EXPECT_NE(Out.find("TMultiUnitSweeper output=" + Folder.Path() + "/Generated/{"), std::string::npos) << Out;
    EXPECT_NE(Out.find("errors=0"), std::string::npos) << Out;
}
