#include "Refactorings/UnitSweeper/uUnitSweeper.h"

#include "base/uqlPathUtils.h"

#include <cctype>
#include <set>
#include <tuple>

namespace {

const char* const UnitHasErrors = "Unit, %s, has errors.";
const char* const UnitHasUnresolvedNames =
    "Unit, %s, has names the analysis could not resolve, the first of them %s at line %s, column %s.";
const char* const UnitNotFound = "Unit, %s, not found in project.";
const char* const UsedUnitNotFound = "Used unit, %s, not found in project.";
const char* const UsedUnitErrors =
    "Refactoring cancelled since used unit, %s, has errors in its interface.";
const char* const NoImplementation = "Implementation section not found.";
const char* const NoUsesToken = "Uses token not found.";
const char* const NotParsed = "Used unit, %s, was not parsed; kept.";
const char* const UsesDirectives = "Uses clause holds compiler directives; not changed.";
const char* const MaybeInactive = "Used unit, %s, may be used in inactive code; kept.";
const char* const HasInitializationSection = "Removed unit, %s, has an initialization section.";

// The units a uses list names, in order; those the project does not know
// are left out.
std::vector<TqlUnit*> ListedUnits(const TqlUsesListNode* List)
{
    std::vector<TqlUnit*> Units;
    for (int I = 0; List && I < List->Count(); ++I)
        if (qlIsToken(List->GetNode(I), ptIdentifier))
            if (TqlUnit* U = gqlProject->GetUnits()->FindUnit(
                    static_cast<const TqlTokenNode*>(List->GetNode(I))->GetCode(false)))
                Units.push_back(U);
    return Units;
}

// The unit of Order, searched first to last, whose own declarations hold
// Name as Unit sees them; nil when none does.
TqlUnit* FirstDeclaring(const std::vector<TqlUnit*>& Order, TqlUnit* Unit, const std::string& Name)
{
    for (TqlUnit* U : Order)
        if (U != Unit && U->FindSymbol(Unit, nullptr, Name))
            return U;
    return nullptr;
}

// Text that conditional compilation left out lies in the directive node
// before it (after the directive's own closing bracket) or in a junk node
// that holds more than blanks and line breaks.
void CollectInactiveWords(const TqlNode* Node, std::unordered_set<std::string>& Words)
{
    if (auto* Junk = dynamic_cast<const TqlJunkNode*>(Node)) {
        if (!Junk->IsWhiteSpaceOnly())
            qlAddWords(Junk->Code(), Words);
        return;
    }
    if (auto* Directive = dynamic_cast<const TqlDirectiveNode*>(Node)) {
        const std::string& Text = Directive->Code();
        const size_t Close = Text.rfind("*)", 0) == 0 || Text.rfind("(*", 0) == 0
                                 ? Text.find("*)")
                                 : Text.find('}');
        if (Close != std::string::npos)
            qlAddWords(Text.substr(Close + 1), Words);
        return;
    }
    for (int I = 0; I < Node->Count(); ++I)
        CollectInactiveWords(Node->GetNode(I), Words);
}

TqlNode* JunkAfter(const TqlNode* Node)
{
    const TqlNode* Parent = Node->Parent();
    const int Index = Node->GetIndex();
    if (Index + 1 < Parent->Count() && qlIsJunk(Parent->GetNode(Index + 1)))
        return Parent->GetNode(Index + 1);
    return nullptr;
}

TqlNode* JunkBefore(const TqlNode* Node)
{
    const TqlNode* Parent = Node->Parent();
    const int Index = Node->GetIndex();
    if (Index >= 1 && qlIsJunk(Parent->GetNode(Index - 1)))
        return Parent->GetNode(Index - 1);
    return nullptr;
}

void FreeIfAny(TqlNode* Node)
{
    if (Node)
        Node->Free();
}

} // namespace

int TUnitsToBeRemovedList::Add(std::unique_ptr<TUnitToBeRemoved> Item)
{
    FItems.push_back(std::move(Item));
    return Count() - 1;
}

void TUnitsToBeRemovedList::Delete(int Index)
{
    FItems.erase(FItems.begin() + Index);
}

int TUnitsToBeRemovedList::IndexOf(const TqlCodeLocation* Location) const
{
    for (int I = 0; I < Count(); ++I)
        if (FItems[size_t(I)]->Unit->GetFileIndex() == Location->GetFileIndex())
            return I;
    return -1;
}

TqlUnitSweeper::TqlUnitSweeper(TqlUnit* Unit, TqlModuleNode* Tree, TqlMessageSink Sink,
                               bool RemoveAllUnusedUnits, bool MoveUsedUnitsToImplementation)
    : FUnit(Unit), FTree(Tree), FSink(std::move(Sink)), FRemoveAll(RemoveAllUnusedUnits),
      FMoveUsed(MoveUsedUnitsToImplementation), FLeaves(Tree, TqlUseIndex(Unit).Points())
{
}

bool TqlUnitSweeper::Run()
{
    FChanged = false;
    FCancelled = false;
    if (FUnit->GetUnitType() != dtProject)
        return false;
    if (!FUnit->Warnings.IsEmpty()) {
        // Without a syntax problem the findings are names the analysis could
        // not resolve: what they name, the sweep cannot tell.
        TqlCodeNode* Name = FUnit->AnalysedToEnd ? FirstUnresolvedName() : nullptr;
        if (Name) {
            const TPoint P = Name->GetPoint();
            std::string Text = qlFormat(qlFormat(UnitHasUnresolvedNames, FUnit->GetName()), Name->Code());
            Text = qlFormat(qlFormat(Text, std::to_string(P.Y)), std::to_string(P.X));
            Post(Text, P.X, P.Y);
        } else {
            Post(qlFormat(UnitHasErrors, FUnit->GetName()), FUnit->GetX(), FUnit->GetY());
        }
        return false;
    }
    if (!FTree) {
        Post(qlFormat(UnitNotFound, FUnit->GetName()), FUnit->GetX(), FUnit->GetY());
        return false;
    }
    CollectInactiveWords(FTree, FInactiveWords);
    ReadBindings();
    if (auto* Interface = FTree->GetFirstNodeClass<TqlInterfaceSectionNode>()) {
        ProcessUsesList(Interface->GetFirstNodeClass<TqlUsesListNode>(), true);
        if (FCancelled)
            return false;
        if (auto* Implementation = FTree->GetFirstNodeClass<TqlImplementationSectionNode>())
            ProcessUsesList(Implementation->GetFirstNodeClass<TqlUsesListNode>(), false);
    } else {
        ProcessUsesList(FTree->GetFirstNodeClass<TqlUsesListNode>(), false);
    }
    return FChanged && !FCancelled;
}

void TqlUnitSweeper::ProcessUsesList(TqlUsesListNode* List, bool InterfaceMode)
{
    if (!List)
        return;
    // The clause from "uses" to its ";".
    bool Directives = qlHoldsDirective(List);
    const TqlNode* Parent = List->Parent();
    const int ListIndex = List->GetIndex();
    for (int I = ListIndex - 1; I >= 0 && !Directives && !qlIsToken(Parent->GetNode(I), ptUses); --I)
        Directives = qlHoldsDirective(Parent->GetNode(I));
    for (int I = ListIndex + 1;
         I < Parent->Count() && !Directives && !qlIsToken(Parent->GetNode(I), ptSemiColon); ++I)
        Directives = qlHoldsDirective(Parent->GetNode(I));
    if (Directives) {
        Post(UsesDirectives, List->GetPoint().X, List->GetPoint().Y);
        return;
    }
    // Identifiers of the list, token identifiers included.
    std::vector<TqlTokenNode*> Entries;
    for (int I = 0; I < List->Count(); ++I)
        if (qlIsToken(List->GetNode(I), ptIdentifier))
            Entries.push_back(static_cast<TqlTokenNode*>(List->GetNode(I)));

    TUnitsToBeRemovedList Candidates;
    for (auto It = Entries.rbegin(); It != Entries.rend(); ++It) {
        TqlTokenNode* Entry = *It;
        const std::string Name = Entry->GetCode(false);
        TqlUnit* Used = gqlProject->GetUnits()->FindUnit(Name);
        if (!Used) {
            Post(qlFormat(UsedUnitNotFound, Name), Entry->GetPoint().X, Entry->GetPoint().Y);
            break;
        }
        if (Used->Warnings.Contains(uwInterface)) {
            Post(qlFormat(UsedUnitErrors, Used->GetName()), Used->GetX(), Used->GetY());
            FCancelled = true;
            return;
        }
        // A unit that was not parsed has no symbols and only looks unused.
        if (!TqlRefactoring::SourceFileOf(Used) || Used->ParserState == psrNone) {
            Post(qlFormat(NotParsed, Name), Entry->GetPoint().X, Entry->GetPoint().Y);
            continue;
        }
        int Usage = 0;
        const bool IsUsed = GetUnitUsage(Used, InterfaceMode, Usage);
        if (IsUsed && !(InterfaceMode && (Usage == 0 || Usage == 4)))
            continue;
        // A name that text left out by conditional compilation may use.
        bool Inactive = FInactiveWords.count(qlLowerCase(Name)) > 0;
        for (int I = 0; I < Used->GetSymbolCount() && !Inactive; ++I)
            Inactive = FInactiveWords.count(qlLowerCase(Used->GetSymbol(I)->GetName())) > 0;
        if (Inactive) {
            Post(qlFormat(MaybeInactive, Name), Entry->GetPoint().X, Entry->GetPoint().Y);
            continue;
        }
        auto Candidate = std::make_unique<TUnitToBeRemoved>();
        Candidate->Usage = IsUsed ? Usage : 0;
        Candidate->Unit = Used;
        Candidate->Node = Entry;
        Candidates.Add(std::move(Candidate));
    }
    if (InterfaceMode && !FRemoveAll)
        KeepFormUnits(Candidates);
    KeepBindings(Candidates, InterfaceMode);
    for (int I = 0; I < Candidates.Count(); ++I) {
        TUnitToBeRemoved* C = Candidates.Item(I);
        if (!InterfaceMode || C->Usage == 0) {
            if (HasInitialization(C->Unit))
                Post(qlFormat(HasInitializationSection, C->Unit->GetName()), C->Node->GetPoint().X,
                     C->Node->GetPoint().Y);
            DeleteUsesEntry(C->Node);
        } else if (FMoveUsed) {
            const std::string Name = C->Node->GetCode(false);
            const bool WasChanged = FChanged;
            FChanged = false;
            MoveToImplementationUses(Name);
            // Only an entry that arrived in the implementation leaves.
            if (FChanged)
                DeleteUsesEntry(C->Node);
            FChanged = FChanged || WasChanged;
        }
    }
}

TqlCodeNode* TqlUnitSweeper::FirstUnresolvedName() const
{
    if (!FTree || FUnit->GetUnresolvedNames().empty())
        return nullptr;
    return qlFirstUnresolvedName(FUnit, FTree, TqlUseIndex(FUnit));
}

bool TqlUnitSweeper::GetUnitUsage(TqlUnit* Used, bool InterfaceMode, int& Usage)
{
    Usage = 0;
    bool Found = false;
    const int OwnFile = FUnit->GetFileIndex();
    TqlDFMResource* Form = FUnit->GetDFMResource();
    const int FormFile = Form ? Form->GetFileIndex() : -2;
    for (int S = 0; S < Used->GetSymbolCount(); ++S) {
        TqlUsedByList* UsedBy = Used->GetSymbol(S)->GetUsedBy();
        for (int L = 0; L < UsedBy->GetCount(); ++L) {
            TqlUsedByLocation* Use = UsedBy->GetLocations(L);
            int Flag = 0;
            if (Use->GetFileIndex() == OwnFile) {
                if (!InterfaceMode)
                    return Usage = 4, true;
                TqlCodeNode* Node = FLeaves.Find(Use->GetX(), Use->GetY());
                // A place the tree does not know is taken as the interface's.
                Flag = !Node || Node->ParentedBy(typeid(TqlInterfaceSectionNode)) ? 2 : 4;
            } else if (Use->GetFileIndex() >= 0 && Use->GetFileIndex() != FormFile &&
                       Use->GetUnitIntf() == FUnit) {
                // A use in one of the unit's include files.
                if (!InterfaceMode)
                    return Usage = 4, true;
                Flag = 2;
            } else {
                continue;
            }
            Found = true;
            Usage |= Flag;
            if (Usage == 6)
                return true;
        }
    }
    return Found;
}

void TqlUnitSweeper::ReadBindings()
{
    FBindings.clear();
    const int OwnFile = FUnit->GetFileIndex();
    TqlDFMResource* Form = FUnit->GetDFMResource();
    const int FormFile = Form ? Form->GetFileIndex() : -2;
    std::set<std::tuple<std::string, TqlUnit*, bool, bool>> Seen;
    TqlList* Uses = FUnit->GetUsedByLocations();
    for (int I = 0; I < Uses->GetCount(); ++I) {
        auto* Use = static_cast<TqlUsedByLocation*>(Uses->GetItem(I));
        if (Use->GetFileIndex() < 0 || Use->GetFileIndex() == FormFile)
            continue;
        TqlSymbol* Symbol = Use->GetUsedByList()->GetSymbol();
        TqlUnit* Declaring = Symbol ? Symbol->GetUnitIntf() : nullptr;
        if (!Declaring || Declaring == FUnit || Symbol == Declaring)
            continue;
        TBinding B;
        B.Name = Symbol->GetName();
        B.Declaring = Declaring;
        B.FileIndex = Use->GetFileIndex();
        B.X = Use->GetX();
        B.Y = Use->GetY();
        B.InInterface = B.AfterInterface = true;
        if (B.FileIndex == OwnFile) {
            // The tree has not changed yet.
            TqlCodeNode* Node = FLeaves.FindUnchanged(B.X, B.Y);
            // A name after a "." is found through what stands before it.
            if (Node && Node->Parent())
                if (TqlTokenNode* Prior = Node->GetPriorPeerTokenNode(ptUnknown, true);
                    Prior && Prior->TokenKind() == ptPoint)
                    continue;
            if (Node) {
                B.InInterface = Node->ParentedBy(typeid(TqlInterfaceSectionNode));
                B.AfterInterface = !B.InInterface;
            }
        }
        if (Seen.insert({qlLowerCase(B.Name), Declaring, B.InInterface, B.AfterInterface}).second)
            FBindings.push_back(std::move(B));
    }
}

void TqlUnitSweeper::KeepBindings(TUnitsToBeRemovedList& Candidates, bool InterfaceMode)
{
    if (Candidates.Count() == 0 || FBindings.empty())
        return;
    TqlUsesListNode* InterfaceList = nullptr;
    if (auto* Interface = FTree->GetFirstNodeClass<TqlInterfaceSectionNode>())
        InterfaceList = Interface->GetFirstNodeClass<TqlUsesListNode>();
    TqlUsesListNode* ImplementationList = nullptr;
    if (auto* Implementation = FTree->GetFirstNodeClass<TqlImplementationSectionNode>())
        ImplementationList = Implementation->GetFirstNodeClass<TqlUsesListNode>();
    else if (!InterfaceList)
        ImplementationList = FTree->GetFirstNodeClass<TqlUsesListNode>();
    const std::vector<TqlUnit*> Interface = ListedUnits(InterfaceList);
    const std::vector<TqlUnit*> Implementation = ListedUnits(ImplementationList);
    // The names after the interface see the implementation's uses first,
    // and of each clause its last unit first.
    auto Order = [](const std::vector<TqlUnit*>& Intf, const std::vector<TqlUnit*>& Impl, bool After) {
        std::vector<TqlUnit*> Result;
        if (After)
            Result.assign(Impl.rbegin(), Impl.rend());
        Result.insert(Result.end(), Intf.rbegin(), Intf.rend());
        return Result;
    };
    for (bool Again = true; Again;) {
        Again = false;
        // The clauses as the candidates would leave them: moved units go
        // ahead of the implementation's own, in their order.
        std::set<TqlUnit*> Moved, Removed;
        for (int I = 0; I < Candidates.Count(); ++I) {
            TUnitToBeRemoved* C = Candidates.Item(I);
            if (!InterfaceMode || C->Usage == 0)
                Removed.insert(C->Unit);
            else if (FMoveUsed)
                Moved.insert(C->Unit);
        }
        std::vector<TqlUnit*> NewInterface, NewImplementation;
        for (TqlUnit* U : Interface)
            if (InterfaceMode && Moved.count(U))
                NewImplementation.push_back(U);
            else if (!InterfaceMode || !Removed.count(U))
                NewInterface.push_back(U);
        for (TqlUnit* U : Implementation)
            if (InterfaceMode || !Removed.count(U))
                NewImplementation.push_back(U);
        for (const TBinding& B : FBindings) {
            for (const bool After : {false, true}) {
                if (!(After ? B.AfterInterface : B.InInterface))
                    continue;
                TqlUnit* Was = FirstDeclaring(Order(Interface, Implementation, After), FUnit, B.Name);
                // Only a name that the uses lookup finds is bound by the
                // order of the clauses.
                if (Was != B.Declaring)
                    continue;
                TqlUnit* Would = FirstDeclaring(Order(NewInterface, NewImplementation, After), FUnit, B.Name);
                if (Would == Was)
                    continue;
                TqlUnit* Holds = Moved.count(Would) ? Would : Was;
                int Index = -1;
                for (int I = 0; I < Candidates.Count() && Index < 0; ++I)
                    if (Candidates.Item(I)->Unit == Holds)
                        Index = I;
                if (Index < 0)
                    continue;
                TUnitToBeRemoved* C = Candidates.Item(Index);
                const std::string Where =
                    B.FileIndex == FUnit->GetFileIndex()
                        ? std::string()
                        : " of " + qlExtractFileName(gqlProject->GetFileNames()->GetItems(B.FileIndex)->GetFullFileName());
                Post("Used unit, " + Holds->GetName() + ", kept where it is: " + B.Name + " at line " +
                         std::to_string(B.Y) + ", column " + std::to_string(B.X) + Where +
                         " would then name " + (Would ? Would->GetName() + "." + B.Name : "nothing") +
                         " instead of " + Was->GetName() + "." + B.Name + ".",
                     C->Node->GetPoint().X, C->Node->GetPoint().Y);
                Candidates.Delete(Index);
                Again = true;
                break;
            }
            if (Again)
                break;
        }
    }
}

void TqlUnitSweeper::KeepFormUnits(TUnitsToBeRemovedList& Candidates)
{
    std::set<TqlUnit*> Seen;
    TqlUnit* Unit = FUnit;
    while (Unit && Seen.insert(Unit).second) {
        TqlDFMResource* Form = Unit->GetDFMResource();
        if (!Form || Form->GetComponents()->GetCount() == 0)
            return;
        TqlComponent* Top = Form->GetComponents()->GetComponents(0);
        TqlClass* FormClass = Unit->GetClasses()->Find(Top->GetCClassName());
        if (!FormClass)
            return;
        auto KeepClass = [&](TqlClass* Class) {
            std::set<TqlClass*> Chain;
            for (; Class && Chain.insert(Class).second; Class = Class->GetInheritsFromClass()) {
                TqlCodeLocation Where(Class->GetFileIndex(), 0, 0);
                for (int I = Candidates.IndexOf(&Where); I >= 0; I = Candidates.IndexOf(&Where))
                    Candidates.Delete(I);
            }
        };
        std::function<void(TqlComponent*)> KeepChildren = [&](TqlComponent* Component) {
            TqlComponentList* Children = Component->GetChildComponents();
            for (int I = 0; I < Children->GetCount(); ++I) {
                TqlComponent* Child = Children->GetComponents(I);
                if (TqlSymbol* Member = FormClass->FindSymbol(Unit, FormClass, Child->GetName()))
                    if (auto* Type = dynamic_cast<TqlClass*>(Member->GetTypeIntf()))
                        KeepClass(Type);
                KeepChildren(Child);
            }
        };
        KeepClass(FormClass);
        KeepChildren(Top);
        TqlClass* Ancestor = FormClass->GetInheritsFromClass();
        if (!Top->GetIsInherited() || !Ancestor || Ancestor->GetFileIndex() == Unit->GetFileIndex())
            return;
        TqlSourceFile* File = gqlProject->GetFileNames()->GetItems(Ancestor->GetFileIndex());
        Unit = File ? File->GetUnitIntf() : nullptr;
    }
}

bool TqlUnitSweeper::HasInitialization(TqlUnit* Used)
{
    if (!TqlRefactoring::SourceFileOf(Used))
        return false;
    TqlModuleNode Tree;
    try {
        TqlNodeBuilder Builder(&Tree, "", GlobalKeyHashTable, GlobalDirectiveHash);
        Builder.Run(Used->GetFullFileName(), nullptr);
    } catch (const std::exception&) {
        return false;
    }
    // The section opens with "initialization" or "begin" after the
    // implementation section.
    bool AfterImplementation = false;
    for (int I = 0; I < Tree.Count(); ++I) {
        TqlNode* Child = Tree.GetNode(I);
        if (dynamic_cast<TqlImplementationSectionNode*>(Child))
            AfterImplementation = true;
        else if (AfterImplementation &&
                 (qlIsToken(Child, ptInitialization) || qlIsToken(Child, ptBegin)))
            return true;
    }
    // The builder may keep the section inside the implementation node.
    if (auto* Impl = Tree.GetFirstNodeClass<TqlImplementationSectionNode>())
        for (int I = 0; I < Impl->Count(); ++I)
            if (qlIsToken(Impl->GetNode(I), ptInitialization) || qlIsToken(Impl->GetNode(I), ptBegin))
                return true;
    return false;
}

void TqlUnitSweeper::DeleteUsesEntry(TqlTokenNode* Identifier)
{
    FChanged = true;
    TqlNode* List = Identifier->Parent();
    if (TqlTokenNode* Comma = Identifier->GetNextPeerTokenNode(ptComma, true);
        Comma && Identifier->GetNextPeerTokenNode(ptUnknown, true) == Comma) {
        FreeIfAny(JunkAfter(Comma));
        Comma->Free();
    } else {
        FreeIfAny(JunkAfter(Identifier));
    }
    int Entries = 0;
    for (int I = 0; I < List->Count(); ++I)
        if (qlIsToken(List->GetNode(I), ptIdentifier))
            ++Entries;
    if (Entries == 1) {
        FreeIfAny(JunkBefore(List));
        TqlNode* Parent = List->Parent();
        const int Index = List->GetIndex();
        if (Index >= 1 && qlIsToken(Parent->GetNode(Index - 1), ptUses)) {
            TqlNode* Uses = Parent->GetNode(Index - 1);
            FreeIfAny(JunkBefore(Uses));
            Uses->Free();
        }
        const int After = List->GetIndex() + 1;
        if (After < Parent->Count() && qlIsToken(Parent->GetNode(After), ptSemiColon))
            Parent->GetNode(After)->Free();
        List->Free();
        return;
    }
    if (!Identifier->GetNextPeerTokenNode(ptIdentifier, true))
        if (TqlTokenNode* Comma = Identifier->GetPriorPeerTokenNode(ptComma, true)) {
            FreeIfAny(JunkAfter(Comma));
            Comma->Free();
        }
    Identifier->Free();
}

void TqlUnitSweeper::MoveToImplementationUses(const std::string& UnitName)
{
    auto* Section = FTree->GetFirstNodeClass<TqlImplementationSectionNode>();
    if (!Section) {
        Post(NoImplementation, FUnit->GetX(), FUnit->GetY());
        return;
    }
    if (auto* List = Section->GetFirstNodeClass<TqlUsesListNode>()) {
        TqlTokenNode* Uses = List->GetPriorPeerTokenNode(ptUses, true);
        if (!Uses) {
            Post(NoUsesToken, List->GetPoint().X, List->GetPoint().Y);
            return;
        }
        TqlNode* Junk = JunkAfter(Uses);
        const std::string Gap = Junk ? static_cast<TqlCodeNode*>(Junk)->DoGetCode() : "";
        int First = 0;
        while (First < List->Count() && !qlIsToken(List->GetNode(First), ptIdentifier))
            ++First;
        TqlIdentifierNode::Create(List, UnitName, ptIdentifier, First);
        TqlTokenNode::Create(List, ",", ptComma, First + 1);
        TqlJunkNode::Create(List, Gap, First + 2);
        FChanged = true;
        return;
    }
    int Position = -1;
    for (int I = 0; I < Section->Count(); ++I)
        if (auto* Directive = dynamic_cast<TqlDirectiveNode*>(Section->GetNode(I))) {
            if (qlSameName(Directive->Code(), "{$R *.DFM}"))
                Position = I;
            break;
        }
    if (Position < 0)
        if (TqlTokenNode* Word = Section->GetFirstTokenNode(ptImplementation))
            Position = Word->GetIndex();
    if (Position + 1 < Section->Count() && qlIsJunk(Section->GetNode(Position + 1)))
        ++Position;
    int At = Position + 1;
    TqlTokenNode::Create(Section, "uses", ptUses, At++);
    TqlJunkNode::Create(Section, " ", At++);
    auto* List = TqlUsesListNode::Create(Section, TPoint{-1, -1}, -1, At++);
    TqlTokenNode::Create(Section, ";", ptSemiColon, At++);
    TqlJunkNode::Create(Section, "\r\n\r\n", At++);
    TqlIdentifierNode::Create(List, UnitName, ptIdentifier, 0);
    FChanged = true;
}

// ---------------------------------------------------------------------------
// The refactorings

#include "Refactorings/uqlPlugin.h"

TUnitSweeperFormFactory gqlUnitSweeperFormFactory = nullptr;

TAbstractUnitSweeper::TAbstractUnitSweeper() = default;
TAbstractUnitSweeper::~TAbstractUnitSweeper() = default;

void TAbstractUnitSweeper::DoBeforeExecute(bool& Abort)
{
    if (!FForm && gqlUnitSweeperFormFactory)
        FForm = gqlUnitSweeperFormFactory();
    if (FForm) {
        Abort = !FForm->Execute(FOptions);
        return;
    }
    std::string Value = std::string(FOptions.RemoveAllUnusedUnits ? "T" : "F") + " " +
                        (FOptions.MoveUsedUnitsToImplementation ? "T" : "F");
    if (!qlInputQuery("Options",
                      "Remove all un-used units, Move used units to implementation section where "
                      "appropriate (T or F each)",
                      Value)) {
        Abort = true;
        return;
    }
    std::vector<bool> Letters;
    for (char C : Value)
        if (C == 'T' || C == 't' || C == 'F' || C == 'f')
            Letters.push_back(C == 'T' || C == 't');
    if (Letters.size() != 2) {
        Abort = true;
        return;
    }
    FOptions.RemoveAllUnusedUnits = Letters[0];
    FOptions.MoveUsedUnitsToImplementation = Letters[1];
    Abort = false;
}

void TAbstractUnitSweeper::DoRemoveUnusedUnits(TqlUnit* Unit, const std::string& BaseFolder)
{
    QL_ASSERT(Unit != nullptr, "uUnitSweeper: no unit to sweep");
    if (Unit->GetUnitType() != dtProject)
        return;
    FUnit = Unit;
    FChanged = false;
    BeginRefactoring(BaseFolder, Unit);
    bool Cancelled = false;
    try {
        const int FileIndex = Unit->GetFileIndex();
        TqlUnitSweeper Sweeper(
            Unit, GetModuleNode(Unit),
            qlUnitMessageSink(this, FileIndex),
            FOptions.RemoveAllUnusedUnits, FOptions.MoveUsedUnitsToImplementation);
        FChanged = Sweeper.Run();
        Cancelled = Sweeper.Cancelled();
    } catch (...) {
        if (GetLocked(Unit))
            CancelRefactoring(Unit);
        throw;
    }
    if (FChanged && !Cancelled)
        EndRefactoring(BaseFolder, Unit);
    else
        CancelRefactoring(Unit);
}

bool TSingleUnitSweeper::GetCanExecute()
{
    return gqlRefactoringHost && gqlRefactoringHost->GetSelectedUnit() != nullptr;
}

void TSingleUnitSweeper::Execute()
{
    bool Abort = false;
    DoBeforeExecute(Abort);
    if (Abort)
        return;
    TqlUnit* Unit = gqlRefactoringHost ? gqlRefactoringHost->GetSelectedUnit() : nullptr;
    if (!Unit)
        return;
    const std::string Base = GetBaseFolderName();
    DoRemoveUnusedUnits(Unit, Base);
    CheckWrittenOutput();
    ViewRefactoring(Base);
}

void TMultiUnitSweeper::Execute()
{
    bool Abort = false;
    DoBeforeExecute(Abort);
    if (Abort)
        return;
    const std::string Base = GetBaseFolderName();
    TqlUnitList* Units = gqlProject->GetUnits();
    // The first unit, the main file, is left as it is; so are the units
    // without a source file of their own (System, units the search paths do
    // not reach), which have nothing to sweep, and the unit that stands for
    // the run-time library.
    for (int I = 1; I < Units->GetCount(); ++I)
        if (SourceFileOf(Units->GetUnits(I)) && !qlStandsForRunTimeLibrary(Units->GetUnits(I)))
            DoRemoveUnusedUnits(Units->GetUnits(I), Base);
    CheckWrittenOutput();
    ViewRefactoring(Base);
}

// ---------------------------------------------------------------------------
// The plug-in's entry points

namespace {

void Initialize()
{
    IqlRefactoringHost* Host = qlRequireHost();
    auto* Single = new TSingleUnitSweeper;
    Host->AddGroup("RemoveUnUsedUnit", "Remove Unused Unit", "");
    qlPluginRegistrations().Register(Single, "RemoveUnUsedUnit");
    qlPluginRegistrations().Register(new TMultiUnitSweeper, "RemoveUnUsedUnit");
}

} // namespace

QL_PLUGIN_ENTRY_POINTS(Initialize, qlFinalizePlugin)
