// Class types, class references, forward classes, fields, methods and
// properties.
#pragma once

#include "analysis/uqlRoutineParser.h"

#include <memory>

class TClassParser : public TRoutineParser {
public:
    using TRoutineParser::TRoutineParser;
    using TRoutineParser::ClassField;
    using TRoutineParser::ClassForward;
    using TRoutineParser::ClassHeritage;
    using TRoutineParser::ClassMemberList;
    using TRoutineParser::ClassMethodOrProperty;
    using TRoutineParser::ClassProperty;
    using TRoutineParser::ClassType;
    using TRoutineParser::ClassVisibility;

    TqlClass* ClassType(const std::string& Name, const TPoint& Position);
    TqlClass* ClassForward(const std::string& Name, const TPoint& Position);
    void ClassHeritage(TqlClass* Class);
    void ClassMemberList(TqlClass* Class);
    void ClassVisibility(TqlClass* Class, TVisibilityKind& Visibility);
    void ClassField(TqlClass* Class, TVisibilityKind Visibility);
    void ClassMethodOrProperty(TqlClass* Class, TVisibilityKind Visibility);
    void ClassProperty(TqlClass* Class, TVisibilityKind Visibility);
    // "procedure IGreeter.Greet = SayHello;" names the interface, its method
    // and the class's method that implements it: uses of all three, recorded
    // once the class body has been read (the method may come later in it).
    void ClassMethodResolution() override;

protected:
    // Gives Class the ancestor TObject of the unit System, when known.
    void ImplicitAncestor(TqlClass* Class);
    // Links Class to Ancestor unless that would make a cycle.
    static void SetAncestor(TqlClass* Class, TqlClass* Ancestor);
    // A method heading inside a class, object or interface body.
    void MethodHeading(TqlClass* Class, TVisibilityKind Visibility);
    // Takes a forward declaration of Name out of List (moved to Position).
    TqlClass* TakeForward(std::unique_ptr<TqlHashedObjectList>& List,
                                 const std::string& Name, const TPoint& Position);
    static void EnterForward(std::unique_ptr<TqlHashedObjectList>& List, TqlClass* Class);
    // The index parameters of an array property (names with their 1-based
    // places) repeat the parameters of its accessor methods.
    void RecordIndexNames(TqlProperty* Prop, const TPositionList& Names);
    // What the expression after "message" (the current word) writes, as a
    // key that handlers of the same message share.
    uint32_t MessageKeyAhead();

    std::unique_ptr<TqlHashedObjectList> FForwardClasses;

private:
    struct TResolutionClause {
        TqlClass* Class = nullptr;
        std::string Interface, Method, Implementer;
        TqlUsedByInfo InterfaceAt, MethodAt, ImplementerAt;
    };
    // The clauses of the class being declared, until its body ends.
    std::vector<TResolutionClause> FResolutionClauses;
    void ResolveClauses(TqlClass* Class);
    void ResolveClause(const TResolutionClause& Clause);
};
