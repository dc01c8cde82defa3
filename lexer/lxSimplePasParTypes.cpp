#include "lexer/lxSimplePasParTypes.h"

namespace {

const char* const ParseErrorNames[lxParseErrorCount] = {
    "InvalidAdditiveOperator", "InvalidAccessSpecifier", "InvalidCharString",
    "InvalidClassMethodHeading", "InvalidConstantDeclaration", "InvalidConstSection",
    "InvalidDeclarationSection", "InvalidDirective16Bit", "InvalidDirectiveBinding",
    "InvalidDirectiveCalling", "InvalidExportedHeading", "InvalidForStatement",
    "InvalidInitializationSection", "InvalidInterfaceDeclaration",
    "InvalidInterfaceType", "InvalidLabelId", "InvalidLabeledStatement",
    "InvalidMethodHeading", "InvalidMultiplicativeOperator", "InvalidNumber",
    "InvalidOrdinalIdentifier", "InvalidParameter", "InvalidParseFile",
    "InvalidProceduralDirective", "InvalidProceduralType",
    "InvalidProcedureDeclarationSection", "InvalidProcedureMethodDeclaration",
    "InvalidRealIdentifier", "InvalidRelativeOperator", "InvalidStorageSpecifier",
    "InvalidStringIdentifier", "InvalidStructuredType", "InvalidTryStatement",
    "InvalidTypeKind", "InvalidVariantIdentifier", "InvalidVarSection",
    "vchInvalidClass", "vchInvalidMethod", "vchInvalidProcedure", "vchInvalidCircuit",
    "vchInvalidIncludeFile"
};

const char* const CodeInfoNames[lxPasCodeInfoCount] = {
    "ciNone", "ciAccessSpecifier", "ciAdditiveOperator", "ciArrayConstant",
    "ciArrayType", "ciAsmStatement", "ciBlock", "ciCaseLabel", "ciCaseSelector",
    "ciCaseStatement", "ciCharString", "ciClassField", "ciClassForward",
    "ciClassFunctionHeading", "ciClassHeritage", "ciClassMemberList",
    "ciClassMethodDirective", "ciClassMethodHeading", "ciClassMethodOrProperty",
    "ciClassMethodResolution", "ciClassProcedureHeading", "ciClassProperty",
    "ciClassReferenceType", "ciClassType", "ciClassVisibility", "ciCompoundStatement",
    "ciConstantColon", "ciConstantDeclaration", "ciConstantEqual",
    "ciConstantExpression", "ciConstantName", "ciConstantValue",
    "ciConstantValueTyped", "ciConstParameter", "ciConstructorHeading",
    "ciConstructorName", "ciConstSection", "ciContainsClause", "ciContainsExpression",
    "ciContainsIdentifier", "ciContainsStatement", "ciDeclarationSection",
    "ciDesignator", "ciDestructorHeading", "ciDestructorName", "ciDirective16Bit",
    "ciDirectiveBinding", "ciDirectiveCalling", "ciDispInterfaceForward",
    "ciEmptyStatement", "ciEnumeratedType", "ciExceptBlock",
    "ciExceptionBlockElseBranch", "ciExceptionClassTypeIdentifier",
    "ciExceptionHandler", "ciExceptionHandlerList", "ciExceptionIdentifier",
    "ciExceptionVariable", "ciExpliciteType", "ciExportedHeading", "ciExportsClause",
    "ciExportsElement", "ciExpression", "ciExpressionList", "ciExternalDirective",
    "ciExternalDirectiveThree", "ciExternalDirectiveTwo", "ciFactor",
    "ciFieldDeclaration", "ciFieldList", "ciFileType", "ciFormalParameterList",
    "ciFormalParameterSection", "ciForStatement", "ciFunctionHeading",
    "ciFunctionMethodDeclaration", "ciFunctionMethodName", "ciFunctionProcedureBlock",
    "ciFunctionProcedureName", "ciHandlePtCompDirect", "ciHandlePtDefineDirect",
    "ciHandlePtElseDirect", "ciHandlePtIfDefDirect", "ciHandlePtEndIfDirect",
    "ciHandlePtIfNDefDirect", "ciHandlePtIfOptDirect", "ciHandlePtIncludeDirect",
    "ciHandlePtResourceDirect", "ciHandlePtUndefDirect", "ciIdentifierList",
    "ciIfStatement", "ciImplementationSection", "ciIncludeFile",
    "ciInheritedStatement", "ciInitializationSection", "ciInlineStatement",
    "ciInterfaceDeclaration", "ciInterfaceForward", "ciInterfaceGUID",
    "ciInterfaceHeritage", "ciInterfaceMemberList", "ciInterfaceSection",
    "ciInterfaceType", "ciLabelDeclarationSection", "ciLabeledStatement", "ciLabelId",
    "ciLibraryFile", "ciMainUsedUnitExpression", "ciMainUsedUnitName",
    "ciMainUsedUnitStatement", "ciMainUsesClause", "ciMultiplicativeOperator",
    "ciNewFormalParameterType", "ciNumber", "ciNextToken",
    "ciObjectConstructorHeading", "ciObjectDestructorHeading", "ciObjectField",
    "ciObjectForward", "ciObjectFunctionHeading", "ciObjectHeritage",
    "ciObjectMemberList", "ciObjectMethodDirective", "ciObjectMethodHeading",
    "ciObjectNameOfMethod", "ciObjectProcedureHeading", "ciObjectType",
    "ciObjectVisibility", "ciOldFormalParameterType", "ciOrdinalIdentifier",
    "ciOrdinalType", "ciOutParameter", "ciPackageFile", "ciParameterFormal",
    "ciParameterName", "ciParameterNameList", "ciParseFile", "ciPointerType",
    "ciProceduralDirective", "ciProceduralType", "ciProcedureDeclarationSection",
    "ciProcedureHeading", "ciProcedureMethodDeclaration", "ciProcedureMethodName",
    "ciProgramBlock", "ciProgramFile", "ciPropertyInterface", "ciPropertyName",
    "ciPropertyParameterConst", "ciPropertyParameterList", "ciPropertySpecifiers",
    "ciQualifiedIdentifier", "ciQualifiedIdentifierList", "ciRaiseStatement",
    "ciReadAccessIdentifier", "ciRealIdentifier", "ciRealType", "ciRecordConstant",
    "ciRecordFieldConstant", "ciRecordType", "ciRecordVariant", "ciRelativeOperator",
    "ciRepeatStatement", "ciRequiresClause", "ciRequiresIdentifier",
    "ciResolutionInterfaceName", "ciResourceDeclaration", "ciReturnType",
    "ciSEMICOLON", "ciSetConstructor", "ciSetElement", "ciSetType",
    "ciSimpleExpression", "ciSimpleStatement", "ciSimpleType", "ciSkipAnsiComment",
    "ciSkipBorComment", "ciSkipSlashesComment", "ciSkipSpace", "ciSkipCRLFco",
    "ciSkipCRLF", "ciStatement", "ciStatementList", "ciStorageExpression",
    "ciStorageIdentifier", "ciStorageDefault", "ciStorageNoDefault",
    "ciStorageSpecifier", "ciStorageStored", "ciStringIdentifier", "ciStringStatement",
    "ciStringType", "ciStructuredType", "ciSubrangeType", "ciTagField",
    "ciTagFieldName", "ciTagFieldTypeName", "ciTerm", "ciTryStatement",
    "ciTypedConstant", "ciTypeDeclaration", "ciTypeId", "ciTypeKind", "ciTypeName",
    "ciTypeSection", "ciUnitFile", "ciUnitId", "ciUsedUnitName", "ciUsedUnitsList",
    "ciUsesClause", "ciVarAbsolute", "ciVarEqual", "ciVarDeclaration", "ciVariable",
    "ciVariableList", "ciVariableReference", "ciVariableTwo", "ciVariantIdentifier",
    "ciVariantSection", "ciVarName", "ciVarNameList", "ciVarParameter", "ciVarSection",
    "ciVisibilityAutomated", "ciVisibilityPrivate", "ciVisibilityProtected",
    "ciVisibilityPublic", "ciVisibilityPublished", "ciVisibilityUnknown",
    "ciWhileStatement", "ciWithStatement", "ciWriteAccessIdentifier"
};

} // namespace

std::string ParserErrorName(TlxParseError Error)
{
    if (static_cast<int>(Error) >= lxParseErrorCount)
        return std::string();
    return ParseErrorNames[Error];
}

std::string PasCodeInfoName(TlxPasCodeInfo Info)
{
    if (static_cast<int>(Info) >= lxPasCodeInfoCount)
        return std::string();
    return CodeInfoNames[Info];
}
