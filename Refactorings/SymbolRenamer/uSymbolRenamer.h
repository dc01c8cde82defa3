// Renames the symbol selected in the explorer at its declaration and at every
// place where the last analysis recorded a use of it; a unit also gets its
// file, its form file and the path of a uses entry renamed.
#pragma once

#include "Refactorings/Common/uqlPluginSupport.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <unordered_set>
#include <vector>

// A finding of a rename: text, file index, column and line.
using TqlLocatedMessageSink =
    std::function<void(const std::string& Text, int FileIndex, int X, int Y)>;
// The tree of a unit's source, opened on first request; nil without source.
using TqlTreeOpener = std::function<TqlModuleNode*(TqlUnit* Unit)>;

// One rename, all or nothing. Prepare checks the new name and the kind of
// symbol, sorts every place into the unit whose source holds it and reads
// the sources as text (every word of the old name must be a place or a
// recorded use or declaration of another symbol), without opening any tree;
// then RenameIn opens the units one at a time, maps each of their places to
// a token that holds the old name and looks the new name up where the old
// one and the new one are used. Tokens change only while every check so far
// has passed: the caller keeps the texts and writes them when all units did.
// Its parts live in units of their own: the family walk (uRenameFamily), the
// checks (uRenameChecks), the form check (uRenameForms) and the edits
// (uRenameEdits), with what they share in uRenameSupport.
class TqlSymbolRename {
public:
    TqlSymbolRename(TqlSymbol* Symbol, std::string NewName, TqlTreeOpener Open,
                    TqlLocatedMessageSink Sink);

    bool Prepare();
    // Maps the places in Unit (one of Units()) in the tree the opener gives
    // and renames them unless a place failed before; false when a place of
    // this unit does not map.
    bool RenameIn(TqlUnit* Unit);
    // Every place of the units renamed so far mapped.
    bool Succeeded() const { return FOk; }
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
    bool CheckKind();
    // A method is renamed with the methods of its name that override it, it
    // overrides, implement it or it implements, when all lie in sources of
    // the project; a bare inherited must call the same after the rename.
    bool CheckFamily();
    // Check for each method of the family in turn as the renamed symbol
    // (told whether it is the selected one); true for other symbols.
    bool ForEachMember(const std::function<bool(bool Selected)>& Check);
    // Where Routine's body calls its inherited method by a bare inherited.
    bool BareInheritedIn(TqlRoutine* Routine, int& X, int& Y);
    // Class maps the interface method Method to a method of its own by a
    // method resolution clause, where the analysis recorded a use of it.
    bool HasResolutionClause(TqlClass* Class, TqlRoutine* Method);
    bool CheckClashes();
    // Every word of the old name in the units the rename touches, their
    // include and form files, and in units the analysis left unfinished, is
    // a planned edit or a recorded declaration or use of another symbol.
    bool CheckWords();
    bool CheckWordsInFile(TqlUnit* Unit, int FileIndex, bool Changed, const std::string& Text);
    // The new name means the same as before wherever the old one or the new
    // one is used without qualification in Unit; without a tree, Unit's
    // source is read as text for the uses of the new name.
    bool CheckScopes(TqlUnit* Unit, TqlModuleNode* Tree, const std::vector<TqlTokenNode*>& Places);
    // The new name Self or Result does not stand at P where the method's
    // object or the function's result is read.
    bool CheckImplicitNames(TqlUnit* Unit, const std::vector<TqlRoutine*>& Bodies, const TPoint& P);
    // The new name of a unit is not read bare in Unit, which uses it or is
    // it, where it would name the unit.
    bool CheckUnitNameRead(TqlUnit* Unit);
    // The units that use the declaring unit without using the symbol.
    bool CheckHiding();
    // No form of the project writes the renamed property.
    bool CheckForms();
    bool SortPlace(int FileIndex, int X, int Y);
    // The text of a source, form or include file, read once per rename.
    const std::string& Source(const std::string& FileName);
    void Rename(TqlTokenNode* Token);
    void Post(const std::string& Text, int FileIndex, int X, int Y) { FSink(Text, FileIndex, X, Y); }

    TqlSymbol* FSymbol;
    // The symbols whose uses change with it: the symbol, the other methods
    // of its family or the properties it redeclares or that redeclare it,
    // and each function's result named after it.
    std::vector<TqlSymbol*> FFamily;
    bool IsRenamed(const TqlSymbol* S) const
    {
        return std::find(FFamily.begin(), FFamily.end(), S) != FFamily.end();
    }
    // The container whose scope declares the symbol; nil for a unit.
    TqlSymbol* FHome = nullptr;
    // The containers that declare the renamed methods of a family, else
    // the symbol's home.
    std::vector<TqlSymbol*> FHomes;
    std::string FOldName;
    std::string FNewName;
    TqlTreeOpener FOpen;
    TqlLocatedMessageSink FSink;
    // The places (qlPointKey) of each unit, in the order first met.
    std::map<TqlUnit*, std::vector<uint64_t>> FPlaces;
    std::vector<TqlUnit*> FUnits;
    // The places (file, column, line) where a heading repeats the name.
    std::set<std::tuple<int, int, int>> FHeadings;
    std::map<std::string, std::string> FSources;
    // The units whose words, and whose uses of the new name, were checked:
    // the methods of a family share them.
    std::unordered_set<TqlUnit*> FWordsChecked;
    std::unordered_set<TqlUnit*> FHidingChecked;
    bool FOk = false;
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
    // Writes Text to the new file To; "Attempt to overwrite file, %s." when
    // it exists.
    static void WriteExclusive(const std::string& To, const std::string& Text);
    // Copies the form file the analysis read for Unit to To, likewise.
    static void CopyForm(TqlUnit* Unit, const std::string& To);
    TqlSymbol* FSymbol = nullptr;
};
