#include "ModelTestSupport.h"

#include <gtest/gtest.h>

TEST(Symbols, TypeKinds)
{
    TqlType Str("String", tkString, vkInterface, -1, 0, 0, false);
    EXPECT_EQ(Str.GetTypeKind(), tkString);
    TqlArray Arr("TArr", vkInterface, -1, 0, 0);
    EXPECT_EQ(Arr.GetTypeKind(), tkArray);
    EXPECT_TRUE(Arr.TypeRequired());
    TqlClass C("TC", vkInterface, -1, 0, 0);
    EXPECT_EQ(C.GetTypeKind(), tkClass);
    EXPECT_THROW(C.SetTypeKind(tkInteger), EAssertionFailed);
    EXPECT_EQ(C.GetTypeKind(), tkClass);
    TqlObject O("TO", vkInterface, -1, 0, 0);
    EXPECT_EQ(O.GetTypeKind(), tkObject);
    EXPECT_EQ(O.GetDefaultVisibility(), vkPublic);
    EXPECT_EQ(C.GetDefaultVisibility(), vkPublished);
    TqlInterface I("IX", vkInterface, -1, 0, 0);
    EXPECT_EQ(I.GetTypeKind(), tkInterface);
    TqlRecord R("TR", vkInterface, -1, 0, 0);
    EXPECT_EQ(R.GetTypeKind(), tkRecord);
    EXPECT_THROW(R.SetTypeKind(tkInteger), EAssertionFailed);
    TqlEnumeration E("TE", vkInterface, -1, 0, 0);
    EXPECT_EQ(E.GetTypeKind(), tkEnum);
    TqlSet S("TS", vkInterface, -1, 0, 0);
    EXPECT_EQ(S.GetTypeKind(), tkSet);
    TqlSymbol Plain("P", vkPublic, tkInteger, -1, 0, 0);
    EXPECT_EQ(Plain.GetTypeKind(), tkInteger);
    Plain.SetTypeKind(tkByte);
    EXPECT_EQ(Plain.GetTypeKind(), tkByte);
    EXPECT_EQ(std::string(RoutineKindName[rkDestructor]), "Destructor");
}

TEST(Symbols, GetTypeIntfOfUntypedSymbols)
{
    TqlSymbol Plain("P", vkPublic, tkNone, -1, 0, 0);
    EXPECT_EQ(Plain.GetTypeIntf(), &Plain);
    EXPECT_FALSE(Plain.GetTypeAssigned());
    TqlType T("T", tkNone, vkInterface, -1, 0, 0, true);
    EXPECT_EQ(T.GetTypeIntf(), nullptr);
    TqlVariable V("V", vkInterface, false, -1, 0, 0);
    EXPECT_EQ(V.GetTypeIntf(), nullptr);
    TqlParameter P("A", pkConst, -1, 0, 0);
    EXPECT_EQ(P.GetTypeIntf(), nullptr);
    P.SetParamType(&T);
    EXPECT_EQ(P.GetTypeIntf(), &T);
    EXPECT_EQ(P.GetVisibility(), vkNone);
    TqlRoutine R(nullptr, "F", vkInterface, rkFunction, -1, 0, 0);
    EXPECT_EQ(R.GetTypeIntf(), nullptr);
    auto* Result = new TqlVariable("Result", vkNone, false, -1, 0, 0);
    Result->SetTypeIntf(&T);
    R.SetReturnType(Result);
    EXPECT_EQ(R.GetTypeIntf(), &T);
    TqlRecord Rec("TR", vkInterface, -1, 0, 0);
    EXPECT_EQ(Rec.GetTypeIntf(), &Rec);
    EXPECT_THROW(Rec.SetTypeIntf(&T), EAssertionFailed);
}

TEST(Symbols, TypeRequired)
{
    EXPECT_FALSE(TqlVariable("C", vkInterface, true, -1, 0, 0).TypeRequired());
    EXPECT_TRUE(TqlVariable("V", vkInterface, false, -1, 0, 0).TypeRequired());
    EXPECT_FALSE(TqlLabel("L", false, -1, 0, 0).TypeRequired());
    EXPECT_FALSE(TqlUnit(-1, "U").TypeRequired());
    EXPECT_TRUE(TqlRoutine(nullptr, "F", vkInterface, rkFunction, -1, 0, 0).TypeRequired());
    EXPECT_FALSE(TqlRoutine(nullptr, "P", vkInterface, rkProcedure, -1, 0, 0).TypeRequired());
    EXPECT_FALSE(TqlType("T", tkNone, vkInterface, -1, 0, 0, false).TypeRequired());
    TqlParameter P("A", pkVar, -1, 0, 0);
    P.SetUntypedParameter(true);
    EXPECT_FALSE(P.TypeRequired());
}

TEST(Symbols, LibraryUnitWhenOnLibraryPathOrNotFullyParsed)
{
    TqlUnit U(-1, "U");
    EXPECT_EQ(U.GetVisibility(), vkInterface);
    EXPECT_EQ(U.ParserState, psrNone);
    EXPECT_TRUE(U.Warnings.IsEmpty());
    U.ParserState = psrInterfaceParsed;
    EXPECT_TRUE(U.IsLibraryUnit()) << "only the interface was parsed";
    U.ParserState = psrFull;
    EXPECT_FALSE(U.IsLibraryUnit());
    U.SetUnitType(dtLibrary);
    EXPECT_TRUE(U.IsLibraryUnit());
    U.LoadFormResource("Main.dfm");
    EXPECT_EQ(U.FormResource, "Main.dfm");
    EXPECT_EQ(U.GetDFMResource()->GetComponents()->GetCount(), 0);
}

TEST(Symbols, MembersWithVisibilityInFieldRoutinePropertyOrder)
{
    TqlClass C("TC", vkInterface, -1, 0, 0);
    C.GetProperties()->AddProperty("PropPub", vkPublic, &C, -1, 0, 0);
    C.GetRoutines()->AddRoutine("RoutPublished", vkPublished, rkProcedure, -1, 0, 0);
    C.GetVariables()->AddVariable("FPriv", vkPrivate, false, -1, 0, 0);
    C.GetVariables()->AddVariable("FPub", vkPublic, false, -1, 0, 0);
    C.GetVariables()->AddVariable("FStrict", vkStrictPrivate, false, -1, 0, 0);
    C.GetRoutines()->AddRoutine("RoutProt", vkProtected, rkProcedure, -1, 0, 0);
    C.GetVariables()->AddVariable("FPublished", vkPublished, false, -1, 0, 0);

    std::unique_ptr<TqlSymbolList> List;
    C.GetMembersWithVisibility(List, {vkPublic, vkPublished});
    ASSERT_TRUE(List);
    EXPECT_FALSE(List->GetOwnsObjects());
    std::vector<std::string> Names;
    for (int i = 0; i < List->GetCount(); ++i)
        Names.push_back(List->GetSymbol(i)->GetName());
    EXPECT_EQ(Names, (std::vector<std::string>{"FPub", "FPublished", "RoutPublished", "PropPub"}));

    C.GetMembersWithVisibility(List, {vkStrictPrivate});
    ASSERT_EQ(List->GetCount(), 1);
    EXPECT_EQ(List->GetSymbol(0)->GetName(), "FStrict");
}

TEST(Symbols, FindContainerThroughPointersAndArrays)
{
    TqlUnit U(-1, "U");
    TqlTypesList* Types = U.GetTypes();
    TqlRecord* Rec = U.GetRecords()->AddRecord("TRec", vkInterface, -1, 0, 0);
    TqlType* PRec = Types->AddType("PRec", vkInterface, -1, 0, 0, true);
    PRec->SetPointerType(true);
    PRec->SetTypeIntf(Rec);
    TqlVariable* V = U.GetVariables()->AddVariable("V", vkInterface, false, -1, 0, 0);
    V->SetTypeIntf(PRec);
    EXPECT_EQ(V->FindContainer(), Rec);

    TqlClass* Cls = U.GetClasses()->AddClass("TThing", vkInterface, -1, 0, 0);
    TqlArray* Arr = U.GetArrays()->AddArray("TThings", vkInterface, -1, 0, 0);
    Arr->SetArrayType(Cls);
    EXPECT_THROW(Arr->SetArrayType(Rec), EAssertionFailed);
    TqlVariable* W = U.GetVariables()->AddVariable("W", vkInterface, false, -1, 0, 0);
    W->SetTypeIntf(Arr);
    EXPECT_EQ(W->FindContainer(), Cls);

    // An alias of an alias of the class.
    TqlType* A1 = Types->AddType("TAlias1", vkInterface, -1, 0, 0, true);
    TqlType* A2 = Types->AddType("TAlias2", vkInterface, -1, 0, 0, true);
    A1->SetTypeIntf(Cls);
    A2->SetTypeIntf(A1);
    TqlVariable* X = U.GetVariables()->AddVariable("X", vkInterface, false, -1, 0, 0);
    X->SetTypeIntf(A2);
    EXPECT_EQ(X->FindContainer(), Cls);

    // A predefined array type takes precedence over the declared type.
    TqlParameter P("P", pkConst, -1, 0, 0);
    P.SetParamType(Rec);
    P.SetPredefinedArrayType(Arr);
    EXPECT_EQ(P.FindContainer(), Cls);

    // A pointer to itself, and a variable without a type.
    TqlType* Self = Types->AddType("PSelf", vkInterface, -1, 0, 0, true);
    Self->SetPointerType(true);
    Self->SetTypeIntf(Self);
    TqlVariable* Y = U.GetVariables()->AddVariable("Y", vkInterface, false, -1, 0, 0);
    Y->SetTypeIntf(Self);
    EXPECT_EQ(Y->FindContainer(), nullptr);
    TqlVariable* Z = U.GetVariables()->AddVariable("Z", vkInterface, false, -1, 0, 0);
    EXPECT_EQ(Z->FindContainer(), nullptr);
    // A class variable: the class itself.
    TqlVariable* C = U.GetVariables()->AddVariable("C", vkInterface, false, -1, 0, 0);
    C->SetTypeIntf(Cls);
    EXPECT_EQ(C->FindContainer(), Cls);
}

TEST(Symbols, DefaultPropertyOfAnAncestorIsFoundFromADescendant)
{
    TqlUnit U(-1, "U");
    TqlClass* Base = U.GetClasses()->AddClass("TBase", vkInterface, -1, 0, 0);
    TqlClass* Mid = U.GetClasses()->AddClass("TMid", vkInterface, -1, 0, 0);
    TqlClass* Leaf = U.GetClasses()->AddClass("TLeaf", vkInterface, -1, 0, 0);
    Mid->SetInheritsFromClass(Base);
    Leaf->SetInheritsFromClass(Mid);
    EXPECT_THROW(Leaf->SetInheritsFromClass(Base), EAssertionFailed) << "an ancestor is set once";
    EXPECT_EQ(Leaf->GetDefaultProperty(), nullptr);
    TqlProperty* Items = Base->GetProperties()->AddProperty("Items", vkPublic, Base, -1, 0, 0);
    Items->SetIsArrayProperty(true);
    Items->SetDefaultProperty(true);
    EXPECT_TRUE(Items->GetDefaultProperty());
    EXPECT_EQ(Leaf->GetDefaultProperty(), Items);
    TqlProperty* Own = Mid->GetProperties()->AddProperty("Strings", vkPublic, Mid, -1, 0, 0);
    Own->SetDefaultProperty(true);
    EXPECT_EQ(Leaf->GetDefaultProperty(), Own) << "the nearest ancestor's default wins";
    EXPECT_EQ(Base->GetDefaultProperty(), Items);
}

TEST(Symbols, ConsistencyChecks)
{
    TqlSymbol S("S", vkPublic, tkNone, -1, 0, 0);
    EXPECT_THROW(S.SetUsedBy(nullptr), EAssertionFailed);
    try {
        S.SetUsedBy(nullptr);
    } catch (const EAssertionFailed& E) {
        EXPECT_NE(E.File().find("uqlSymbols"), std::string::npos);
    }

    TqlUnit U(-1, "U");
    TqlEnumeration* E = U.GetEnumerations()->AddItem("TColor", vkInterface, -1, 0, 0);
    E->GetItems()->AddSymbol("clRed", vkInterface, -1, 0, 0);
    TqlSet* Colors = U.GetSets()->AddItem("TColors", vkInterface, -1, 0, 0);
    Colors->SetEnumeration(E);
    Colors->SetEnumeration(E);
    EXPECT_EQ(Colors->GetItems(), E->GetItems());
    TqlSet* Own = U.GetSets()->AddItem("TOwn", vkInterface, -1, 0, 0);
    Own->GetItems()->AddSymbol("a", vkInterface, -1, 0, 0);
    EXPECT_THROW(Own->SetEnumeration(E), EAssertionFailed);
    EXPECT_EQ(Own->GetItems()->GetCount(), 1);
}

TEST(Symbols, ComparesToNeedsSameCaseAndSameLocation)
{
    TqlSymbol A("Name", vkPublic, tkNone, 1, 2, 3);
    TqlSymbol B("Name", vkPrivate, tkInteger, 1, 2, 3);
    TqlSymbol C("NAME", vkPublic, tkNone, 1, 2, 3);
    TqlSymbol D("Name", vkPublic, tkNone, 1, 2, 4);
    EXPECT_TRUE(A.ComparesTo(&B));
    EXPECT_FALSE(A.ComparesTo(&C));
    EXPECT_FALSE(A.ComparesTo(&D));
}

TEST(Symbols, RoutineIsUsedFromItsUnitsForm)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("Main");
    TqlRoutine* R = U->GetRoutines()->AddRoutine("Button1Click", vkImplementation, rkProcedure,
                                                 U->GetFileIndex(), 1, 1);
    EXPECT_EQ(R->GetRoutineList(), U->GetRoutines());
    EXPECT_FALSE(R->GetIsUsedFromDFM());
    TqlComponent* C = U->GetDFMResource()->GetComponents()->AddComponent("Form1", "TForm1");
    TqlComponent* B = C->GetChildComponents()->AddComponent("Button1", "TButton");
    TqlComponentProperty* P = B->GetProperties()->AddProperty("OnClick");
    B->GetProperties()->AddIdentifierName("BUTTON1CLICK", P);
    EXPECT_TRUE(R->GetIsUsedFromDFM());
    TqlRoutine Elsewhere(nullptr, "Button1Click", vkImplementation, rkProcedure, -1, 0, 0);
    EXPECT_FALSE(Elsewhere.GetIsUsedFromDFM()) << "a routine in no unit";
}

// The lookup paths ask a symbol's kind through its marks: for every kind of
// model object they must answer as a cast to the class would.
TEST(Symbols, KindMarksAnswerAsTheClassDoes)
{
    TqlUnit Unit(-1, "U");
    TqlClass Class("TC", vkInterface, -1, 0, 0);
    TqlRoutine* Routine = Unit.GetRoutines()->AddRoutine("P", vkInterface, rkProcedure, -1, 0, 0);
    std::vector<std::unique_ptr<TqlSymbol>> Owned;
    Owned.push_back(std::make_unique<TqlType>("S", tkString, vkInterface, -1, 0, 0, false));
    Owned.push_back(std::make_unique<TqlArray>("TArr", vkInterface, -1, 0, 0));
    Owned.push_back(std::make_unique<TqlClass>("TK", vkInterface, -1, 0, 0));
    Owned.push_back(std::make_unique<TqlObject>("TO", vkInterface, -1, 0, 0));
    Owned.push_back(std::make_unique<TqlInterface>("II", vkInterface, -1, 0, 0));
    Owned.push_back(std::make_unique<TqlRecord>("TR", vkInterface, -1, 0, 0));
    Owned.push_back(std::make_unique<TqlEnumeration>("TE", vkInterface, -1, 0, 0));
    Owned.push_back(std::make_unique<TqlVariable>("V", vkInterface, false, -1, 0, 0));
    Owned.push_back(std::make_unique<TqlProperty>("Prop", vkPublic, &Class, -1, 0, 0));
    Owned.push_back(std::make_unique<TqlParameter>("A", pkConst, -1, 0, 0));
    std::vector<TqlSymbol*> All{&Unit, Routine};
    for (const auto& S : Owned)
        All.push_back(S.get());
    for (TqlSymbol* S : All) {
        SCOPED_TRACE(S->GetName());
        EXPECT_EQ(qlAsContainer(S), dynamic_cast<TqlSymbolContainer*>(S));
        EXPECT_EQ(qlAsClass(S), dynamic_cast<TqlClass*>(S));
        EXPECT_EQ(qlAsRoutine(S), dynamic_cast<TqlRoutine*>(S));
        EXPECT_EQ(qlAsArray(S), dynamic_cast<TqlArray*>(S));
        EXPECT_EQ(qlAsProperty(S), dynamic_cast<TqlProperty*>(S));
        EXPECT_EQ(qlAsParameter(S), dynamic_cast<TqlParameter*>(S));
    }
    EXPECT_EQ(qlAsClass(nullptr), nullptr);
}
