// The indentation rules that the lint report's indentation check applies.
#pragma once

#include "model/uqlClasses.h"

class TqlIndentationConventions : public TInterfacedObject, public IqlIndentationConventions {
public:
    // The largest SpacesPerIndent that Load accepts.
    static constexpr int MaxSpacesPerIndent = 255;

    // Starts with the defaults.
    TqlIndentationConventions();

    bool GetIndentBeforeBegin() override { return FIndentBeforeBegin; }
    bool GetIndentBeforeElseInCaseBlock() override { return FIndentBeforeElseInCaseBlock; }
    bool GetIndentBeforeElseInTryBlock() override { return FIndentBeforeElseInTryBlock; }
    bool GetIndentBeforeTry() override { return FIndentBeforeTry; }
    bool GetIndentComments() override { return FIndentComments; }
    bool GetIndentDirectives() override { return FIndentDirectives; }
    bool GetNeverIndentElseIf() override { return FNeverIndentElseIf; }
    int GetSpacesPerIndent() override { return FSpacesPerIndent; }
    // Each value from section "IndentationConventions", the current value as
    // default; a SpacesPerIndent that is not a whole number from 1 to
    // MaxSpacesPerIndent keeps the current value.
    void Load(const Ref<IqlFileSettings>& Settings) override;
    void LoadDefaults() override;
    // Writes every value; the section is not erased first.
    void Save(const Ref<IqlFileSettings>& Settings) override;
    void SetIndentBeforeBegin(bool Value) override { FIndentBeforeBegin = Value; }
    void SetIndentBeforeElseInCaseBlock(bool Value) override { FIndentBeforeElseInCaseBlock = Value; }
    void SetIndentBeforeElseInTryBlock(bool Value) override { FIndentBeforeElseInTryBlock = Value; }
    void SetIndentBeforeTry(bool Value) override { FIndentBeforeTry = Value; }
    void SetIndentComments(bool Value) override { FIndentComments = Value; }
    void SetIndentDirectives(bool Value) override { FIndentDirectives = Value; }
    void SetNeverIndentElseIf(bool Value) override { FNeverIndentElseIf = Value; }
    void SetSpacesPerIndent(int Value) override { FSpacesPerIndent = Value; }

private:
    int FSpacesPerIndent = 2;
    bool FIndentBeforeBegin = false;
    bool FIndentBeforeTry = false;
    bool FIndentBeforeElseInTryBlock = false;
    bool FIndentBeforeElseInCaseBlock = false;
    bool FNeverIndentElseIf = false;
    bool FIndentComments = true;
    bool FIndentDirectives = false;
};
