#include "Refactorings/WithUnwinder/uWithUnwinder.h"
#include "model/uqlReach.h"

#include "base/uqlPathUtils.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

namespace {

const char* const MemberNotFound = "Member, %s, in with statement not found?";
const char* const NoLocationInVardex = "Identifier, %s has no location in Vardex";
const char* const NoLocation = "Identifier, %s has no location";
const char* const ConstructorOrFunction = "Symbol, %s, is a constructor or a function";
const char* const NotClassOrRecord = "Type, %s is neither a class nor a record";
const char* const NoMembers = "Symbol, %s, has no members";
const char* const NoChildStatements = "With statement has no child statements";
const char* const IsRecord = "Type, %s is a record; no local copy made";
const char* const UnqualifiedMembers = "With statement has unqualified member references";
const char* const NotPlainReference = "Expression, %s, is not a plain variable reference";
const char* const MaybeUnknownMember = "Identifier, %s, may be a member of an ancestor not in the project";
const char* const NotResolved = "Identifier, %s, is not resolved by the analysis";
const char* const RecordProperty = "Expression, %s, reads a record through a property";
const char* const NotVisible = "Type, %s, is not visible here";
const char* const NotInBlock = "With statement is not inside a routine block";
const char* const HoldsDirectives = "With statement holds compiler directives";
const char* const SelfOutsideMethod = "With statement over Self is not inside a method of a class the analysis knows";
const char* const OutOfReach =
    "Member, %s, is protected in another unit; after the with-expression it would be out of reach";

bool HasLineBreak(const std::string& S)
{
    return S.find_first_of("\r\n") != std::string::npos;
}

// Puts in front of Line the text of Node's subtree from its end back to the
// last line break in it; answers whether there was one.
bool PrependToBreak(const TqlNode* Node, std::string& Line)
{
    auto* Code = dynamic_cast<const TqlCodeNode*>(Node);
    if (Code && (Node->Count() == 0 || Code->Modified())) {
        const std::string& Text = Code->Code();
        const size_t Break = Text.find_last_of("\r\n");
        Line.insert(0, Break == std::string::npos ? Text : Text.substr(Break + 1));
        return Break != std::string::npos;
    }
    for (int I = Node->Count() - 1; I >= 0; --I)
        if (PrependToBreak(Node->GetNode(I), Line))
            return true;
    return false;
}

// What stands on Node's line before it.
std::string LineBefore(const TqlNode* Node)
{
    std::string Line;
    for (const TqlNode* N = Node; N->Parent(); N = N->Parent())
        for (int I = N->GetIndex() - 1; I >= 0; --I)
            if (PrependToBreak(N->Parent()->GetNode(I), Line))
                return Line;
    return Line;
}

// The blanks and tabs a line starts with.
std::string IndentOf(const std::string& Line)
{
    return Line.substr(0, std::min(Line.size(), Line.find_first_not_of(" \t")));
}

bool IsIdentifierToken(const TqlNode* Node)
{
    return qlIsToken(Node, ptIdentifier);
}

// The with-expression is Self alone: the object a method works on, which
// the analysis records no use of.
bool IsPlainSelf(const TqlVariableReferenceNode* Expression)
{
    return qlSameName(WithUnwinder::SplitExpression(Expression).Text, "Self");
}

// The body: the with statement's last child when it is a statement.
TqlStatementNode* BodyOf(TqlStatementNode* With)
{
    if (With->Count() == 0)
        return nullptr;
    return dynamic_cast<TqlStatementNode*>(With->GetNode(With->Count() - 1));
}

bool InHeader(TqlStatementNode* With, const TqlNode* Node)
{
    TqlStatementNode* Body = BodyOf(With);
    return With->IsParentOf(Node) && !(Body && (Body == Node || Body->IsParentOf(Node)));
}

// The nearest with statement on Node's parent chain, Node included.
TqlStatementNode* EnclosingWith(const TqlNode* Node)
{
    for (TqlNode* N = const_cast<TqlNode*>(Node); N; N = N->Parent())
        if (WithUnwinder::IsWithStatement(N))
            return static_cast<TqlStatementNode*>(N);
    return nullptr;
}

// The reference that Subject starts goes on past the whole with-expression
// (E.X, E[I], E^): what it assigns or passes lies inside what the expression
// names, and leaves the expression naming the same.
bool ReachesPast(const TqlNode* Subject, const TqlNode* Expression)
{
    std::vector<const TqlTokenNode*> Reference, Named;
    if (auto* Token = dynamic_cast<const TqlTokenNode*>(Subject))
        Reference.push_back(Token);
    else
        qlExpressionTokens(Subject, Reference);
    qlExpressionTokens(Expression, Named);
    if (Named.empty() || Reference.size() <= Named.size())
        return false;
    for (size_t I = 0; I < Named.size(); ++I)
        if (Reference[I]->TokenKind() != Named[I]->TokenKind() ||
            !qlSameName(Reference[I]->Code(), Named[I]->Code()))
            return false;
    switch (Reference[Named.size()]->TokenKind()) {
    case ptPoint: case ptSquareOpen: case ptPointerSymbol:
        return true;
    default:
        return false;
    }
}

// A name that a statement assigns or passes on: the name, not something
// reached through it with "." or through the whole with-expression, is
// followed by ":=", is an argument (after "(" or ","), has its address
// taken, or is a for loop's control variable.
bool IsWrittenOrPassed(TqlCodeNode* Identifier, const TqlNode* Expression)
{
    if (TqlTokenNode* Next = Identifier->GetNextPeerTokenNode(ptUnknown, true))
        if (Next->TokenKind() == ptPoint)
            return false;
    const TqlNode* Subject = Identifier;
    while (Subject->Parent() && dynamic_cast<const TqlVariableReferenceNode*>(Subject->Parent()) &&
           Subject->GetIndex() == 0)
        Subject = Subject->Parent();
    if (ReachesPast(Subject, Expression))
        return false;
    if (TqlTokenNode* Next = Subject->GetNextPeerTokenNode(ptUnknown, true))
        if (Next->TokenKind() == ptAssign)
            return true;
    if (TqlTokenNode* Prior = Subject->GetPriorPeerTokenNode(ptUnknown, true))
        switch (Prior->TokenKind()) {
        case ptRoundOpen: case ptComma: case ptAddressOp: case ptDoubleAddressOp: case ptFor:
            return true;
        default:
            break;
        }
    return false;
}

} // namespace

namespace WithUnwinder {

std::string VariableNameFor(const std::string& TypeName)
{
    std::string Name = "A";
    Name.append(TypeName, !TypeName.empty() && TypeName[0] == 'T' ? 1 : 0, std::string::npos);
    return Name;
}

void Outdent(TqlNode* Node, int Amount)
{
    if (Amount <= 0)
        return;
    if (auto* Junk = dynamic_cast<TqlJunkNode*>(Node)) {
        const std::string& Text = Junk->Code();
        const size_t Size = Text.size();
        const size_t Width = size_t(Amount);
        if (HasLineBreak(Text) && Size >= Width &&
            Text.find_first_not_of(' ', Size - Width) == std::string::npos &&
            Text.find_last_of("\r\n") < Size - Width)
            Junk->SetCode(Text.substr(0, Size - Width));
        return;
    }
    for (int I = 0; I < Node->Count(); ++I)
        Outdent(Node->GetNode(I), Amount);
}

int IndentAfterBreak(const TqlNode* Node)
{
    auto* Junk = dynamic_cast<const TqlJunkNode*>(Node);
    if (!Junk)
        return -1;
    const std::string& Text = Junk->Code();
    const size_t Break = Text.find_last_of("\r\n");
    return Break == std::string::npos ? -1 : int(Text.size() - Break - 1);
}

bool StartsSequence(const TqlNode* PriorToken)
{
    auto* Token = dynamic_cast<const TqlTokenNode*>(PriorToken);
    if (!Token)
        return false;
    switch (Token->TokenKind()) {
    case ptBegin: case ptSemiColon: case ptRepeat: case ptTry: case ptFinally: case ptExcept:
    case ptInitialization: case ptFinalization:
        return true;
    default:
        return false;
    }
}

bool IsWithStatement(const TqlNode* Node)
{
    auto* Statement = dynamic_cast<const TqlStatementNode*>(Node);
    return Statement && Statement->GetStatementKind() == ptWith;
}

TExpressionText SplitExpression(const TqlNode* Expression)
{
    std::vector<const TqlCodeNode*> Leaves;
    std::function<void(const TqlNode*)> Collect = [&](const TqlNode* Node) {
        auto* Code = dynamic_cast<const TqlCodeNode*>(Node);
        if (Code && (Node->Count() == 0 || Code->Modified())) {
            if (!Code->Code().empty())
                Leaves.push_back(Code);
            return;
        }
        for (int I = 0; I < Node->Count(); ++I)
            Collect(Node->GetNode(I));
    };
    Collect(Expression);
    size_t End = Leaves.size();
    while (End > 0 && qlIsTrivia(Leaves[End - 1]))
        --End;
    auto IsWordChar = [](char C) {
        return std::isalnum(static_cast<unsigned char>(C)) || C == '_';
    };
    TExpressionText Result;
    bool Dropped = false;
    for (size_t I = 0; I < End; ++I) {
        const std::string& Text = Leaves[I]->Code();
        // A comment inside the expression is not copied; a blank keeps two
        // words apart that it separated.
        if (dynamic_cast<const TqlCommentNode*>(Leaves[I])) {
            Dropped = true;
            continue;
        }
        if (Dropped && !Result.Text.empty() && IsWordChar(Result.Text.back()) &&
            IsWordChar(Text[0]))
            Result.Text += ' ';
        Dropped = false;
        Result.Text += Text;
    }
    for (size_t I = End; I < Leaves.size(); ++I)
        Result.Separator += Leaves[I]->Code();
    return Result;
}

bool IsQualified(const TqlCodeNode* Identifier)
{
    const TqlNode* Subject = Identifier;
    if (!Subject->Parent())
        return false;
    if (Subject->GetIndex() == 0 && dynamic_cast<const TqlVariableReferenceNode*>(Subject->Parent()))
        Subject = Subject->Parent();
    if (!Subject->Parent())
        return false;
    const TqlTokenNode* Prior = Subject->GetPriorPeerTokenNode(ptUnknown, true);
    return Prior && Prior->TokenKind() == ptPoint;
}

} // namespace WithUnwinder

using namespace WithUnwinder;

TqlWithUnwinder::TqlWithUnwinder(TqlUnit* Unit, TqlModuleNode* Tree, TqlMessageSink Sink)
    : FUnit(Unit), FTree(Tree), FSink(std::move(Sink)), FUses(Unit),
      FLeaves(Tree, FUses.Points())
{
}

void TqlWithUnwinder::Walk(void (TqlWithUnwinder::*Operation)(TqlStatementNode*))
{
    if (!FTree)
        return;
    FHandled.clear();
    FTree->IterateNodes(true, [&](TqlNode* Node) {
        if (!IsWithStatement(Node) || Node->Freed() || !FHandled.insert(Node).second)
            return;
        (this->*Operation)(static_cast<TqlStatementNode*>(Node));
    });
}

bool TqlWithUnwinder::AddLocalVars()
{
    FChanged = false;
    Walk(&TqlWithUnwinder::AddLocalVarsCallback);
    return FChanged;
}

bool TqlWithUnwinder::QualifyWithStatements(bool WithMembersOnly)
{
    FChanged = false;
    FWithMembersOnly = WithMembersOnly;
    Walk(&TqlWithUnwinder::QualifyWithStatementCallback);
    return FChanged;
}

bool TqlWithUnwinder::RemoveWithStatements()
{
    FChanged = false;
    Walk(&TqlWithUnwinder::DoRemoveWithStatementCallback);
    return FChanged;
}

std::vector<TqlVariableReferenceNode*> TqlWithUnwinder::Expressions(TqlStatementNode* With)
{
    std::vector<TqlVariableReferenceNode*> Result = qlWithExpressions(With);
    return {Result.rbegin(), Result.rend()};
}

TqlCodeNode* TqlWithUnwinder::FindUse(TqlUsedByLocation* Location) const
{
    if (Location->GetFileIndex() != FUnit->GetFileIndex())
        return nullptr;
    return FLeaves.Find(Location->GetX(), Location->GetY());
}

bool TqlWithUnwinder::Resolve(TqlVariableReferenceNode* Expression, const char* NoLocationText,
                              TResolved& R, bool Quiet)
{
    R = TResolved{};
    R.Expression = Expression;
    TqlIdentifierNode* Ident = Expression->GetContainerNode(R.IsAsCast);
    if (!Ident) {
        if (!Quiet)
            Post(qlFormat(MemberNotFound, SplitExpression(Expression).Text),
                 Expression->GetPoint().X, Expression->GetPoint().Y);
        return false;
    }
    R.Identifier = Ident;
    R.Location = FUses.Find(Ident);
    if (!R.Location) {
        if (!Quiet)
            Post(qlFormat(NoLocationText, Ident->GetCode(false)), Ident->GetPoint().X,
                 Ident->GetPoint().Y);
        return false;
    }
    R.Symbol = R.Location->GetUsedByList()->GetSymbol();
    const int X = R.Location->GetX(), Y = R.Location->GetY();
    if (auto* Routine = dynamic_cast<TqlRoutine*>(R.Symbol))
        if (Routine->GetRoutineKind() == rkFunction || Routine->GetRoutineKind() == rkConstructor) {
            if (!Quiet)
                Post(qlFormat(ConstructorOrFunction, R.Symbol->GetName()), X, Y);
            return false;
        }
    R.Container = R.Symbol->FindContainer();
    if (!dynamic_cast<TqlClass*>(R.Container) && !dynamic_cast<TqlRecord*>(R.Container)) {
        if (!Quiet)
            Post(qlFormat(NotClassOrRecord, R.Symbol->GetName()), X, Y);
        return false;
    }
    // What the expression yields may be another type than the one its last
    // name brings (an element of an array, what a default property answers).
    bool ThroughProperty = false;
    R.Container = qlWithValueType(Expression, Ident, R.Symbol, ThroughProperty);
    if (!dynamic_cast<TqlClass*>(R.Container) && !dynamic_cast<TqlRecord*>(R.Container)) {
        if (!Quiet)
            Post(qlFormat(NotClassOrRecord, SplitExpression(Expression).Text), X, Y);
        return false;
    }
    // A property answers a copy of a record: a field written in the body
    // could not be written through the property once it is spelled out.
    if (ThroughProperty && !qlAsClass(R.Container)) {
        if (!Quiet)
            Post(qlFormat(RecordProperty, SplitExpression(Expression).Text), X, Y);
        return false;
    }
    return true;
}

bool TqlWithUnwinder::ForEachMemberUse(TqlStatementNode* With, TqlSymbol* Container,
                                       const std::function<void(TqlCodeNode*)>& Visit)
{
    auto [Entry, New] = FMemberUses.try_emplace(Container);
    TMemberUses& Uses = Entry->second;
    if (New) {
        auto VisitSymbol = [&](TqlSymbol* Member) {
            Uses.HasMembers = true;
            TqlUsedByList* UsedBy = Member->GetUsedBy();
            for (int I = 0; I < UsedBy->GetCount(); ++I) {
                TqlUsedByLocation* L = UsedBy->GetLocations(I);
                if (L->GetFileIndex() == FUnit->GetFileIndex())
                    Uses.Points.insert(qlPointKey(L->GetX(), L->GetY()));
            }
        };
        auto VisitList = [&](TqlList* List) {
            for (int I = 0; List && I < List->GetCount(); ++I)
                VisitSymbol(static_cast<TqlSymbol*>(List->GetItem(I)));
        };
        if (auto* Record = dynamic_cast<TqlRecord*>(Container)) {
            VisitList(Record->GetFieldList());
        } else {
            std::set<TqlClass*> Seen;
            for (auto* Class = dynamic_cast<TqlClass*>(Container); Class && Seen.insert(Class).second;
                 Class = Class->GetInheritsFromClass()) {
                VisitList(Class->GetFieldList());
                VisitList(Class->GetProperties());
                VisitList(Class->GetRoutines());
            }
        }
    }
    if (Uses.Points.empty())
        return Uses.HasMembers;
    // The statement's own leaves, as they stand now: one walk of the
    // statement instead of a search of the tree for every recorded use.
    std::vector<TqlCodeNode*> Found;
    qlForEachSourceLeaf(With, [&](TqlCodeNode* Code) {
        if (Uses.Points.count(qlPointKey(Code->GetPoint().X, Code->GetPoint().Y)))
            Found.push_back(Code);
    });
    for (TqlCodeNode* Node : Found)
        Visit(Node);
    return Uses.HasMembers;
}

bool TqlWithUnwinder::IsStableExpression(TqlStatementNode* With, const TResolved& R)
{
    std::vector<TqlCodeNode*> Parts;
    bool Stable = true;
    int Depth = 0;
    std::function<void(TqlNode*)> Scan = [&](TqlNode* Node) {
        for (int I = 0; I < Node->Count() && Stable; ++I) {
            TqlNode* Child = Node->GetNode(I);
            if (qlIsTrivia(Child))
                continue;
            if (dynamic_cast<TqlVariableReferenceNode*>(Child)) {
                Scan(Child);
                continue;
            }
            auto* Token = dynamic_cast<TqlTokenNode*>(Child);
            if (!Token || Token->Count() > 0) {
                Stable = false;
                continue;
            }
            switch (Token->TokenKind()) {
            case ptIdentifier:
                Parts.push_back(Token);
                break;
            case ptPoint: case ptPointerSymbol: case ptAs: case ptRoundOpen: case ptRoundClose:
                break;
            case ptSquareOpen:
                ++Depth;
                break;
            case ptSquareClose:
                --Depth;
                break;
            case ptIntegerConst: case ptStringConst: case ptAsciiChar: case ptComma:
                if (Depth == 0 && Token->TokenKind() != ptComma)
                    Stable = false;
                break;
            default:
                Stable = false;
            }
        }
    };
    Scan(R.Expression);
    // Every name of the expression is a known variable, field, property or
    // type (a cast), and the body neither assigns it nor passes it on.
    for (TqlCodeNode* Part : Parts) {
        if (!Stable)
            break;
        TqlUsedByLocation* Use = FUses.Find(Part);
        TqlSymbol* Symbol = Use ? Use->GetUsedByList()->GetSymbol() : nullptr;
        if (!Symbol || dynamic_cast<TqlRoutine*>(Symbol) || dynamic_cast<TqlUnit*>(Symbol)) {
            Stable = false;
            break;
        }
        if (dynamic_cast<TqlClass*>(Symbol) || dynamic_cast<TqlRecord*>(Symbol) ||
            dynamic_cast<TqlType*>(Symbol))
            continue;
        TqlUsedByList* UsedBy = Symbol->GetUsedBy();
        for (int I = 0; I < UsedBy->GetCount() && Stable; ++I) {
            TqlCodeNode* Node = FindUse(UsedBy->GetLocations(I));
            if (Node && With->IsParentOf(Node) && !InHeader(With, Node) &&
                IsWrittenOrPassed(Node, R.Expression))
                Stable = false;
        }
    }
    if (!Stable)
        Post(qlFormat(NotPlainReference, SplitExpression(R.Expression).Text),
             R.Expression->GetPoint().X, R.Expression->GetPoint().Y);
    return Stable;
}

bool TqlWithUnwinder::HasUnqualifiedMemberUse(TqlStatementNode* With, const TResolved& R)
{
    bool Found = false;
    ForEachMemberUse(With, R.Container, [&](TqlCodeNode* Node) {
        if (!Found && With->IsParentOf(Node) && !InHeader(With, Node) && !Node->Modified() &&
            !IsQualified(Node))
            Found = true;
    });
    return Found;
}

bool TqlWithUnwinder::OutOfReachQualified(TqlStatementNode* With, TqlSymbol* Container, TqlCodeNode* Node)
{
    TqlUsedByLocation* Use = FUses.Find(Node);
    TqlSymbol* Member = Use ? Use->GetUsedByList()->GetSymbol() : nullptr;
    if (!Member)
        return false;
    // Written after the expression, the member is reached through an object
    // of the expression's class.
    TqlClass* Own = qlMethodClass(FUnit, qlOutermostMethod(With));
    return qlMemberOutOfReach(Member, nullptr, FUnit, Own, dynamic_cast<TqlClass*>(Container));
}

TqlCodeNode* TqlWithUnwinder::UnresolvedNameInBody(TqlStatementNode* With)
{
    // A name the analysis could not resolve may be a member it did not see:
    // of an ancestor it did not find, or declared after a syntax problem in
    // the class's own unit. Without the with statement such a name would
    // bind to something else, or to nothing.
    return qlFirstUnresolvedName(FUnit, BodyOf(With), FUses, [](const TqlCodeNode* Node) {
        return Node->Modified() || IsQualified(Node);
    });
}

bool TqlWithUnwinder::HasKnownAncestry(TqlSymbol* Container)
{
    // The analysis marks the classes and objects whose heritage names an
    // ancestor it did not find, not the interfaces: one of those may always
    // lack an ancestor.
    auto* Class = dynamic_cast<TqlClass*>(Container);
    return !Class || (!dynamic_cast<TqlInterface*>(Class) && Class->HasKnownAncestry());
}

// ---------------------------------------------------------------------------
// Add Local Vars

std::string TqlWithUnwinder::FreeVariableName(TqlStatementNode* With, const std::string& Base)
{
    // The outermost routine around the statement holds every declaration the
    // new name could meet; without one, the block's text.
    TqlNode* Scope = With->GetBlockNode();
    TqlMethodImplementationNode* Method = qlOutermostMethod(With);
    if (Method)
        Scope = Method;
    std::unordered_set<std::string> Taken;
    qlAddWords(static_cast<TqlCodeNode*>(Scope)->DoGetCode(), Taken);

    // The class of a method: members are in scope without being written.
    TqlClass* OwnClass = qlMethodClass(FUnit, Method);
    std::vector<TqlSymbol*> WithContainers;
    for (TqlNode* N = With; N; N = N->Parent())
        if (IsWithStatement(N))
            for (TqlVariableReferenceNode* E : qlWithExpressions(static_cast<TqlStatementNode*>(N))) {
                TResolved R;
                if (Resolve(E, NoLocation, R, true))
                    WithContainers.push_back(R.Container);
            }

    for (int Suffix = 0;; ++Suffix) {
        const std::string Name = Suffix == 0 ? Base : Base + std::to_string(Suffix);
        if (Taken.count(qlLowerCase(Name)))
            continue;
        if (FUnit->FindReferencedSymbol(nullptr, Name, false, TqlUsedByInfo{}))
            continue;
        if (OwnClass && OwnClass->FindSymbol(FUnit, OwnClass, Name))
            continue;
        bool InWith = false;
        for (TqlSymbol* C : WithContainers)
            if (C->FindSymbol(FUnit, nullptr, Name))
                InWith = true;
        if (!InWith)
            return Name;
    }
}

void TqlWithUnwinder::AddLocalVarsCallback(TqlStatementNode* With)
{
    if (qlHoldsDirective(With)) {
        Post(HoldsDirectives, With->GetPoint().X, With->GetPoint().Y);
        return;
    }
    for (TqlVariableReferenceNode* Expression : Expressions(With)) {
        // Self needs no variable: it is one already.
        if (IsPlainSelf(Expression))
            continue;
        TResolved R;
        if (!Resolve(Expression, NoLocationInVardex, R))
            return;
        // Only an expression that reaches further than a plain name is worth
        // a variable (the parts after a "." are tokens of the same reference).
        int Tokens = 0;
        std::function<void(TqlNode*)> Count = [&](TqlNode* Node) {
            for (int I = 0; I < Node->Count(); ++I) {
                TqlNode* Child = Node->GetNode(I);
                if (dynamic_cast<TqlTokenNode*>(Child))
                    ++Tokens;
                else if (!qlIsTrivia(Child))
                    Count(Child);
            }
        };
        Count(Expression);
        if (Tokens <= 1)
            continue;
        const int X = R.Location->GetX(), Y = R.Location->GetY();
        TqlSymbol* Type = R.Container;
        std::string TypeName = Type->GetName();
        auto* Class = dynamic_cast<TqlClass*>(Type);
        // A record or an object is a value: a local copy would take the
        // edits that the statement makes to the original.
        if (!Class || dynamic_cast<TqlObject*>(Class)) {
            Post(qlFormat(IsRecord, TypeName), X, Y);
            return;
        }
        auto Visible = [&](const std::string& Name, TqlSymbol* Wanted) {
            return !Name.empty() &&
                   FUnit->FindReferencedSymbol(nullptr, Name, false, TqlUsedByInfo{}) == Wanted;
        };
        if (!Visible(TypeName, Type)) {
            // The name the declaration gave the type (an alias of the class)
            // may be seen where the class's own name is not.
            TqlSymbol* Declared = R.Symbol->GetTypeIntf();
            if (!Declared || Declared == Type || qlReduceAliases(Declared) != Type ||
                !Visible(Declared->GetName(), Declared)) {
                Post(qlFormat(NotVisible, TypeName), X, Y);
                return;
            }
            TypeName = Declared->GetName();
        }
        TqlBlockNode* Block = With->GetBlockNode();
        TqlTokenNode* FirstToken = Block ? Block->GetFirstTokenNode(ptUnknown) : nullptr;
        if (!FirstToken || FirstToken->TokenKind() != ptBegin) {
            Post(NotInBlock, With->GetPoint().X, With->GetPoint().Y);
            return;
        }

        const std::string VariableName = FreeVariableName(With, VariableNameFor(TypeName));
        TqlNode* Parent = With->Parent();
        int Index = With->GetIndex();
        TqlTokenNode* Prior = With->GetPriorPeerTokenNode(ptUnknown, true);
        const bool InSequence = StartsSequence(Prior);
        TqlJunkNode* PriorJunk =
            Index >= 1 ? dynamic_cast<TqlJunkNode*>(Parent->GetNode(Index - 1)) : nullptr;
        const TExpressionText Copied = SplitExpression(Expression);
        const std::string Assignment = VariableName + " := " + Copied.Text + ";";
        // Each new statement goes on a line of its own (the line breaks of
        // edits are written in the file's own style).
        const std::string Break = "\r\n";
        const std::string Line = LineBefore(With);
        const bool OwnLine = Line.find_first_not_of(" \t") == std::string::npos;
        const std::string Indent = IndentOf(Line);

        if (InSequence) {
            // The assignment comes first at the with statement's indentation;
            // a with statement behind other text on its line moves to a line
            // of its own, as the statements after a "begin" or a ";" stand.
            std::string At = Indent;
            if (!OwnLine) {
                if (Prior && Prior->TokenKind() != ptSemiColon)
                    At += "  ";
                if (PriorJunk && !HasLineBreak(PriorJunk->DoGetCode()))
                    PriorJunk->SetCode(Break + At);
                else
                    TqlJunkNode::Create(Parent, Break + At, Index++);
            }
            TqlStatementNode::Create(Parent, Assignment, Index);
            TqlJunkNode::Create(Parent, Break + At, Index + 1);
        } else {
            // After then, else, do or a case label the assignment and the
            // with statement become one compound statement. On a line of its
            // own the with statement keeps its place, and begin and end
            // stand as the line with the token before it does; behind that
            // token, begin takes its place and the rest moves one step in.
            std::string Outer = Indent;
            std::string Inner = Indent + "  ";
            if (OwnLine) {
                Inner = Indent;
                if (Prior)
                    Outer = IndentOf(LineBefore(Prior));
                if (PriorJunk && HasLineBreak(PriorJunk->DoGetCode())) {
                    const std::string Text = PriorJunk->DoGetCode();
                    PriorJunk->SetCode(Text.substr(0, Text.find_last_of("\r\n") + 1) + Outer);
                }
            }
            TqlNode* Trailing = qlLastLeaf(With);
            std::string TrailingText;
            if (qlIsJunk(Trailing) && Trailing != With) {
                // The blanks after the statement follow the new "end".
                TrailingText = static_cast<TqlCodeNode*>(Trailing)->DoGetCode();
                Trailing->Free();
            }
            auto* Compound = TqlStatementNode::Create(Parent, TPoint{-1, -1}, -1, Index);
            TqlTokenNode::Create(Compound, "begin", ptBegin, -1);
            TqlJunkNode::Create(Compound, Break + Inner, -1);
            TqlStatementNode::Create(Compound, Assignment, -1);
            TqlJunkNode::Create(Compound, Break + Inner, -1);
            With->SetParentNode(Compound, -1);
            TqlJunkNode::Create(Compound, Break + Outer, -1);
            TqlTokenNode::Create(Compound, "end", ptEnd, -1);
            if (!TrailingText.empty())
                TqlJunkNode::Create(Compound, TrailingText, -1);
        }

        // What stood between the expression and "do" stays there.
        Expression->SetCode(VariableName + Copied.Separator);

        TqlVariableDeclarationListNode* Section = Block->GetInnerMostVariableSection();
        if (!Section)
            Section = Block->AddVariableSectionCode();
        Section->AddVariableCode(VariableName, TypeName);
        FChanged = true;
    }
}

// ---------------------------------------------------------------------------
// Qualify

void TqlWithUnwinder::QualifyWithStatementCallback(TqlStatementNode* With)
{
    for (TqlVariableReferenceNode* Expression : Expressions(With)) {
        TResolved R;
        if (!Resolve(Expression, NoLocation, R))
            return;
        if (!IsStableExpression(With, R))
            return;
        // The expression is copied in front of every member: a directive
        // in it would be copied as well, or its other branch lost.
        if (qlHoldsDirective(Expression)) {
            Post(HoldsDirectives, With->GetPoint().X, With->GetPoint().Y);
            return;
        }
        std::string Prefix = SplitExpression(Expression).Text;
        if (R.IsAsCast) {
            TqlTokenNode* First = Expression->GetFirstTokenNode(ptUnknown);
            if (!First || First == Expression->GetNode(0) || First->TokenKind() != ptRoundOpen)
                Prefix = "(" + Prefix + ")";
        }
        std::vector<TqlCodeNode*> Targets;
        TqlCodeNode* Unreachable = nullptr;
        const bool HasMembers = ForEachMemberUse(With, R.Container, [&](TqlCodeNode* Node) {
            if (!With->IsParentOf(Node) || InHeader(With, Node))
                return;
            if (FWithMembersOnly) {
                TqlStatementNode* Inner = EnclosingWith(Node);
                if (!Inner || !InHeader(Inner, Node))
                    return;
            }
            if (!IsIdentifierToken(Node) || Node->Modified() || IsQualified(Node))
                return;
            if (OutOfReachQualified(With, R.Container, Node)) {
                if (!Unreachable)
                    Unreachable = Node;
                return;
            }
            Targets.push_back(Node);
        });
        // Such a member stays as it is, and so does the with statement it
        // needs.
        if (Unreachable)
            Post(qlFormat(OutOfReach, Unreachable->Code()), Unreachable->GetPoint().X,
                 Unreachable->GetPoint().Y);
        for (TqlCodeNode* Node : Targets)
            if (!Node->Modified()) {
                Node->SetCode(Prefix + "." + Node->Code());
                FChanged = true;
            }
        if (!HasMembers)
            Post(qlFormat(NoMembers, R.Container->GetName()), R.Location->GetX(),
                 R.Location->GetY());
    }
}

// ---------------------------------------------------------------------------
// Remove

void TqlWithUnwinder::DoRemoveWithStatementCallback(TqlStatementNode* With)
{
    TqlStatementNode* Body = BodyOf(With);
    if (!Body) {
        Post(NoChildStatements, With->GetPoint().X, With->GetPoint().Y);
        return;
    }
    if (qlHoldsDirective(With)) {
        Post(HoldsDirectives, With->GetPoint().X, With->GetPoint().Y);
        return;
    }
    // Without its header a member name in the body would bind to something
    // else, and an expression with effects would no longer be evaluated.
    // Over Self, the body's member names are written Self.X instead: a local
    // variable or parameter of the same name would take them otherwise.
    TqlClass* SelfClass = nullptr;
    for (TqlVariableReferenceNode* Expression : Expressions(With)) {
        TqlSymbol* Container = nullptr;
        if (IsPlainSelf(Expression)) {
            SelfClass = qlMethodClass(FUnit, qlOutermostMethod(With));
            if (!SelfClass) {
                Post(SelfOutsideMethod, With->GetPoint().X, With->GetPoint().Y);
                return;
            }
            Container = SelfClass;
        } else {
            TResolved R;
            if (!Resolve(Expression, NoLocation, R) || !IsStableExpression(With, R))
                return;
            if (HasUnqualifiedMemberUse(With, R)) {
                Post(UnqualifiedMembers, With->GetPoint().X, With->GetPoint().Y);
                return;
            }
            Container = R.Container;
        }
        if (TqlCodeNode* Name = UnresolvedNameInBody(With)) {
            Post(qlFormat(HasKnownAncestry(Container) ? NotResolved : MaybeUnknownMember, Name->Code()),
                 Name->GetPoint().X, Name->GetPoint().Y);
            return;
        }
    }

    if (SelfClass) {
        std::vector<TqlCodeNode*> Members;
        ForEachMemberUse(With, SelfClass, [&](TqlCodeNode* Node) {
            if (With->IsParentOf(Node) && !InHeader(With, Node) && IsIdentifierToken(Node) &&
                !Node->Modified() && !IsQualified(Node))
                Members.push_back(Node);
        });
        for (TqlCodeNode* Node : Members)
            if (!Node->Modified())
                Node->SetCode("Self." + Node->Code());
    }

    FChanged = true;
    TqlNode* Parent = With->Parent();
    int Index = With->GetIndex();
    // The body takes the with statement's place: its lines move left by as
    // much as it stood right of the with statement's line, and the
    // statements of a block that gets unwrapped by one step more.
    TqlTokenNode* BodyStart = Body->GetFirstTokenNode(ptUnknown);
    const bool Unwraps = BodyStart && BodyStart == Body->GetNode(0) &&
                         BodyStart->TokenKind() == ptBegin &&
                         StartsSequence(With->GetPriorPeerTokenNode(ptUnknown, true));
    const int WithIndent = Index >= 1 ? IndentAfterBreak(Parent->GetNode(Index - 1)) : -1;
    const int BodyIndent = Body->GetIndex() >= 1 ? IndentAfterBreak(With->GetNode(Body->GetIndex() - 1)) : -1;
    const int Shift = (BodyIndent < 0 ? 0 : WithIndent < 0 ? 2 : std::max(0, BodyIndent - WithIndent)) +
                      (Unwraps ? 2 : 0);
    // The line break after the statement's last token belongs to what
    // follows the statement: it keeps its indentation.
    auto* Trailing = dynamic_cast<TqlJunkNode*>(qlLastLeaf(With));
    const std::string TrailingText = Trailing ? Trailing->DoGetCode() : std::string();
    Outdent(With, Shift);
    if (Trailing && Trailing->DoGetCode() != TrailingText)
        Trailing->SetCode(TrailingText);
    // Comments of the header stay, in front of the body.
    TqlJunkNode* BodyJunk = nullptr;
    if (Body->GetIndex() >= 1)
        BodyJunk = dynamic_cast<TqlJunkNode*>(With->GetNode(Body->GetIndex() - 1));
    std::vector<TqlCommentNode*> Comments;
    std::function<void(TqlNode*)> Collect = [&](TqlNode* Node) {
        for (int I = 0; I < Node->Count(); ++I) {
            TqlNode* Child = Node->GetNode(I);
            if (Child == Body)
                continue;
            if (auto* Comment = dynamic_cast<TqlCommentNode*>(Child))
                Comments.push_back(Comment);
            else
                Collect(Child);
        }
    };
    Collect(With);
    // After a moved comment the body starts on the with statement's own line
    // indentation when it had one.
    std::string Gap = BodyJunk ? BodyJunk->DoGetCode() : std::string(" ");
    if (auto* Prior = Index >= 1 ? dynamic_cast<TqlJunkNode*>(Parent->GetNode(Index - 1)) : nullptr) {
        const std::string& Text = Prior->Code();
        size_t Break = Text.find_last_of("\r\n");
        if (Break != std::string::npos) {
            if (Text[Break] == '\n' && Break > 0 && Text[Break - 1] == '\r')
                --Break;
            Gap = Text.substr(Break);
        }
    }
    for (TqlCommentNode* Comment : Comments) {
        Comment->SetParentNode(Parent, Index++);
        const bool NeedsBreak = Comment->Code().rfind("//", 0) == 0 && !HasLineBreak(Gap);
        TqlJunkNode::Create(Parent, NeedsBreak ? "\r\n" + Gap : Gap, Index++);
    }
    Body->SetParentNode(Parent, Index);
    With->Free();

    TqlTokenNode* First = Body->GetFirstTokenNode(ptUnknown);
    if (!First || First != Body->GetNode(0) || First->TokenKind() != ptBegin)
        return;
    // Only a statement of a statement sequence may become several.
    if (!StartsSequence(Body->GetPriorPeerTokenNode(ptUnknown, true)))
        return;
    int I = Body->GetIndex();
    int J = 1;
    if (J < Body->Count() && qlIsJunk(Body->GetNode(J)) &&
        static_cast<TqlJunkNode*>(Body->GetNode(J))->IsWhiteSpaceOnly())
        ++J;
    if (J >= Body->Count() - 1)
        return;
    ++I;
    TqlNode* LastMoved = nullptr;
    while (J < Body->Count()) {
        TqlNode* Child = Body->GetNode(J);
        if (qlIsToken(Child, ptEnd))
            break;
        if (qlIsJunk(Child) && static_cast<TqlJunkNode*>(Child)->IsWhiteSpaceOnly() &&
            J + 1 < Body->Count() && qlIsToken(Body->GetNode(J + 1), ptEnd))
            break;
        Child->SetParentNode(Parent, I++);
        if (!qlIsTrivia(Child))
            LastMoved = Child;
    }
    // Blanks and line breaks after the "end" stay where they were.
    TqlNode* Last = Body->Count() > 0 ? Body->GetNode(Body->Count() - 1) : nullptr;
    const bool EndsWithEnd = Last && !qlIsToken(Last, ptEnd) && qlIsJunk(Last);
    if (EndsWithEnd)
        Last->SetParentNode(Parent, I++);
    // A blank left at the end of the last statement before "end" would stand
    // in front of the ";" that follows.
    if (LastMoved && !qlIsToken(LastMoved, ptSemiColon))
        if (auto* Blank = dynamic_cast<TqlJunkNode*>(qlLastLeaf(LastMoved));
            Blank && Blank != LastMoved && !HasLineBreak(Blank->DoGetCode()))
            Blank->Free();
    // The ";" that closed the block goes when the moved statements end with
    // one of their own.
    TqlNode* After = nullptr;
    for (int K = I; K < Parent->Count() && !After; ++K)
        if (!qlIsJunk(Parent->GetNode(K)))
            After = Parent->GetNode(K);
    if (LastMoved && qlIsToken(LastMoved, ptSemiColon) && qlIsToken(After, ptSemiColon))
        After->Free();
    Body->Free();
}

// ---------------------------------------------------------------------------
// The refactorings

#include "Refactorings/uqlPlugin.h"

bool TqlWithRefactoringBase::HasSelectedUnit()
{
    return gqlRefactoringHost && gqlRefactoringHost->GetSelectedUnit() != nullptr;
}

void TqlWithRefactoringBase::RunUnit(TqlUnit* Unit, const std::string& BaseFolder,
                                     const TOperation& Operation)
{
    FUnit = Unit;
    FChanged = false;
    BeginRefactoring(BaseFolder, Unit);
    try {
        // A unit without source has nothing to walk.
        if (TqlModuleNode* Tree = GetModuleNode(Unit)) {
            const int FileIndex = Unit->GetFileIndex();
            TqlWithUnwinder Unwinder(Unit, Tree, qlUnitMessageSink(this, FileIndex));
            FChanged = Operation(Unwinder);
        }
    } catch (...) {
        if (GetLocked(Unit))
            CancelRefactoring(Unit);
        throw;
    }
    if (FChanged)
        EndRefactoring(BaseFolder, Unit);
    else
        CancelRefactoring(Unit);
}

void TqlWithRefactoringBase::RunSelectedUnit(
    const std::function<void(TqlUnit*, const std::string&)>& UnitOperation)
{
    TqlUnit* Unit = gqlRefactoringHost ? gqlRefactoringHost->GetSelectedUnit() : nullptr;
    if (!Unit)
        return;
    const std::string Base = GetBaseFolderName();
    UnitOperation(Unit, Base);
    CheckWrittenOutput();
    ViewRefactoring(Base);
}

void TqlWithRefactoringBase::RunAllUnits(
    const std::function<void(TqlUnit*, const std::string&)>& UnitOperation)
{
    const std::string Base = GetBaseFolderName();
    TqlUnitList* Units = gqlProject->GetUnits();
    // The unit that stands for the run-time library is no source to change.
    for (int I = 0; I < Units->GetCount(); ++I)
        if (!qlStandsForRunTimeLibrary(Units->GetUnits(I)))
            UnitOperation(Units->GetUnits(I), Base);
    CheckWrittenOutput();
    ViewRefactoring(Base);
}

void TAbstractAddWithVariableToLocalVarRefactoring::DoAddLocalVars(TqlUnit* Unit,
                                                                   const std::string& BaseFolder)
{
    RunUnit(Unit, BaseFolder, [](TqlWithUnwinder& W) { return W.AddLocalVars(); });
}

void TAbstractQualifyWithUnwinder::DoQualifyWithStatements(TqlUnit* Unit,
                                                           const std::string& BaseFolder,
                                                           bool WithMembersOnly)
{
    FWithMembersOnly = WithMembersOnly;
    RunUnit(Unit, BaseFolder,
            [WithMembersOnly](TqlWithUnwinder& W) { return W.QualifyWithStatements(WithMembersOnly); });
}

void TAbstractRemoveWithUnwinder::DoRemoveWithStatement(TqlUnit* Unit, const std::string& BaseFolder)
{
    RunUnit(Unit, BaseFolder, [](TqlWithUnwinder& W) { return W.RemoveWithStatements(); });
}

void TAddWithVariableToLocalVarUnitRefactoring::Execute()
{
    RunSelectedUnit([this](TqlUnit* U, const std::string& B) { DoAddLocalVars(U, B); });
}

void TAddWithVariableToLocalVarAllUnitsRefactoring::Execute()
{
    RunAllUnits([this](TqlUnit* U, const std::string& B) { DoAddLocalVars(U, B); });
}

void TQualifyWithMembersUnitRefactoring::Execute()
{
    RunSelectedUnit([this](TqlUnit* U, const std::string& B) { DoQualifyWithStatements(U, B, true); });
}

void TQualifyWithMembersAllUnitsRefactoring::Execute()
{
    RunAllUnits([this](TqlUnit* U, const std::string& B) { DoQualifyWithStatements(U, B, true); });
}

void TQualifyAllUnitRefactoring::Execute()
{
    RunSelectedUnit([this](TqlUnit* U, const std::string& B) { DoQualifyWithStatements(U, B, false); });
}

void TQualifyAllAllUnitsRefactoring::Execute()
{
    RunAllUnits([this](TqlUnit* U, const std::string& B) { DoQualifyWithStatements(U, B, false); });
}

void TRemoveWithStatementUnitRefactoring::Execute()
{
    RunSelectedUnit([this](TqlUnit* U, const std::string& B) { DoRemoveWithStatement(U, B); });
}

void TRemoveWithStatementAllUnitsRefactoring::Execute()
{
    RunAllUnits([this](TqlUnit* U, const std::string& B) { DoRemoveWithStatement(U, B); });
}

// ---------------------------------------------------------------------------
// The plug-in's entry points

namespace {

void Initialize()
{
    IqlRefactoringHost* Host = qlRequireHost();
    TqlPluginRegistrations& R = qlPluginRegistrations();
    Host->AddGroup("WithStatement", "With Statement", "");
    Host->AddGroup("AddLocalVars", "Add Local Vars", "WithStatement");
    R.Register(new TAddWithVariableToLocalVarUnitRefactoring, "AddLocalVars");
    R.Register(new TAddWithVariableToLocalVarAllUnitsRefactoring, "AddLocalVars");
    Host->AddGroup("WithStatementQualify", "Qualify", "WithStatement");
    Host->AddGroup("QualifyWithMembers", "With Members", "WithStatementQualify");
    R.Register(new TQualifyWithMembersUnitRefactoring, "QualifyWithMembers");
    R.Register(new TQualifyWithMembersAllUnitsRefactoring, "QualifyWithMembers");
    Host->AddGroup("QualifyAll", "All", "WithStatementQualify");
    R.Register(new TQualifyAllUnitRefactoring, "QualifyAll");
    R.Register(new TQualifyAllAllUnitsRefactoring, "QualifyAll");
    Host->AddGroup("RemoveWithStatement", "Remove", "WithStatement");
    R.Register(new TRemoveWithStatementUnitRefactoring, "RemoveWithStatement");
    R.Register(new TRemoveWithStatementAllUnitsRefactoring, "RemoveWithStatement");
}

} // namespace

QL_PLUGIN_ENTRY_POINTS(Initialize, qlFinalizePlugin)
