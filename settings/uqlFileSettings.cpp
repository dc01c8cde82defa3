#include "settings/uqlFileSettings.h"

#include "settings/uqlStringList.h"

TqlFileSettings::TqlFileSettings(const std::string& FileName)
    : FOptions(std::make_unique<TOptions>(FileName))
{
}

std::string TqlFileSettings::GetFileName()
{
    return FOptions->FileName();
}

Variant TqlFileSettings::ReadValue(const std::string& Section, const std::string& Ident,
                                   const Variant& Default)
{
    return FOptions->ReadValue(Section, Ident, Default);
}

bool TqlFileSettings::Open(const std::string& /*FileName*/)
{
    return true;
}

void TqlFileSettings::ReadSection(const std::string& Section, const Ref<IqlStringList>& List)
{
    std::vector<std::string> Keys;
    FOptions->ReadSection(Section, Keys);
    qlSetListLines(List, Keys);
}

void TqlFileSettings::ReadSectionValues(const std::string& Section, const Ref<IqlStringList>& List)
{
    std::vector<std::string> Lines;
    FOptions->ReadSectionValues(Section, Lines);
    qlSetListLines(List, Lines);
}

void TqlFileSettings::SaveAs(const std::string& /*FileName*/) {}

void TqlFileSettings::WriteSection(const std::string& Section, const Ref<IqlStringList>& List)
{
    const std::vector<std::string> Lines = qlListLines(List);
    // A line with a line break in it would become several keys of the file.
    for (const std::string& L : Lines)
        if (L.find_first_of("\r\n") != std::string::npos)
            throw Exception("Cannot store the line \"" + L + "\" in section \"" + Section +
                            "\" of \"" + GetFileName() + "\": it holds a line break.");
    FOptions->WriteSection(Section, Lines);
}

void TqlFileSettings::WriteValue(const std::string& Section, const std::string& Ident,
                                 const Variant& Value)
{
    FOptions->WriteValue(Section, Ident, Value);
}
