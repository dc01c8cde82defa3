// A light pass over one source file that collects the units its uses
// clauses and its contains clause name, with the paths of their "in" clauses.
#pragma once

#include "lexer/lxSimplePasPar.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class TlxAssignAbleHash;

// Name=value lines: unit name, in-path (as written, or the name itself).
using TNameValueList = std::vector<std::pair<std::string, std::string>>;

class TPreProcessor : public TlxSimplePasPar {
public:
    // The defines are copied into the lexer's defined symbols (nil: none).
    explicit TPreProcessor(const TlxAssignAbleHash* Defines);
    ~TPreProcessor() override;

    const TNameValueList& UsedUnits() const { return FUsedUnits; }
    // The folder against which include files are resolved.
    void SetBaseFolder(const std::string& Folder) { FBaseFolder = Folder; }

    void UsedUnitName() override;
    void MainUsedUnitName() override;
    void ContainsStatement() override;
    void MainUsedUnitExpression() override;
    void ContainsExpression() override;

private:
    void SetValue(const std::string& Name, const std::string& Value);
    const char* IncludeText(const std::string& FileName);

    std::string FCurrentName;
    TNameValueList FUsedUnits;
    // Position in FUsedUnits of each name, by case-insensitive key.
    std::unordered_map<std::string, size_t> FUsedUnitIndex;
    std::string FBaseFolder;
    // The text of each include file read, by full name.
    std::unordered_map<std::string, std::string> FIncludeTexts;
    std::vector<std::string> FOpenIncludes;
};

// Scans FileName; returns the number of units found and, when List is given,
// replaces its contents with the name=value lines. A file that does not exist
// gives 0 and leaves List alone.
int ScanUsedUnits(const std::string& FileName, TNameValueList* List);
