// Error kinds and rule identifiers of the Object Pascal parser.
#pragma once

#include <cstdint>
#include <string>

// The recoverable syntax problems a grammar rule can report. The member's
// name is the text of the report.
enum TlxParseError : uint8_t {
    InvalidAdditiveOperator, InvalidAccessSpecifier, InvalidCharString,
    InvalidClassMethodHeading, InvalidConstantDeclaration, InvalidConstSection,
    InvalidDeclarationSection, InvalidDirective16Bit, InvalidDirectiveBinding,
    InvalidDirectiveCalling, InvalidExportedHeading, InvalidForStatement,
    InvalidInitializationSection, InvalidInterfaceDeclaration, InvalidInterfaceType,
    InvalidLabelId, InvalidLabeledStatement, InvalidMethodHeading,
    InvalidMultiplicativeOperator, InvalidNumber, InvalidOrdinalIdentifier,
    InvalidParameter, InvalidParseFile, InvalidProceduralDirective,
    InvalidProceduralType, InvalidProcedureDeclarationSection,
    InvalidProcedureMethodDeclaration, InvalidRealIdentifier, InvalidRelativeOperator,
    InvalidStorageSpecifier, InvalidStringIdentifier, InvalidStructuredType,
    InvalidTryStatement, InvalidTypeKind, InvalidVariantIdentifier, InvalidVarSection,
    vchInvalidClass, vchInvalidMethod, vchInvalidProcedure, vchInvalidCircuit,
    vchInvalidIncludeFile
};

constexpr int lxParseErrorCount = 41;

// The enumeration name of an error kind ("InvalidForStatement").
std::string ParserErrorName(TlxParseError Error);

// Identifiers of the grammar rules and hooks, for parsers derived from
// TlxSimplePasPar that need to name the rule they are in. The base parser
// does not use them.
enum TlxPasCodeInfo : uint8_t {
    ciNone, ciAccessSpecifier, ciAdditiveOperator, ciArrayConstant, ciArrayType,
    ciAsmStatement, ciBlock, ciCaseLabel, ciCaseSelector, ciCaseStatement,
    ciCharString, ciClassField, ciClassForward, ciClassFunctionHeading,
    ciClassHeritage, ciClassMemberList, ciClassMethodDirective, ciClassMethodHeading,
    ciClassMethodOrProperty, ciClassMethodResolution, ciClassProcedureHeading,
    ciClassProperty, ciClassReferenceType, ciClassType, ciClassVisibility,
    ciCompoundStatement, ciConstantColon, ciConstantDeclaration, ciConstantEqual,
    ciConstantExpression, ciConstantName, ciConstantValue, ciConstantValueTyped,
    ciConstParameter, ciConstructorHeading, ciConstructorName, ciConstSection,
    ciContainsClause, ciContainsExpression, ciContainsIdentifier, ciContainsStatement,
    ciDeclarationSection, ciDesignator, ciDestructorHeading, ciDestructorName,
    ciDirective16Bit, ciDirectiveBinding, ciDirectiveCalling, ciDispInterfaceForward,
    ciEmptyStatement, ciEnumeratedType, ciExceptBlock, ciExceptionBlockElseBranch,
    ciExceptionClassTypeIdentifier, ciExceptionHandler, ciExceptionHandlerList,
    ciExceptionIdentifier, ciExceptionVariable, ciExpliciteType, ciExportedHeading,
    ciExportsClause, ciExportsElement, ciExpression, ciExpressionList,
    ciExternalDirective, ciExternalDirectiveThree, ciExternalDirectiveTwo, ciFactor,
    ciFieldDeclaration, ciFieldList, ciFileType, ciFormalParameterList,
    ciFormalParameterSection, ciForStatement, ciFunctionHeading,
    ciFunctionMethodDeclaration, ciFunctionMethodName, ciFunctionProcedureBlock,
    ciFunctionProcedureName, ciHandlePtCompDirect, ciHandlePtDefineDirect,
    ciHandlePtElseDirect, ciHandlePtIfDefDirect, ciHandlePtEndIfDirect,
    ciHandlePtIfNDefDirect, ciHandlePtIfOptDirect, ciHandlePtIncludeDirect,
    ciHandlePtResourceDirect, ciHandlePtUndefDirect, ciIdentifierList, ciIfStatement,
    ciImplementationSection, ciIncludeFile, ciInheritedStatement,
    ciInitializationSection, ciInlineStatement, ciInterfaceDeclaration,
    ciInterfaceForward, ciInterfaceGUID, ciInterfaceHeritage, ciInterfaceMemberList,
    ciInterfaceSection, ciInterfaceType, ciLabelDeclarationSection, ciLabeledStatement,
    ciLabelId, ciLibraryFile, ciMainUsedUnitExpression, ciMainUsedUnitName,
    ciMainUsedUnitStatement, ciMainUsesClause, ciMultiplicativeOperator,
    ciNewFormalParameterType, ciNumber, ciNextToken, ciObjectConstructorHeading,
    ciObjectDestructorHeading, ciObjectField, ciObjectForward, ciObjectFunctionHeading,
    ciObjectHeritage, ciObjectMemberList, ciObjectMethodDirective,
    ciObjectMethodHeading, ciObjectNameOfMethod, ciObjectProcedureHeading,
    ciObjectType, ciObjectVisibility, ciOldFormalParameterType, ciOrdinalIdentifier,
    ciOrdinalType, ciOutParameter, ciPackageFile, ciParameterFormal, ciParameterName,
    ciParameterNameList, ciParseFile, ciPointerType, ciProceduralDirective,
    ciProceduralType, ciProcedureDeclarationSection, ciProcedureHeading,
    ciProcedureMethodDeclaration, ciProcedureMethodName, ciProgramBlock, ciProgramFile,
    ciPropertyInterface, ciPropertyName, ciPropertyParameterConst,
    ciPropertyParameterList, ciPropertySpecifiers, ciQualifiedIdentifier,
    ciQualifiedIdentifierList, ciRaiseStatement, ciReadAccessIdentifier,
    ciRealIdentifier, ciRealType, ciRecordConstant, ciRecordFieldConstant,
    ciRecordType, ciRecordVariant, ciRelativeOperator, ciRepeatStatement,
    ciRequiresClause, ciRequiresIdentifier, ciResolutionInterfaceName,
    ciResourceDeclaration, ciReturnType, ciSEMICOLON, ciSetConstructor, ciSetElement,
    ciSetType, ciSimpleExpression, ciSimpleStatement, ciSimpleType, ciSkipAnsiComment,
    ciSkipBorComment, ciSkipSlashesComment, ciSkipSpace, ciSkipCRLFco, ciSkipCRLF,
    ciStatement, ciStatementList, ciStorageExpression, ciStorageIdentifier,
    ciStorageDefault, ciStorageNoDefault, ciStorageSpecifier, ciStorageStored,
    ciStringIdentifier, ciStringStatement, ciStringType, ciStructuredType,
    ciSubrangeType, ciTagField, ciTagFieldName, ciTagFieldTypeName, ciTerm,
    ciTryStatement, ciTypedConstant, ciTypeDeclaration, ciTypeId, ciTypeKind,
    ciTypeName, ciTypeSection, ciUnitFile, ciUnitId, ciUsedUnitName, ciUsedUnitsList,
    ciUsesClause, ciVarAbsolute, ciVarEqual, ciVarDeclaration, ciVariable,
    ciVariableList, ciVariableReference, ciVariableTwo, ciVariantIdentifier,
    ciVariantSection, ciVarName, ciVarNameList, ciVarParameter, ciVarSection,
    ciVisibilityAutomated, ciVisibilityPrivate, ciVisibilityProtected,
    ciVisibilityPublic, ciVisibilityPublished, ciVisibilityUnknown, ciWhileStatement,
    ciWithStatement, ciWriteAccessIdentifier
};

constexpr int lxPasCodeInfoCount = 232;

// The enumeration name of a rule identifier ("ciBlock").
std::string PasCodeInfoName(TlxPasCodeInfo Info);
