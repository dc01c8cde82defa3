// Whole fixture projects: mixed-case file names, Windows-style paths,
// include files; each model is dumped and compared with a golden file.
#include "AnalysisTestSupport.h"

#include <functional>

namespace {

std::string KindOf(TqlSymbol* S)
{
    if (dynamic_cast<TqlInterface*>(S))
        return "interface";
    if (dynamic_cast<TqlObject*>(S))
        return "object";
    if (dynamic_cast<TqlClass*>(S))
        return "class";
    if (dynamic_cast<TqlRecord*>(S))
        return "record";
    if (dynamic_cast<TqlRoutine*>(S))
        return "routine";
    if (dynamic_cast<TqlUnit*>(S))
        return "unit";
    if (dynamic_cast<TqlEnumeration*>(S))
        return "enum";
    if (dynamic_cast<TqlSet*>(S))
        return "set";
    if (dynamic_cast<TqlArray*>(S))
        return "array";
    if (dynamic_cast<TqlProperty*>(S))
        return "property";
    if (dynamic_cast<TqlParameter*>(S))
        return "param";
    if (dynamic_cast<TqlVariable*>(S))
        return static_cast<TqlVariable*>(S)->GetIsConst() ? "const" : "var";
    if (dynamic_cast<TqlType*>(S))
        return "type";
    return "symbol";
}

const char* VisName(TVisibilityKind V)
{
    static const char* Names[] = {"none", "interface", "implementation", "public", "automated",
                                  "published", "protected", "strict protected", "private",
                                  "strict private"};
    return Names[V];
}

std::string TypeName(TqlSymbol* S)
{
    TqlSymbol* T = nullptr;
    if (auto* P = dynamic_cast<TqlParameter*>(S))
        T = P->GetParamType();
    else if (dynamic_cast<TqlVariable*>(S) || dynamic_cast<TqlType*>(S))
        T = S->GetTypeIntf();
    if (auto* A = dynamic_cast<TqlArray*>(S))
        T = A->GetArrayType();
    return T && T != S ? T->GetName() : std::string("-");
}

void DumpSymbol(std::ostringstream& Out, TqlSymbol* S, int Depth);

void DumpList(std::ostringstream& Out, const char* Title, TqlList* L, int Depth)
{
    if (!L || L->GetCount() == 0)
        return;
    Out << std::string(size_t(Depth) * 2, ' ') << Title << ":\n";
    for (int i = 0; i < L->GetCount(); ++i)
        DumpSymbol(Out, static_cast<TqlSymbol*>(L->GetItem(i)), Depth + 1);
}

void DumpSymbol(std::ostringstream& Out, TqlSymbol* S, int Depth)
{
    Out << std::string(size_t(Depth) * 2, ' ') << KindOf(S) << " " << S->GetName() << " @"
        << S->GetY() << ":" << S->GetX() << " " << VisName(S->GetVisibility()) << " type="
        << TypeName(S) << " uses=" << S->GetUsedBy()->GetCount();
    if (S->GetPointerType())
        Out << " pointer-to=" << S->GetPointerTypeName();
    if (auto* C = dynamic_cast<TqlClass*>(S)) {
        if (C->GetInheritsFromClass())
            Out << " ancestor=" << C->GetInheritsFromClass()->GetName();
        if (auto* I = dynamic_cast<TqlInterface*>(S); I && !I->GetGUID().empty())
            Out << " guid=" << I->GetGUID();
    }
    if (auto* R = dynamic_cast<TqlRoutine*>(S)) {
        Out << " kind=" << RoutineKindName[R->GetRoutineKind()]
            << " directives=" << R->GetDirectives().Bits();
        if (R->GetReturnType())
            Out << " result=" << TypeName(R->GetReturnType());
    }
    if (auto* P = dynamic_cast<TqlProperty*>(S)) {
        if (P->GetReadAccess())
            Out << " read=" << P->GetReadAccess()->GetName();
        if (P->GetWriteAccess())
            Out << " write=" << P->GetWriteAccess()->GetName();
    }
    Out << "\n";
    if (auto* C = dynamic_cast<TqlClass*>(S)) {
        DumpList(Out, "implements", C->GetInterfaces(), Depth + 1);
        DumpList(Out, "fields", C->GetFieldList(), Depth + 1);
        DumpList(Out, "methods", C->GetRoutines(), Depth + 1);
        DumpList(Out, "properties", C->GetProperties(), Depth + 1);
        return;
    }
    if (auto* R = dynamic_cast<TqlRecord*>(S)) {
        DumpList(Out, "fields", R->GetFieldList(), Depth + 1);
        return;
    }
    if (auto* E = dynamic_cast<TqlEnumerationMemberContainer*>(S)) {
        DumpList(Out, "items", E->GetItems(), Depth + 1);
        return;
    }
    if (auto* V = dynamic_cast<TqlVarContainer*>(S)) {
        if (auto* R = dynamic_cast<TqlRoutine*>(S))
            DumpList(Out, "params", R->GetParameters(), Depth + 1);
        DumpList(Out, "constants", V->GetConstants(), Depth + 1);
        DumpList(Out, "variables", V->GetVariables(), Depth + 1);
        DumpList(Out, "types", V->GetTypes(), Depth + 1);
        DumpList(Out, "routines", V->GetRoutines(), Depth + 1);
        DumpList(Out, "labels", V->GetLabels(), Depth + 1);
    }
}

std::string Relative(const std::string& Full, const std::string& Base)
{
    return Full.rfind(Base, 0) == 0 ? Full.substr(Base.size()) : Full;
}

} // namespace

std::string DumpProject(TStandInProject* Project)
{
    std::ostringstream Out;
    const std::string Base = Project->BaseFolder;
    TqlUnitList* Units = Project->GetUnits();
    for (int i = 0; i < Units->GetCount(); ++i) {
        TqlUnit* U = Units->GetUnits(i);
        TqlSourceFile* F = Project->GetFileNames()->GetItems(U->GetFileIndex());
        Out << "unit " << U->GetName() << " file=" << Relative(F->GetFullFileName(), Base)
            << (F->Exists ? "" : " (missing)") << " state=" << int(U->ParserState)
            << " warnings=" << U->Warnings.Bits() << " @" << U->GetY() << ":" << U->GetX()
            << " uses=" << U->GetUsedBy()->GetCount() << "\n";
        Out << "  used:";
        for (int j = 0; j < U->GetUsedUnits()->GetCount(); ++j)
            Out << " " << U->GetUsedUnits()->GetUsedUnit(j)->GetUnit()->GetName();
        Out << "\n";
        if (!U->FormResource.empty())
            Out << "  form=" << Relative(U->FormResource, Base) << "\n";
        DumpList(Out, "constants", U->GetConstants(), 1);
        DumpList(Out, "variables", U->GetVariables(), 1);
        DumpList(Out, "types", U->GetTypes(), 1);
        DumpList(Out, "routines", U->GetRoutines(), 1);
        DumpList(Out, "labels", U->GetLabels(), 1);
        DumpList(Out, "strings", U->GetStringLiterals(), 1);
    }
    Out << "files:\n";
    for (int i = 0; i < Project->GetFileNames()->GetCount(); ++i) {
        TqlSourceFile* F = Project->GetFileNames()->GetItems(i);
        Out << "  " << i << " " << Relative(F->GetFullFileName(), Base) << " unit=" << F->GetUnitIndex()
            << "\n";
    }
    Out << "messages:\n";
    Ref<IqlMessageList> M = Project->GetMessages();
    for (int i = 0; i < M->GetCount(); ++i) {
        Ref<IqlMessage> Msg = M->GetItems(i);
        TqlCodeLocation* L = Msg->GetCodeLocation();
        Out << "  " << Relative(L->GetFileName(), Base) << " @" << L->GetY() << ":" << L->GetX()
            << (Msg->GetInterfaceSection() ? " interface " : " ") << Msg->GetMessageText() << "\n";
    }
    return Out.str();
}

namespace {

std::string ReadFile(const std::string& Name)
{
    std::ifstream In(Name, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

// Compares the dump with the golden file; QUILLET_UPDATE_GOLDEN=1 rewrites it.
void ExpectGolden(const std::string& Dump, const std::string& GoldenName)
{
    const std::string Golden = std::string(QUILLET_TEST_DATA) + "/" + GoldenName;
    if (std::getenv("QUILLET_UPDATE_GOLDEN")) {
        std::ofstream(Golden, std::ios::binary) << Dump;
        return;
    }
    EXPECT_EQ(Dump, ReadFile(Golden)) << "golden file " << Golden;
}

} // namespace

TEST(Fixtures, Proj1MatchesGolden)
{
    TAnalysisScope P;
    P->Analyze(std::string(QUILLET_TEST_DATA) + "/Proj1/Prog.dpr", true);
    ExpectGolden(DumpProject(P.get()), "Proj1.golden");
}

TEST(Fixtures, Proj2PackageMatchesGolden)
{
    TAnalysisScope P;
    P->Analyze(std::string(QUILLET_TEST_DATA) + "/Proj2/Pkg.dpk", true);
    ExpectGolden(DumpProject(P.get()), "Proj2.golden");
}
