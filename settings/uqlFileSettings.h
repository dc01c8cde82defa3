// The reference-counted access to one ini file through which every
// subsystem reads and writes its settings.
#pragma once

#include "model/uqlClasses.h"
#include "settings/uqlIniOptions.h"

#include <memory>
#include <string>

class TqlFileSettings : public TInterfacedObject, public IqlFileSettings {
public:
    // Binds the object to FileName for its whole life; reads nothing yet.
    explicit TqlFileSettings(const std::string& FileName);

    std::string GetFileName() override;
    Variant ReadValue(const std::string& Section, const std::string& Ident,
                      const Variant& Default) override;
    // Returns true and does nothing else: the object stays bound to its file.
    bool Open(const std::string& FileName) override;
    // List becomes the section's key names, in file order.
    void ReadSection(const std::string& Section, const Ref<IqlStringList>& List) override;
    // List becomes the section's key=value lines, in file order.
    void ReadSectionValues(const std::string& Section, const Ref<IqlStringList>& List) override;
    // Does nothing: every write has reached the file already.
    void SaveAs(const std::string& FileName) override;
    // Erases the section and writes one key per line of List (see
    // TOptions::WriteSection). A line that holds a line break is refused.
    void WriteSection(const std::string& Section, const Ref<IqlStringList>& List) override;
    void WriteValue(const std::string& Section, const std::string& Ident,
                    const Variant& Value) override;

    TOptions& Options() { return *FOptions; }

private:
    std::unique_ptr<TOptions> FOptions;
};
