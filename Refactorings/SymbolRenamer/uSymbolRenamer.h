// Renames the symbol selected in the explorer at its declaration and at every
// place where the last analysis recorded a use of it; a unit also gets its
// file, its form file and the path of a uses entry renamed.
#pragma once

#include "Refactorings/Common/uqlPluginSupport.h"

#include <map>
#include <string>
#include <vector>

// A finding of a rename: text, file index, column and line.
using TqlLocatedMessageSink =
    std::function<void(const std::string& Text, int FileIndex, int X, int Y)>;
// The tree of a unit's source, opened on first request; nil without source.
using TqlTreeOpener = std::function<TqlModuleNode*(TqlUnit* Unit)>;

// One rename, all or nothing: Prepare checks the new name and maps every
// place to a token that holds the old name; only when all of that succeeds
// does Apply change the trees.
class TqlSymbolRename {
public:
    TqlSymbolRename(TqlSymbol* Symbol, std::string NewName, TqlTreeOpener Open,
                    TqlLocatedMessageSink Sink);

    bool Prepare();
    void Apply();
    // The units whose trees the rename changes, the declaring unit first.
    const std::vector<TqlUnit*>& Units() const { return FUnits; }
    TqlUnit* DeclaringUnit() const { return FUnits.empty() ? nullptr : FUnits.front(); }

    // A name that can stand for a symbol: an identifier of at most 255
    // characters that is not a reserved word.
    static bool IsValidName(const std::string& Name);
    // The path of a uses entry with the last component's base name renamed
    // when it is OldName (case ignored); the path otherwise.
    static std::string RenamePath(const std::string& Literal, const std::string& OldName,
                                  const std::string& NewName);

private:
    struct TPlace {
        TqlUnit* Unit;
        TqlTokenNode* Token;
    };
    bool CheckClashes();
    bool CheckReach();
    bool MapPlace(int FileIndex, int X, int Y);
    void Post(const std::string& Text, int FileIndex, int X, int Y) { FSink(Text, FileIndex, X, Y); }
    TqlLeafIndex* Leaves(TqlUnit* Unit);

    TqlSymbol* FSymbol;
    std::string FOldName;
    std::string FNewName;
    TqlTreeOpener FOpen;
    TqlLocatedMessageSink FSink;
    std::vector<TPlace> FPlaces;
    std::vector<TqlUnit*> FUnits;
    std::map<TqlUnit*, std::unique_ptr<TqlLeafIndex>> FLeaves;
};

#include "Refactorings/uqlRefactoring.h"

class TSymbolRenamer : public TqlRefactoring {
public:
    std::string GetMenuCaption() override { return "Rename..."; }
    std::string GetName() override { return "SymbolRenamer"; }
    bool GetCanExecute() override;
    void Execute() override;

    // Renames Symbol to NewName in every unit concerned and writes them
    // below BaseFolder; nothing is written when any place cannot be renamed,
    // and the files of this run go again when writing fails.
    void RenameRefactor(TqlSymbol* Symbol, const std::string& NewName, const std::string& BaseFolder);

private:
    void WriteRenamedUnit(TqlUnit* Unit, const std::string& NewName, const std::string& BaseFolder);
    TqlSymbol* FSymbol = nullptr;
};
