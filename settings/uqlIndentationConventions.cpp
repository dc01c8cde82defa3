#include "settings/uqlIndentationConventions.h"

namespace {
const char* const SecIndentation = "IndentationConventions";

bool ReadFlag(const Ref<IqlFileSettings>& Settings, const char* Key, bool Current)
{
    return Settings->ReadValue(SecIndentation, Key, Variant(Current)).AsBoolean();
}
} // namespace

TqlIndentationConventions::TqlIndentationConventions()
{
    LoadDefaults();
}

void TqlIndentationConventions::Load(const Ref<IqlFileSettings>& Settings)
{
    const int64_t Spaces =
        Settings->ReadValue(SecIndentation, "SpacesPerIndent", Variant(FSpacesPerIndent))
            .AsInteger();
    // An indent of no spaces, fewer, or absurdly many cannot be checked.
    if (Spaces >= 1 && Spaces <= MaxSpacesPerIndent)
        FSpacesPerIndent = static_cast<int>(Spaces);
    FIndentBeforeBegin = ReadFlag(Settings, "IndentBeforeBegin", FIndentBeforeBegin);
    FIndentBeforeTry = ReadFlag(Settings, "IndentBeforeTry", FIndentBeforeTry);
    FIndentBeforeElseInTryBlock =
        ReadFlag(Settings, "IndentBeforeElseInTryBlock", FIndentBeforeElseInTryBlock);
    FIndentBeforeElseInCaseBlock =
        ReadFlag(Settings, "IndentBeforeElseInCaseBlock", FIndentBeforeElseInCaseBlock);
    FNeverIndentElseIf = ReadFlag(Settings, "NeverIndentElseIf", FNeverIndentElseIf);
    FIndentComments = ReadFlag(Settings, "IndentComments", FIndentComments);
    FIndentDirectives = ReadFlag(Settings, "IndentDirectives", FIndentDirectives);
}

void TqlIndentationConventions::LoadDefaults()
{
    FSpacesPerIndent = 2;
    FIndentBeforeBegin = false;
    FIndentBeforeTry = false;
    FIndentBeforeElseInTryBlock = false;
    FIndentBeforeElseInCaseBlock = false;
    FNeverIndentElseIf = false;
    FIndentComments = true;
    FIndentDirectives = false;
}

void TqlIndentationConventions::Save(const Ref<IqlFileSettings>& Settings)
{
    Settings->WriteValue(SecIndentation, "SpacesPerIndent", Variant(FSpacesPerIndent));
    Settings->WriteValue(SecIndentation, "IndentBeforeBegin", Variant(FIndentBeforeBegin));
    Settings->WriteValue(SecIndentation, "IndentBeforeTry", Variant(FIndentBeforeTry));
    Settings->WriteValue(SecIndentation, "IndentBeforeElseInTryBlock",
                         Variant(FIndentBeforeElseInTryBlock));
    Settings->WriteValue(SecIndentation, "IndentBeforeElseInCaseBlock",
                         Variant(FIndentBeforeElseInCaseBlock));
    Settings->WriteValue(SecIndentation, "NeverIndentElseIf", Variant(FNeverIndentElseIf));
    Settings->WriteValue(SecIndentation, "IndentComments", Variant(FIndentComments));
    Settings->WriteValue(SecIndentation, "IndentDirectives", Variant(FIndentDirectives));
}
