// The naming conventions: one regular expression per kind of identifier.
#pragma once

#include "model/uqlClasses.h"

#include <array>

class TqlNamingConventions : public TInterfacedObject, public IqlNamingConventions {
public:
    // The rules, in the order in which they are loaded and saved. Each rule's
    // ini key is its name.
    enum TRule {
        nrLocalVariables, nrGlobalVariables, nrConstants, nrClassFields, nrClassTypes,
        nrInterfaceTypes, nrRecordTypes, nrObjectTypes, nrPointerTypes, nrRoutineNames,
        nrConstParameters, nrVarParameters, nrParameters, nrProperties, nrGetRoutines,
        nrSetRoutines, nrRuleCount
    };
    static const char* RuleName(TRule Rule);
    static const char* RuleDefault(TRule Rule);

    // Starts with the defaults.
    TqlNamingConventions();

    std::string GetClassFields() override { return FRules[nrClassFields]; }
    std::string GetClassTypes() override { return FRules[nrClassTypes]; }
    std::string GetConstants() override { return FRules[nrConstants]; }
    std::string GetConstParameters() override { return FRules[nrConstParameters]; }
    std::string GetGetRoutines() override { return FRules[nrGetRoutines]; }
    std::string GetGlobalVariables() override { return FRules[nrGlobalVariables]; }
    std::string GetInterfaceTypes() override { return FRules[nrInterfaceTypes]; }
    std::string GetLocalVariables() override { return FRules[nrLocalVariables]; }
    std::string GetObjectTypes() override { return FRules[nrObjectTypes]; }
    std::string GetParameters() override { return FRules[nrParameters]; }
    std::string GetPointerTypes() override { return FRules[nrPointerTypes]; }
    std::string GetProperties() override { return FRules[nrProperties]; }
    std::string GetRecordTypes() override { return FRules[nrRecordTypes]; }
    std::string GetRoutineNames() override { return FRules[nrRoutineNames]; }
    std::string GetSetRoutines() override { return FRules[nrSetRoutines]; }
    std::string GetVarParameters() override { return FRules[nrVarParameters]; }
    // Each rule from section "NamingConventions", the current value as default.
    void Load(const Ref<IqlFileSettings>& Settings) override;
    void LoadDefaults() override;
    // Writes every rule; the section is not erased first.
    void Save(const Ref<IqlFileSettings>& Settings) override;
    void SetClassFields(const std::string& Value) override { FRules[nrClassFields] = Value; }
    void SetClassTypes(const std::string& Value) override { FRules[nrClassTypes] = Value; }
    void SetConstants(const std::string& Value) override { FRules[nrConstants] = Value; }
    void SetConstParameters(const std::string& Value) override { FRules[nrConstParameters] = Value; }
    void SetGetRoutines(const std::string& Value) override { FRules[nrGetRoutines] = Value; }
    void SetGlobalVariables(const std::string& Value) override { FRules[nrGlobalVariables] = Value; }
    void SetInterfaceTypes(const std::string& Value) override { FRules[nrInterfaceTypes] = Value; }
    void SetLocalVariables(const std::string& Value) override { FRules[nrLocalVariables] = Value; }
    void SetObjectTypes(const std::string& Value) override { FRules[nrObjectTypes] = Value; }
    void SetParameters(const std::string& Value) override { FRules[nrParameters] = Value; }
    void SetPointerTypes(const std::string& Value) override { FRules[nrPointerTypes] = Value; }
    void SetProperties(const std::string& Value) override { FRules[nrProperties] = Value; }
    void SetRecordTypes(const std::string& Value) override { FRules[nrRecordTypes] = Value; }
    void SetRoutineNames(const std::string& Value) override { FRules[nrRoutineNames] = Value; }
    void SetSetRoutines(const std::string& Value) override { FRules[nrSetRoutines] = Value; }
    void SetVarParameters(const std::string& Value) override { FRules[nrVarParameters] = Value; }

    const std::string& Rule(TRule Rule) const { return FRules[Rule]; }

private:
    std::array<std::string, nrRuleCount> FRules;
};
