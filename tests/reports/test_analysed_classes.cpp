// Ridizo Dedu checks on destructors, virtual routines, public fields and
// implemented interfaces, on units the real analysis builds.
#include "AnalysedProject.h"

namespace {

class AnalysedClasses : public ::testing::Test {
protected:
    TAnalysedProject P;

    void Run(const std::string& Interface, const std::string& Implementation = "")
    {
        P.Write("Main.pas", UnitText("Main", Interface, Implementation));
        P.Analyze("Main.pas");
    }
    Strings With(const std::string& Part) { return P.Lint(Part); }
};

const char* const Bodies =
    "destructor TBare.Destroy;\nbegin\nend;\n\n"
    "destructor TGood.Destroy;\nbegin\n  inherited;\nend;\n\n"
    "destructor TVirt.Destroy;\nbegin\n  inherited;\nend;\n\n"
    "destructor TTwo.Destroy;\nbegin\n  inherited;\nend;\n\n"
    "destructor TTwo.Done;\nbegin\nend;\n";

} // namespace

TEST_F(AnalysedClasses, Destructors)
{
    Run("type\n"
        "  TBare = class\n  public\n    destructor Destroy;\n  end;\n"
        "  TGood = class\n  public\n    destructor Destroy; override;\n  end;\n"
        "  TVirt = class(TGood)\n  public\n    destructor Destroy; virtual;\n  end;\n"
        "  TTwo = class\n  public\n    destructor Destroy; override;\n    destructor Done;\n  end;\n",
        Bodies);
    EXPECT_EQ(With("must be declared as override"),
              (Strings{"Main|TBare|Destructor must be declared as override: Destroy",
                       "Main|TVirt|Destructor must be declared as override: Destroy",
                       "Main|TTwo|Destructor must be declared as override: Done"}));
    EXPECT_EQ(With("should not be declared as virtual"),
              (Strings{"Main|TVirt|Destructor should not be declared as virtual: Destroy"}));
    EXPECT_EQ(With("Too many destructors"), (Strings{"Main|TTwo|Too many destructors declared (2)"}));
}

TEST_F(AnalysedClasses, VirtualDestructorWithoutAncestorClassIsAllowed)
{
    // A class with no ancestor clause still descends from TObject; without a
    // known TObject the analysis gives it no ancestor class.
    Run("type\n  TRoot = class\n  public\n    destructor Destroy; virtual;\n  end;\n",
        "destructor TRoot.Destroy;\nbegin\nend;\n");
    EXPECT_TRUE(With("should not be declared as virtual").empty());
}

TEST_F(AnalysedClasses, RootClassHasNoDestructorToOverride)
{
    // The class that roots the hierarchy introduces the virtual destructor;
    // any other class without an ancestor still descends from it.
    Run("type\n  TObject = class\n  public\n    destructor Destroy; virtual;\n  end;\n"
        "  TRoot = class\n  public\n    destructor Destroy;\n  end;\n",
        "destructor TObject.Destroy;\nbegin\nend;\n\ndestructor TRoot.Destroy;\nbegin\nend;\n");
    EXPECT_EQ(With("must be declared as override"),
              (Strings{"Main|TRoot|Destructor must be declared as override: Destroy"}));
}

TEST_F(AnalysedClasses, PublicFields)
{
    Run("type\n  TRec = class\n  private\n    FHidden: Integer;\n  public\n    FShown: Integer;\n"
        "  published\n    FPub: Integer;\n  end;\n");
    EXPECT_EQ(With("declared as public"), (Strings{"Main|TRec|Field is declared as public: FShown"}));
}

TEST_F(AnalysedClasses, VirtualRoutinesWithNoDescendants)
{
    Run("type\n"
        "  TBase = class\n  public\n    procedure Lonely; virtual;\n    procedure Shared; virtual;\n"
        "    procedure Dyn; dynamic;\n  end;\n"
        "  TChild = class(TBase)\n  public\n    procedure Shared; override;\n  end;\n",
        "procedure TBase.Lonely;\nbegin\nend;\n\nprocedure TBase.Shared;\nbegin\nend;\n\n"
        "procedure TBase.Dyn;\nbegin\nend;\n\nprocedure TChild.Shared;\nbegin\nend;\n");
    EXPECT_EQ(With("no descendants"), (Strings{"Main|TBase|Virtual routine has no descendants: Lonely",
                                               "Main|TBase|Virtual routine has no descendants: Dyn"}));
}

TEST_F(AnalysedClasses, AncestorInterfaceNotImplemented)
{
    Run("type\n"
        "  IBase = interface\n    ['{00000000-0000-0000-0000-000000000001}']\n    procedure A;\n  end;\n"
        "  IDerived = interface(IBase)\n    ['{00000000-0000-0000-0000-000000000002}']\n    procedure B;\n  end;\n"
        "  TPartial = class(TObject, IDerived)\n  public\n    procedure A;\n    procedure B;\n  end;\n"
        "  TFull = class(TObject, IBase, IDerived)\n  public\n    procedure A;\n    procedure B;\n  end;\n",
        "procedure TPartial.A;\nbegin\nend;\n\nprocedure TPartial.B;\nbegin\nend;\n\n"
        "procedure TFull.A;\nbegin\nend;\n\nprocedure TFull.B;\nbegin\nend;\n");
    EXPECT_EQ(With("does not implement"),
              (Strings{"Main|TPartial|Class does not implement interface IBase, from which IDerived is "
                       "descending"}));
}

TEST_F(AnalysedClasses, SameRoutineImplementingTwoInterfaces)
{
    Run("type\n"
        "  IReader = interface\n    ['{00000000-0000-0000-0000-000000000011}']\n    procedure Open;\n"
        "    procedure Read;\n  end;\n"
        "  IWriter = interface\n    ['{00000000-0000-0000-0000-000000000012}']\n    procedure Open;\n"
        "    procedure Write;\n  end;\n"
        "  TFile = class(TObject, IReader, IWriter)\n  public\n    procedure Open;\n    procedure Read;\n"
        "    procedure Write;\n  end;\n",
        "procedure TFile.Open;\nbegin\nend;\n\nprocedure TFile.Read;\nbegin\nend;\n\n"
        "procedure TFile.Write;\nbegin\nend;\n");
    EXPECT_EQ(With("Ambiguous"),
              (Strings{"Main|TFile|Ambiguous routine naming : Open is declared in IReader and IWriter"}));
}
