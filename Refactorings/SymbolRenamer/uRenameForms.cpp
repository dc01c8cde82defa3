// The form check of a rename: a property that a form file of the project
// writes keeps its name, or the form would no longer load. The forms are
// those the analysis read for each unit, every form file the unit streams,
// as the model holds them: components, properties with their lines, and the
// items of collections.
#include "Refactorings/SymbolRenamer/uRenameSupport.h"
#include "Refactorings/SymbolRenamer/uSymbolRenamer.h"
#include "base/uqlPathUtils.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace SymbolRenamer;

namespace {

const char* const WrittenInForm = "Property, %s, is written for %s in %s; the form would no longer load; not renamed";
const char* const MayBeWrittenInForm = "Property, %s, may be written for %s in %s, whose class the analysis cannot tell; not renamed";
const char* const FormNotFollowed = "Name, %s, occurs in form file %s, which the renamer cannot follow; not renamed";

// One property written in a form: the object block it stands in, the
// collection properties whose items hold it (outermost first, each by its
// dotted name), its dotted name and the line of that name.
struct TFormProperty {
    const TqlComponent* Object;
    std::vector<std::vector<std::string>> Collections;
    std::vector<std::string> Path;
    int Line;
};

std::vector<std::string> DottedParts(const std::string& Name)
{
    std::vector<std::string> Parts;
    size_t Start = 0;
    for (size_t Dot; (Dot = Name.find('.', Start)) != std::string::npos; Start = Dot + 1)
        Parts.push_back(Name.substr(Start, Dot - Start));
    Parts.push_back(Name.substr(Start));
    return Parts;
}

// Visits Property and, when it holds a collection, the properties of each of
// its items, in the order the form writes them; false once Visit says stop.
bool VisitProperty(TqlComponent* Object, TqlComponentProperty* Property,
                   std::vector<std::vector<std::string>>& Collections,
                   const std::function<bool(const TFormProperty&)>& Visit)
{
    std::vector<std::string> Path = DottedParts(Property->GetFullName());
    if (!Visit(TFormProperty{Object, Collections, Path, Property->GetLine()}))
        return false;
    if (Property->GetItemCount() == 0)
        return true;
    Collections.push_back(std::move(Path));
    for (int I = 0; I < Property->GetItemCount(); ++I) {
        TqlCollectionItem* Item = Property->GetItems(I);
        for (int K = 0; K < Item->GetCount(); ++K)
            if (!VisitProperty(Object, Item->GetProperties(K), Collections, Visit)) {
                Collections.pop_back();
                return false;
            }
    }
    Collections.pop_back();
    return true;
}

// Visits each property written for Object and the objects inside it, in
// file order; false once Visit says stop.
bool VisitComponent(TqlComponent* Object, const std::function<bool(const TFormProperty&)>& Visit, int Depth = 0)
{
    if (Depth > TqlDFMResource::MaxNesting)
        return true;
    TqlComponentPropertiesList* Properties = Object->GetProperties();
    std::vector<std::vector<std::string>> Collections;
    for (int I = 0; I < Properties->GetCount(); ++I)
        // The properties of collection items are reached through their
        // collection.
        if (!Properties->GetProperties(I)->GetOwnerItem() &&
            !VisitProperty(Object, Properties->GetProperties(I), Collections, Visit))
            return false;
    TqlComponentList* Children = Object->GetChildComponents();
    for (int I = 0; I < Children->GetCount(); ++I)
        if (!VisitComponent(Children->GetComponents(I), Visit, Depth + 1))
            return false;
    return true;
}

// Whether the forms of the project write the renamed property: on an object
// of the owner class or a descendant (Family, or a class of one of those
// Names the analysis did not find), on an object a property holds or an
// item of a collection, whose class is one of those or may be (the type
// the analysis knows for it is an ancestor of the owner, Ancestors).
class TFormCheck {
public:
    using TPost = std::function<void(const std::string& Text, int FileIndex, int X, int Y)>;
    using TSource = std::function<const std::string&(const std::string& FileName)>;

    TFormCheck(std::string OldName, std::set<TqlClass*> Family, std::set<TqlClass*> Ancestors,
               std::set<std::string> Names, TPost Post, TSource Source)
        : FOldName(std::move(OldName)), FFamily(std::move(Family)), FAncestors(std::move(Ancestors)),
          FNames(std::move(Names)), FPost(std::move(Post)), FSource(std::move(Source))
    {
    }

    // False when Form, one of Unit's forms, writes the property, or when
    // the analysis took it in part and it holds the name.
    bool Check(TqlUnit* Unit, TqlDFMResource* Form)
    {
        TqlFileNameList* Files = gqlProject->GetFileNames();
        FFormIndex = Form->GetFileIndex();
        if (FFormIndex < 0 || FFormIndex >= Files->GetCount() || !Files->GetItems(FFormIndex)->Exists)
            return true;
        FUnit = Unit;
        FFileName = Files->GetItems(FFormIndex)->GetFullFileName();
        FClasses.clear();
        TqlComponentList* Components = Form->GetComponents();
        for (int I = 0; I < Components->GetCount(); ++I)
            if (!VisitComponent(Components->GetComponents(I),
                                [this](const TFormProperty& P) { return CheckProperty(P); }))
                return false;
        return Form->GetReadWhole() || CheckText();
    }

private:
    // The class of the object a property holds.
    TqlClass* ClassOfMember(TqlClass* Class, const std::string& Name) const
    {
        TqlSymbol* Member = Class ? Class->FindSymbol(FUnit, Class, Name) : nullptr;
        return Member ? AsClass(Member->FindContainer()) : nullptr;
    }

    TqlClass* ClassNamed(const std::string& Name)
    {
        auto [It, New] = FClasses.try_emplace(qlLowerCase(Name));
        if (New)
            It->second = AsClass(FUnit->FindReferencedSymbol(nullptr, Name, false, TqlUsedByInfo{}));
        return It->second;
    }

    bool CheckProperty(const TFormProperty& P)
    {
        // Only a name the property's path holds can be the renamed one.
        auto IsOld = [&](const std::string& Name) { return qlSameName(Name, FOldName); };
        if (std::none_of(P.Path.begin(), P.Path.end(), IsOld))
            return true;
        const std::string& ClassName = P.Object->GetCClassName();
        const std::string& ObjectName = P.Object->GetName();
        // Down from the object's class: the class of each object a name
        // leads to, and whether it may be one of the family.
        TqlClass* Class = ClassNamed(ClassName);
        bool Member = FNames.count(qlLowerCase(ClassName)) > 0 || FFamily.count(Class) > 0;
        bool Maybe = false;
        // An object that a property holds, or a collection's item, may be
        // of a descendant of the type it is declared with.
        bool MaybeOwner = false;
        auto Step = [&](const std::string& Name) {
            Class = ClassOfMember(Class, Name);
            Member = FFamily.count(Class) > 0;
            MaybeOwner = FAncestors.count(Class) > 0;
        };
        // The object by its name and class, or the collection that holds
        // the item.
        std::string Object = ObjectName.empty() ? ClassName : ObjectName + " (" + ClassName + ")";
        if (!P.Collections.empty()) {
            Object = "an item of " + (ObjectName.empty() ? ClassName : ObjectName);
            for (const std::string& C : P.Collections.back())
                Object += "." + C;
        }
        // The collection properties themselves were written before their
        // items.
        for (const auto& Written : P.Collections) {
            TqlClass* Holder = nullptr;
            for (const std::string& Name : Written) {
                Holder = Class;
                Step(Name);
            }
            // An item's class is the type of the collection's default (or
            // Items) property. A collection that an object of the library
            // holds has items of the library's classes.
            TqlClass* Collection = Class;
            TqlProperty* Items = Collection ? Collection->GetDefaultProperty() : nullptr;
            TqlClass* Item = Items ? AsClass(Items->FindContainer()) : ClassOfMember(Collection, "Items");
            Maybe = Maybe || (Holder && !Item);
            Class = Item;
            Member = FFamily.count(Item) > 0;
            MaybeOwner = FAncestors.count(Item) > 0;
        }
        for (const std::string& Name : P.Path) {
            if ((Member || Maybe || MaybeOwner) && qlSameName(Name, FOldName)) {
                const std::string At = FFileName + ", line " + std::to_string(P.Line);
                FPost(Format2(qlFormat(Member ? WrittenInForm : MayBeWrittenInForm, FOldName), Object, At),
                      FFormIndex, 1, P.Line);
                return false;
            }
            Step(Name);
        }
        return true;
    }

    // A form the analysis took in part may write the name where the model
    // does not show it: refused where its text holds the name.
    bool CheckText()
    {
        std::string Text = FSource(FFileName);
        if (Text.compare(0, 3, std::string_view("\xFF\x0A\x00", 3)) == 0) {
            try {
                Text = qlObjectBinaryToText(Text);
            } catch (const Exception&) {
                Text.clear();
            }
        }
        int Line = 0;
        ScanWords(Text, [&](const TWord& W) {
            if (Line == 0 && qlSameName(std::string(W.Text), FOldName))
                Line = W.Y;
        });
        if (Line == 0)
            return true;
        FPost(Format2(FormNotFollowed, FOldName, FFileName), FFormIndex, 1, Line);
        return false;
    }

    std::string FOldName;
    std::set<TqlClass*> FFamily;
    std::set<TqlClass*> FAncestors;
    std::set<std::string> FNames;
    TPost FPost;
    TSource FSource;
    TqlUnit* FUnit = nullptr;
    int FFormIndex = -1;
    std::string FFileName;
    std::map<std::string, TqlClass*> FClasses;
};

} // namespace

bool TqlSymbolRename::CheckForms()
{
    auto* Renamed = qlAsProperty(FFamily.front());
    TqlClass* Owner = Renamed ? Renamed->GetOwnerClass() : nullptr;
    if (!Owner || qlSameName(FOldName, FNewName))
        return true;
    // The streaming system sets a property by its name on an object of the
    // owner class or a descendant: every form of the project must not name
    // it there.
    std::set<TqlClass*> Family{Owner};
    std::set<std::string> Names{qlLowerCase(Owner->GetName())};
    for (TqlClass* Below : DescendantsOf(Owner)) {
        Family.insert(Below);
        Names.insert(qlLowerCase(Below->GetName()));
    }
    std::set<TqlClass*> Ancestors;
    for (TqlClass* Up = Owner->GetInheritsFromClass(); Up && Ancestors.insert(Up).second;
         Up = Up->GetInheritsFromClass()) {
    }
    TFormCheck Forms(
        FOldName, std::move(Family), std::move(Ancestors), std::move(Names),
        [this](const std::string& Text, int FileIndex, int X, int Y) { Post(Text, FileIndex, X, Y); },
        [this](const std::string& FileName) -> const std::string& { return Source(FileName); });
    TqlUnitList* Units = gqlProject->GetUnits();
    for (int I = 0; I < Units->GetCount(); ++I) {
        TqlUnit* Unit = Units->GetUnits(I);
        // Every form the unit streams: of {$R *.dfm}, of each {$R Name.dfm},
        // and the one of its name beside it.
        for (int F = 0; F < Unit->GetFormCount(); ++F)
            if (!Forms.Check(Unit, Unit->GetForms(F)))
                return false;
    }
    return true;
}
