#include "Refactorings/Common/uqlWithTypes.h"

#include <algorithm>

TqlSymbol* qlReduceAliases(TqlSymbol* Type)
{
    for (int Steps = 0; Type && Steps < 64; ++Steps) {
        if (qlAsArray(Type) || qlAsContainer(Type) || Type->GetPointerType())
            return Type;
        TqlSymbol* Named = Type->GetTypeIntf();
        if (!Named || Named == Type)
            return Type;
        Type = Named;
    }
    return nullptr;
}

void qlExpressionTokens(const TqlNode* Node, std::vector<const TqlTokenNode*>& Tokens)
{
    for (int I = 0; I < Node->Count(); ++I) {
        const TqlNode* Child = Node->GetNode(I);
        if (auto* Token = dynamic_cast<const TqlTokenNode*>(Child))
            Tokens.push_back(Token);
        else if (!qlIsTrivia(Child))
            qlExpressionTokens(Child, Tokens);
    }
}

TqlSymbol* qlWithValueType(const TqlVariableReferenceNode* Expression, const TqlCodeNode* Identifier,
                           TqlSymbol* Symbol, bool& ThroughProperty)
{
    ThroughProperty = dynamic_cast<TqlProperty*>(Symbol) != nullptr;
    std::vector<const TqlTokenNode*> Tokens;
    qlExpressionTokens(Expression, Tokens);
    size_t At = std::find(Tokens.begin(), Tokens.end(), Identifier) - Tokens.begin();
    if (At == Tokens.size())
        return nullptr;
    ++At;
    // Skips a bracketed group from its opening token; answers the number of
    // entries in it (its commas at the top level, plus one).
    auto SkipGroup = [&](size_t& I) {
        int Depth = 0, Entries = 1;
        for (; I < Tokens.size(); ++I) {
            switch (Tokens[I]->TokenKind()) {
            case ptRoundOpen: case ptSquareOpen:
                ++Depth;
                break;
            case ptRoundClose: case ptSquareClose:
                if (--Depth == 0) {
                    ++I;
                    return Entries;
                }
                break;
            case ptComma:
                if (Depth == 1)
                    ++Entries;
                break;
            default:
                break;
            }
        }
        return 0;
    };
    const bool IsType = Symbol->GetTypeIntf() == Symbol || dynamic_cast<TqlType*>(Symbol);
    TqlSymbol* Type = nullptr;
    if (IsType) {
        // A cast: the type name and its parenthesised argument.
        Type = Symbol;
        if (At < Tokens.size() && Tokens[At]->TokenKind() == ptRoundOpen && SkipGroup(At) == 0)
            return nullptr;
    } else {
        Type = Symbol->GetTypeIntf();
        // A function's result: its arguments name no part of it.
        if (qlAsRoutine(Symbol) && At < Tokens.size() && Tokens[At]->TokenKind() == ptRoundOpen &&
            SkipGroup(At) == 0)
            return nullptr;
    }
    // An open array parameter keeps its element type apart from its type.
    TqlSymbol* OpenArrayElement = nullptr;
    if (TqlSymbol* Element = Symbol->GetPredefinedArrayType(); Element && !qlAsArray(Element))
        OpenArrayElement = Element;
    // An array property takes the first index group as its parameters.
    auto* Property = dynamic_cast<TqlProperty*>(Symbol);
    bool PropertyIndexPending = Property && Property->GetIsArrayProperty();
    while (At < Tokens.size()) {
        switch (Tokens[At]->TokenKind()) {
        case ptRoundClose:
            // The end of a group the expression opened before the name.
            ++At;
            break;
        case ptPointerSymbol:
            Type = qlReduceAliases(Type);
            if (!Type || !Type->GetPointerType() || Type->GetTypeIntf() == Type)
                return nullptr;
            Type = Type->GetTypeIntf();
            ++At;
            break;
        case ptSquareOpen: {
            int Indexes = SkipGroup(At);
            if (Indexes == 0)
                return nullptr;
            if (PropertyIndexPending) {
                PropertyIndexPending = false;
                break;
            }
            if (OpenArrayElement) {
                Type = OpenArrayElement;
                OpenArrayElement = nullptr;
                --Indexes;
            }
            while (Indexes > 0) {
                Type = qlReduceAliases(Type);
                if (!Type)
                    return nullptr;
                if (auto* Array = qlAsArray(Type)) {
                    Indexes -= std::max(1, Array->GetDimensionCount());
                    Type = Array->GetArrayType();
                    continue;
                }
                // A typed pointer indexed as an array of what it points to.
                if (Type->GetPointerType() && Type->GetTypeIntf() && Type->GetTypeIntf() != Type) {
                    --Indexes;
                    Type = Type->GetTypeIntf();
                    continue;
                }
                auto* Class = qlAsClass(Type);
                TqlProperty* Default = Class ? Class->GetDefaultProperty() : nullptr;
                if (!Default)
                    return nullptr;
                Type = Default->GetTypeIntf();
                ThroughProperty = true;
                Indexes = 0;
            }
            if (Indexes < 0)
                return nullptr;
            break;
        }
        default:
            return nullptr;
        }
    }
    if (PropertyIndexPending || OpenArrayElement)
        return nullptr;
    Type = qlReduceAliases(Type);
    if (!Type || !qlAsContainer(Type) || Type->GetPointerType())
        return nullptr;
    return Type;
}

std::vector<TqlVariableReferenceNode*> qlWithExpressions(TqlStatementNode* With)
{
    std::vector<TqlVariableReferenceNode*> Result;
    for (int I = 0; I < With->Count(); ++I) {
        TqlNode* Child = With->GetNode(I);
        if (qlIsToken(Child, ptDo))
            break;
        if (auto* Ref = dynamic_cast<TqlVariableReferenceNode*>(Child))
            Result.push_back(Ref);
    }
    return Result;
}

TqlMethodImplementationNode* qlOutermostMethod(const TqlNode* Node)
{
    TqlMethodImplementationNode* Method = nullptr;
    for (TqlNode* N = Node ? Node->Parent() : nullptr; N; N = N->Parent())
        if (auto* M = dynamic_cast<TqlMethodImplementationNode*>(N))
            Method = M;
    return Method;
}

TqlClass* qlMethodClass(TqlUnit* Unit, const TqlMethodImplementationNode* Method)
{
    if (!Method)
        return nullptr;
    // The heading's first name, when a "." follows it, is the class's.
    for (int I = 0; I + 2 < Method->Count(); ++I)
        if (qlIsToken(Method->GetNode(I), ptIdentifier)) {
            TqlTokenNode* Next = Method->GetNextTokenNode(I, ptUnknown, true);
            if (!Next || Next->TokenKind() != ptPoint)
                return nullptr;
            const std::string ClassName = static_cast<TqlCodeNode*>(Method->GetNode(I))->GetCode(false);
            return dynamic_cast<TqlClass*>(Unit->FindReferencedSymbol(nullptr, ClassName, false, TqlUsedByInfo{}));
        }
    return nullptr;
}

TqlSymbol* qlWithExpressionType(TqlUnit* Unit, const TqlUseIndex& Uses, TqlVariableReferenceNode* Expression)
{
    bool IsAsCast = false;
    TqlIdentifierNode* Identifier = Expression->GetContainerNode(IsAsCast);
    if (!Identifier)
        return nullptr;
    TqlSymbol* Symbol = nullptr;
    if (TqlUsedByLocation* Use = Uses.Find(Identifier))
        Symbol = Use->GetUsedByList()->GetSymbol();
    else if (qlSameName(Identifier->GetCode(false), "Self"))
        // The analysis records no use of Self: it is the method's class.
        Symbol = qlMethodClass(Unit, qlOutermostMethod(Expression));
    if (!Symbol)
        return nullptr;
    bool ThroughProperty = false;
    TqlSymbol* Type = qlWithValueType(Expression, Identifier, Symbol, ThroughProperty);
    return dynamic_cast<TqlClass*>(Type) || dynamic_cast<TqlRecord*>(Type) ? Type : nullptr;
}

std::vector<TqlSymbol*> qlWithScopeTypes(TqlUnit* Unit, const TqlUseIndex& Uses, TqlStatementNode* With,
                                         bool& Unknown)
{
    // Each part between "with", the commas and "do" must be one reference.
    std::vector<TqlSymbol*> Types;
    int Parts = 1;
    for (int I = 0; I < With->Count() && !qlIsToken(With->GetNode(I), ptDo); ++I)
        if (qlIsToken(With->GetNode(I), ptComma))
            ++Parts;
    const std::vector<TqlVariableReferenceNode*> Expressions = qlWithExpressions(With);
    if (int(Expressions.size()) != Parts)
        Unknown = true;
    for (auto It = Expressions.rbegin(); It != Expressions.rend(); ++It) {
        if (TqlSymbol* Type = qlWithExpressionType(Unit, Uses, *It))
            Types.push_back(Type);
        else
            Unknown = true;
    }
    return Types;
}
