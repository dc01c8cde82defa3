// The coding conventions: component prefixes, naming conventions and
// indentation conventions, with the ini file they live in.
#pragma once

#include "model/uqlClasses.h"

class TqlCodingConventions : public TInterfacedObject, public IqlCodingConventions {
public:
    // Creates the parts (an empty prefix list, the naming and indentation
    // defaults) and binds the file; reads nothing.
    explicit TqlCodingConventions(const std::string& FileName);

    Ref<IqlPrefixList> GetComponentPrefixes() override { return FComponentPrefixes; }
    Ref<IqlIndentationConventions> GetIndentationConventions() override
    {
        return FIndentationConventions;
    }
    Ref<IqlNamingConventions> GetNamingConventions() override { return FNamingConventions; }
    void Load() override;
    void LoadDefaults() override;
    void LoadDefaultsComponentPrefixes() override;
    void LoadDefaultsIndentation() override;
    void LoadDefaultsNaming() override;
    void LoadDefaultsReserved() override;
    // Loads the three parts; a prefix list left empty gets the defaults.
    void LoadFromFile(const Ref<IqlFileSettings>& Settings) override;
    void Save() override;
    void SaveToFile(const Ref<IqlFileSettings>& Settings) override;

    const std::string& FileName() const { return FFileName; }
    Ref<IqlFileSettings> FileSettings() const { return FFileSettings; }

private:
    std::string FFileName;
    Ref<IqlPrefixList> FComponentPrefixes;
    Ref<IqlFileSettings> FFileSettings;
    Ref<IqlNamingConventions> FNamingConventions;
    Ref<IqlIndentationConventions> FIndentationConventions;
};
