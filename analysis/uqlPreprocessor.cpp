#include "analysis/uqlPreprocessor.h"

#include "base/uqlPathUtils.h"
#include "lexer/lxCompilerConditions.h"
#include "lexer/lxPasLexTypes.h"
#include "model/uqlClasses.h"

#include <fstream>
#include <sstream>

TPreProcessor::TPreProcessor(const TlxAssignAbleHash* Defines) : TlxSimplePasPar(nullptr, nullptr)
{
    Lexer().DefinedList()->Assign(Defines);
    lxSetDelphi7Conditions(Lexer(), qlSystemDeclares);
    // Include files are read, so that a uses clause or conditional that an
    // include file completes scans as it parses.
    Lexer().SetOnIncludeDirect([this](TlxBasePasLex*, const std::string& Name) {
        return IncludeText(Name);
    });
    Lexer().SetOnIncludeEnd([this](TlxBasePasLex*) {
        if (!FOpenIncludes.empty())
            FOpenIncludes.pop_back();
    });
}

TPreProcessor::~TPreProcessor() = default;

const char* TPreProcessor::IncludeText(const std::string& FileName)
{
    std::string Name = FileName;
    if (qlExtractFileExt(Name).empty())
        Name += ".pas";
    std::string Full = qlResolveFile(FBaseFolder, Name);
    if (Full.empty() && !qlHasFolderPart(Name) && gqlProject) {
        bool IsLibrary = false;
        gqlProject->FindUnitFile(Name, "", Full, IsLibrary);
    }
    if (Full.empty())
        return nullptr;
    for (const std::string& Open : FOpenIncludes)
        if (Open == Full)
            return nullptr;
    // One text per file, however often it is included.
    auto Known = FIncludeTexts.find(Full);
    if (Known == FIncludeTexts.end()) {
        std::ifstream In(Full, std::ios::binary);
        if (!In)
            return nullptr;
        std::ostringstream Text;
        Text << In.rdbuf();
        Known = FIncludeTexts.emplace(Full, Text.str()).first;
    }
    FOpenIncludes.push_back(Full);
    return Known->second.c_str();
}

void TPreProcessor::SetValue(const std::string& Name, const std::string& Value)
{
    auto [It, Added] = FUsedUnitIndex.try_emplace(qlSameTextKey(Name), FUsedUnits.size());
    if (!Added) {
        FUsedUnits[It->second].second = Value;
        return;
    }
    FUsedUnits.emplace_back(Name, Value);
}

void TPreProcessor::UsedUnitName()
{
    FCurrentName = Lexer().GetToken();
    if (GetTokenID() == ptIdentifier)
        SetValue(FCurrentName, FCurrentName);
    TlxSimplePasPar::UsedUnitName();
}

void TPreProcessor::MainUsedUnitName()
{
    FCurrentName = Lexer().GetToken();
    if (GetTokenID() == ptIdentifier)
        SetValue(FCurrentName, FCurrentName);
    TlxSimplePasPar::MainUsedUnitName();
}

void TPreProcessor::ContainsStatement()
{
    FCurrentName = Lexer().GetToken();
    if (GetTokenID() == ptIdentifier)
        SetValue(FCurrentName, FCurrentName);
    TlxSimplePasPar::ContainsStatement();
}

void TPreProcessor::MainUsedUnitExpression()
{
    if (GetTokenID() == ptStringConst && !FCurrentName.empty())
        SetValue(FCurrentName, Lexer().GetToken());
    TlxSimplePasPar::MainUsedUnitExpression();
}

void TPreProcessor::ContainsExpression()
{
    if (GetTokenID() == ptStringConst && !FCurrentName.empty())
        SetValue(FCurrentName, Lexer().GetToken());
    TlxSimplePasPar::ContainsExpression();
}

int ScanUsedUnits(const std::string& FileName, TNameValueList* List)
{
    if (!qlIsRegularFile(FileName))
        return 0;
    std::unique_ptr<TlxAssignAbleHash> Defines;
    if (gqlProject)
        if (Ref<IqlOptions> Options = gqlProject->GetOptions())
            if (Ref<IqlStringList> Lines = Options->GetDefines())
                Defines = std::make_unique<TlxAssignAbleHash>(Lines->GetText());
    TPreProcessor Scanner(Defines.get());
    Scanner.SetBaseFolder(qlFolderOf(FileName));
    TlxLexStream Stream;
    Stream.LoadFromFile(FileName);
    try {
        Scanner.Run(FileName, &Stream);
    } catch (const ESyntaxError&) {
        // The scan only gathers names: a file the real parse rejects (or one
        // whose include files the scan cannot find) keeps what was gathered
        // up to the error; the real parse reports the problem itself.
    }
    if (List)
        *List = Scanner.UsedUnits();
    return static_cast<int>(Scanner.UsedUnits().size());
}
