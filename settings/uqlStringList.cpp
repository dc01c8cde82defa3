#include "settings/uqlStringList.h"

#include "settings/uqlIniOptions.h"

std::function<void(const std::string& Text)> gqlClipboardSetText;

int TqlStringList::Add(const std::string& S)
{
    FLines.push_back(S);
    return static_cast<int>(FLines.size()) - 1;
}

void TqlStringList::Clear()
{
    FLines.clear();
}

void TqlStringList::CopyToClipboard()
{
    if (gqlClipboardSetText)
        gqlClipboardSetText(GetText());
}

int TqlStringList::GetCount()
{
    return static_cast<int>(FLines.size());
}

std::string TqlStringList::GetString(int Index)
{
    if (Index < 0 || Index >= GetCount())
        throw EListError(Index);
    return FLines[static_cast<size_t>(Index)];
}

std::string TqlStringList::GetText()
{
    std::string Text;
    for (const std::string& L : FLines) {
        Text += L;
        Text += "\r\n";
    }
    return Text;
}

void TqlStringList::SaveToFile(const std::string& FileName)
{
    qlWriteFileAtomically(FileName, GetText());
}

void TqlStringList::SetText(const std::string& Value)
{
    FLines.clear();
    size_t Pos = 0;
    while (Pos < Value.size()) {
        size_t End = Value.find_first_of("\r\n", Pos);
        if (End == std::string::npos) {
            FLines.push_back(Value.substr(Pos));
            break;
        }
        FLines.push_back(Value.substr(Pos, End - Pos));
        if (Value[End] == '\r' && End + 1 < Value.size() && Value[End + 1] == '\n')
            ++End;
        Pos = End + 1;
    }
}

int TqlStringList::IndexOf(const std::string& S)
{
    for (size_t I = 0; I < FLines.size(); ++I)
        if (qlSameText(FLines[I], S))
            return static_cast<int>(I);
    return -1;
}

std::vector<std::string> qlListLines(const Ref<IqlStringList>& List)
{
    std::vector<std::string> Lines;
    if (!List)
        return Lines;
    if (auto* Own = dynamic_cast<TqlStringList*>(List.get()))
        return Own->Lines();
    const int N = List->GetCount();
    Lines.reserve(static_cast<size_t>(N));
    for (int I = 0; I < N; ++I)
        Lines.push_back(List->GetString(I));
    return Lines;
}

void qlSetListLines(const Ref<IqlStringList>& List, const std::vector<std::string>& Lines)
{
    if (!List)
        return;
    if (auto* Own = dynamic_cast<TqlStringList*>(List.get())) {
        Own->SetLines(Lines);
        return;
    }
    List->Clear();
    for (const std::string& L : Lines)
        List->Add(L);
}
