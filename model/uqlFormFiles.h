// The form-file model: components, their properties and the form of a
// unit, read from binary or text form files.
#pragma once

#include "model/uqlSymbolLists.h"

#include <iosfwd>
#include <memory>
#include <string>

// ---------------------------------------------------------------------------
// Form files
// ---------------------------------------------------------------------------

// A malformed form file or a form text the reader cannot follow.
class EParserError : public Exception {
public:
    explicit EParserError(const std::string& Msg) : Exception(Msg) {}
};

class TqlCollectionItem;

class TqlComponentProperty : public TqlBase {
public:
    explicit TqlComponentProperty(const std::string& Name) : FName(Name) {}
    // The name before the first dot.
    const std::string& GetName() const { return FName; }
    // The name as the form writes it, dots included ("Font.Name").
    const std::string& GetFullName() const { return FFullName.empty() ? FName : FFullName; }
    void SetFullName(const std::string& Value) { FFullName = Value == FName ? std::string() : Value; }
    const Variant& GetValue() const { return FValue; }
    void SetValue(const Variant& Value) { FValue = Value; }
    TDFMPropType GetValueType() const { return FValueType; }
    void SetValueType(TDFMPropType Value) { FValueType = Value; }
    // The line of the name in the form's text (from 1; in a binary form, of
    // its text form); 0 when not read from a form.
    int GetLine() const { return FLine; }
    void SetLine(int Value) { FLine = Value; }
    // The collection item that holds the property; nil for a component's
    // own property.
    TqlCollectionItem* GetOwnerItem() const { return FOwnerItem; }
    void SetOwnerItem(TqlCollectionItem* Value) { FOwnerItem = Value; }
    // The items of a collection value, in file order.
    int GetItemCount() const { return FItems ? FItems->GetCount() : 0; }
    TqlCollectionItem* GetItems(int Index) const;
    TqlCollectionItem* AddItem(int Line);

private:
    std::string FName;
    std::string FFullName;
    Variant FValue;
    TDFMPropType FValueType = dptString;
    int FLine = 0;
    TqlCollectionItem* FOwnerItem = nullptr;
    std::unique_ptr<TqlList> FItems;
};

// One item of a collection value. Its properties belong to the component
// that holds the collection (they are in its property list, as the form
// readers of old had them); the item lists them in file order.
class TqlCollectionItem : public TqlBase {
public:
    TqlCollectionItem(TqlComponentProperty* Collection, int Line) : FCollection(Collection), FLine(Line) {}
    // The collection property the item belongs to.
    TqlComponentProperty* GetCollection() const { return FCollection; }
    // The line of its "item".
    int GetLine() const { return FLine; }
    int GetCount() const { return FProperties.GetCount(); }
    TqlComponentProperty* GetProperties(int Index) const
    {
        return static_cast<TqlComponentProperty*>(FProperties.GetItem(Index));
    }
    void AddProperty(TqlComponentProperty* Property)
    {
        FProperties.Add(Property);
        Property->SetOwnerItem(this);
    }

private:
    TqlComponentProperty* FCollection;
    int FLine;
    TqlList FProperties{false};
};

class TqlComponentPropertiesList : public TqlBase {
public:
    TqlComponentProperty* AddProperty(const std::string& Name);
    void AddIdentifierName(const std::string& Identifier, TqlComponentProperty* Property);
    bool HasProperty(const std::string& Name);
    bool HasWithIdentifier(const std::string& Identifier);
    int GetCount() const { return FProperties.GetCount(); }
    TqlComponentProperty* GetProperties(int Index) const
    {
        return static_cast<TqlComponentProperty*>(FProperties.GetItem(Index));
    }

private:
    TqlList FProperties{true};
    TqlHashedObjectList FNames;
    TqlHashedObjectList FIdentifiers;
};

class TqlComponent;

class TqlComponentList : public TqlList {
public:
    TqlComponentList() : TqlList(true) {}
    TqlComponent* AddComponent(const std::string& Name, const std::string& ClassName);
    TqlComponent* GetComponents(int Index) const;
};

class TqlComponent : public TqlBase {
public:
    TqlComponent(const std::string& Name, const std::string& ClassName);
    const std::string& GetName() const { return FName; }
    const std::string& GetCClassName() const { return FClassName; }
    TqlComponentList* GetChildComponents() { return &FChildComponents; }
    bool GetIsInherited() const { return FIsInherited; }
    void SetIsInherited(bool Value) { FIsInherited = Value; }
    bool GetIsInline() const { return FIsInline; }
    void SetIsInline(bool Value) { FIsInline = Value; }
    int GetPosition() const { return FPosition; }
    void SetPosition(int Value) { FPosition = Value; }
    TqlComponentPropertiesList* GetProperties() { return &FProperties; }
    // Own properties, then those of each direct child.
    bool HasProperty(const std::string& Name);
    // Own properties, then each child at any depth.
    bool HasPropertyWithIdentifier(const std::string& Identifier);

private:
    TqlComponentList FChildComponents;
    std::string FClassName;
    bool FIsInherited = false;
    bool FIsInline = false;
    std::string FName;
    int FPosition = -1;
    TqlComponentPropertiesList FProperties;
};

// A unit's form: its component tree, read from a binary or text form file.
class TqlDFMResource : public TqlBase {
public:
    // Nesting of object blocks and value lists the reader follows.
    static constexpr int MaxNesting = 200;

    // Enters the file in the project's file list and, when it exists, reads
    // it. Malformed files raise EParserError.
    void ReadResource(TqlUnit* Unit, const std::string& FileName);
    // Reads a form, binary or text, from Stream.
    void ReadStream(TqlUnit* Unit, std::istream& Stream);
    // Reads form text from Stream into this model.
    void ReadDFM(TqlUnit* Unit, std::istream& Stream);
    // The stream starts with the binary resource header FF 0A 00. Raises
    // "Unable to read from stream." for fewer than 3 bytes.
    static bool IsBinary(std::istream& Stream);

    TqlComponentList* GetComponents() { return &FComponents; }
    const std::string& GetFileName() const { return FFileName; }
    int GetFileIndex() const { return FFileIndex; }
    int GetUnitIndex() const { return FUnitIndex; }
    void SetUnitIndex(int Value) { FUnitIndex = Value; }
    // A top-level component or one of its direct children has the property.
    bool HasProperty(const std::string& Name);
    // Any component at any depth has a property with that identifier value.
    bool HasPropertyWithIdentifier(const std::string& Identifier);
    // The last read went through the whole form: no token was skipped, no
    // block left open and nothing follows the top-level block. A form the
    // reader took in part may write more than the model holds.
    bool GetReadWhole() const { return FReadWhole; }

private:
    TqlComponentList FComponents;
    bool FReadWhole = false;
    int FFileIndex = -1;
    std::string FFileName;
    int FUnitIndex = -1;
};

// Converts a binary form (with or without its resource header) to the text
// form. Raises EParserError for truncated or malformed data.
std::string qlObjectBinaryToText(const std::string& Binary);
