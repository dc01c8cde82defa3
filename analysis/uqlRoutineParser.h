// Routine headings, parameters, directives, result variables, the matching
// of implementations to their declarations, and routine bodies.
#pragma once

#include "analysis/uqlStructuredTypeParser.h"

class TRoutineParser : public TStructuredTypeParser {
public:
    using TStructuredTypeParser::TStructuredTypeParser;
    using TStructuredTypeParser::FormalParameterList;
    using TStructuredTypeParser::FunctionHeading;
    using TStructuredTypeParser::ProcedureDeclarationSection;
    using TStructuredTypeParser::ProcedureHeading;

    void ExportedHeading() override;
    // Routine implementations; returns the routine (nil for a function).
    TqlRoutine* ProcedureDeclarationSection(TqlVarContainer* Container);
    void ProcedureDeclarationSection() override;
    // Headings inside types (and of the interface section).
    TqlRoutine* FunctionHeading(TqlVarContainer* Container);
    TqlRoutine* ProcedureHeading(TqlVarContainer* Container);
    // Reads "(" sections ")"; may rebind Routine to a matching overload.
    void FormalParameterList(TqlRoutine*& Routine, bool AddParameters, bool MatchOverload);
    void DeclareResult(TqlRoutine* Routine);

    // The directive word's kind (rdNone for other words).
    static TRoutineDirective DirectiveOf(TptTokenKind ExID);

protected:
    // The name of the type reference at the current token, without its
    // unit ("" when it does not start with a name).
    void TypeNameHere(std::string& Name);
    TqlRoutine* RoutineImplementation(TqlVarContainer* Container);
    // The overload a heading without a parameter list implements: the one
    // of Routine's name that has no parameters (Routine when none has).
    TqlRoutine* ParameterlessOverload(TqlRoutine* Routine);
    void RoutineBody(TqlRoutine* Routine);
};
