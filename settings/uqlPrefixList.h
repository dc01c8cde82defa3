// The component-prefix rules, with their built-in defaults, stored in the
// sections "Options" and "Prefixes" of the coding-conventions file.
#pragma once

#include "model/uqlClasses.h"

#include <vector>

// Where a component is declared or used: the unit and the file of the unit
// (its source file or its form file).
struct TqlUsePlace {
    int UnitIndex = 0;
    int FileIndex = 0;
};

class TqlPrefixList : public TInterfacedObject, public IqlPrefixList {
public:
    // The built-in rules, in order: the prefix word (the pattern is the word
    // followed by DefaultPatternTail) and the component class.
    struct TDefaultRule {
        const char* Word;
        const char* ComponentClass;
    };
    static constexpr const char* DefaultPatternTail = "[A-Z].+";
    static const std::vector<TDefaultRule>& DefaultRules();

    // A new list is empty, with EnforcePrefixOnUnreferenced off.
    TqlPrefixList();

    Ref<IqlComponentPrefix> Add(const std::string& Prefix, const std::string& ComponentClass) override;
    // Empties the list and switches EnforcePrefixOnUnreferenced off.
    void Clear() override;
    // True when the component's name follows the rule of its class, or no
    // rule names the class, or (unless EnforcePrefixOnUnreferenced is on) the
    // source code never uses the component, only its unit's form file does.
    // ExpectedPrefix becomes the rule's pattern whenever the name does not
    // match it.
    bool CheckPrefix(const std::string& ComponentClass, TqlSymbol* Component,
                     std::string& ExpectedPrefix) override;
    // Removes the rule at Index; raises EListError for an index out of range.
    void Delete(int Index) override;
    void Remove(const Ref<IqlComponentPrefix>& Prefix) override;
    // The first rule whose class equals ComponentClass without regard to
    // case, or nil.
    Ref<IqlComponentPrefix> Find(const std::string& ComponentClass) override;
    int GetCount() override;
    bool GetEnforcePrefixOnUnreferenced() override { return FEnforcePrefixOnUnreferenced; }
    // Raises EListError for an index out of range.
    Ref<IqlComponentPrefix> GetItem(int Index) override;
    void Load(const Ref<IqlFileSettings>& Settings) override;
    void LoadDefaults() override;
    // Refuses, before anything is written, a rule whose pattern cannot be
    // stored as an ini key or whose class holds a line break.
    void Save(const Ref<IqlFileSettings>& Settings) override;
    void SetEnforcePrefixOnUnreferenced(bool Value) override { FEnforcePrefixOnUnreferenced = Value; }

    // CheckPrefix on plain data: the component's name, the place of its
    // declaration and the places of its uses.
    bool CheckPrefixFor(const std::string& ComponentClass, const std::string& Name,
                        const TqlUsePlace& Declaration, const std::vector<TqlUsePlace>& Uses,
                        std::string& ExpectedPrefix);

private:
    // 1 when the name passes (no rule, or it matches), 0 when it fails, -1
    // when it does not match but may be excused as unreferenced. Sets
    // ExpectedPrefix when the name does not match.
    int MatchRule(const std::string& ComponentClass, const std::string& Name,
                  std::string& ExpectedPrefix);
    // True when every use lies in the declaring unit but in another file.
    static bool OnlyUsedByOtherFiles(const TqlUsePlace& Declaration,
                                     const std::vector<TqlUsePlace>& Uses);
    // The project's shared matcher, or one of our own when there is no
    // project (tools and tests).
    Ref<IqlRegExpr> Matcher();

    std::vector<Ref<IqlComponentPrefix>> FItems;
    bool FEnforcePrefixOnUnreferenced = false;
    Ref<IqlRegExpr> FOwnMatcher;
};
