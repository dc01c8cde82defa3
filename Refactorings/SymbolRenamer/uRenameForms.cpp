#include "Refactorings/SymbolRenamer/uRenameForms.h"

#include "Refactorings/SymbolRenamer/uRenameSupport.h"
#include "Refactorings/SymbolRenamer/uSymbolRenamer.h"
#include "base/uqlPathUtils.h"

#include <cctype>
#include <map>
#include <set>

using namespace SymbolRenamer;

namespace {

const char* const WrittenInForm = "Property, %s, is written for %s in %s; the form would no longer load; not renamed";
const char* const MayBeWrittenInForm = "Property, %s, may be written for %s in %s, whose class the analysis cannot tell; not renamed";
const char* const FormNotFollowed = "Name, %s, occurs in form file %s, which the renamer cannot follow; not renamed";

} // namespace

namespace {

// Reads the text form of a form file as the streaming system does and
// visits each property written in it; false when the text is not a form
// it can follow.
class TFormScanner {
public:
    TFormScanner(std::string_view Text, std::function<void(const TFormProperty&)> Visit)
        : FText(Text), FVisit(std::move(Visit))
    {
    }

    bool Run()
    {
        Next();
        if (!IsWord("object") && !IsWord("inherited") && !IsWord("inline"))
            return false;
        return Block(0) && FKind == kEnd;
    }

private:
    enum TKind { kEnd, kWord, kString, kNumber, kBinary, kSymbol, kBad };

    void Next()
    {
        const size_t N = FText.size();
        while (FAt < N && std::isspace(static_cast<unsigned char>(FText[FAt]))) {
            CountLine(FAt);
            ++FAt;
        }
        FTokenLine = FLine;
        const size_t Start = FAt;
        if (FAt >= N) {
            FKind = kEnd;
        } else if (const char C = FText[FAt]; std::isalpha(static_cast<unsigned char>(C)) || C == '_') {
            while (FAt < N && (std::isalnum(static_cast<unsigned char>(FText[FAt])) || FText[FAt] == '_'))
                ++FAt;
            FKind = kWord;
        } else if (C == '\'' || C == '#') {
            // Quoted parts and character codes, written together.
            FKind = kString;
            while (FAt < N && (FText[FAt] == '\'' || FText[FAt] == '#')) {
                if (FText[FAt] == '#') {
                    ++FAt;
                    while (FAt < N && (std::isalnum(static_cast<unsigned char>(FText[FAt])) || FText[FAt] == '$'))
                        ++FAt;
                    continue;
                }
                for (++FAt;; ++FAt) {
                    if (FAt >= N || FText[FAt] == '\n' || FText[FAt] == '\r') {
                        FKind = kBad;
                        return;
                    }
                    if (FText[FAt] == '\'') {
                        if (FAt + 1 < N && FText[FAt + 1] == '\'') {
                            ++FAt;
                            continue;
                        }
                        ++FAt;
                        break;
                    }
                }
            }
        } else if (std::isdigit(static_cast<unsigned char>(C)) || C == '$' ||
                   ((C == '-' || C == '+') && FAt + 1 < N && std::isdigit(static_cast<unsigned char>(FText[FAt + 1])))) {
            ++FAt;
            while (FAt < N && (std::isalnum(static_cast<unsigned char>(FText[FAt])) || FText[FAt] == '.' ||
                               ((FText[FAt] == '+' || FText[FAt] == '-') &&
                                (FText[FAt - 1] == 'e' || FText[FAt - 1] == 'E'))))
                ++FAt;
            FKind = kNumber;
        } else if (C == '{') {
            const size_t End = FText.find('}', FAt);
            if (End == std::string_view::npos) {
                FKind = kBad;
                return;
            }
            for (size_t K = FAt; K < End; ++K)
                CountLine(K);
            FAt = End + 1;
            FKind = kBinary;
        } else {
            ++FAt;
            FKind = kSymbol;
        }
        FToken = FText.substr(Start, FAt - Start);
    }
    // A line ends at At: LF, CR LF or a CR alone.
    void CountLine(size_t At)
    {
        if (FText[At] == '\n' || (FText[At] == '\r' && (At + 1 >= FText.size() || FText[At + 1] != '\n')))
            ++FLine;
    }
    bool IsWord(const char* Word) const { return FKind == kWord && qlSameName(std::string(FToken), Word); }
    bool IsSymbol(char C) const { return FKind == kSymbol && FToken[0] == C; }

    // An object block, its "object", "inherited" or "inline" current.
    bool Block(int Depth)
    {
        if (Depth > TqlDFMResource::MaxNesting)
            return false;
        Next();
        if (FKind != kWord)
            return false;
        std::string_view Name, Class = FToken;
        Next();
        if (IsSymbol(':')) {
            Next();
            if (FKind != kWord)
                return false;
            Name = Class;
            Class = FToken;
            Next();
        }
        if (IsSymbol('[')) {
            Next();
            if (FKind != kNumber)
                return false;
            Next();
            if (!IsSymbol(']'))
                return false;
            Next();
        }
        std::vector<std::vector<std::string_view>> Items;
        while (FKind == kWord && !IsWord("end") && !IsWord("object") && !IsWord("inherited") && !IsWord("inline"))
            if (!Property(Name, Class, Items, Depth))
                return false;
        while (IsWord("object") || IsWord("inherited") || IsWord("inline"))
            if (!Block(Depth + 1))
                return false;
        if (!IsWord("end"))
            return false;
        Next();
        return true;
    }

    // Tokens of Kind joined by Sep ("A.B.C", "'x' + 'y'"), the first one
    // current; Parts gets each.
    bool Joined(char Sep, TKind Kind, std::vector<std::string_view>* Parts = nullptr)
    {
        for (;;) {
            if (FKind != Kind)
                return false;
            if (Parts)
                Parts->push_back(FToken);
            Next();
            if (!IsSymbol(Sep))
                return true;
            Next();
        }
    }

    // Name[.Name...] = value, the first name current.
    bool Property(std::string_view Object, std::string_view Class,
                  std::vector<std::vector<std::string_view>>& Items, int Depth)
    {
        TFormProperty P{Object, Class, Items, {}, FTokenLine};
        if (!Joined('.', kWord, &P.Path) || !IsSymbol('='))
            return false;
        FVisit(P);
        Next();
        return Value(Object, Class, Items, P.Path, Depth);
    }

    bool Value(std::string_view Object, std::string_view Class, std::vector<std::vector<std::string_view>>& Items,
               const std::vector<std::string_view>& Path, int Depth)
    {
        if (Depth > TqlDFMResource::MaxNesting)
            return false;
        switch (FKind) {
        case kString:
            return Joined('+', kString);
        case kNumber:
        case kBinary:
            Next();
            return true;
        case kWord:
            return Joined('.', kWord);
        case kSymbol:
            break;
        default:
            return false;
        }
        if (IsSymbol('(')) {
            Next();
            while (!IsSymbol(')'))
                if (FKind == kEnd || !Value(Object, Class, Items, Path, Depth + 1))
                    return false;
            Next();
            return true;
        }
        if (IsSymbol('[')) {
            Next();
            while (!IsSymbol(']')) {
                if (FKind != kWord && FKind != kNumber && !IsSymbol(','))
                    return false;
                Next();
            }
            Next();
            return true;
        }
        if (IsSymbol('<')) {
            Items.push_back(Path);
            Next();
            while (IsWord("item")) {
                Next();
                while (FKind == kWord && !IsWord("end"))
                    if (!Property(Object, Class, Items, Depth + 1))
                        return false;
                if (!IsWord("end"))
                    return false;
                Next();
            }
            Items.pop_back();
            if (!IsSymbol('>'))
                return false;
            Next();
            return true;
        }
        return false;
    }

    std::string_view FText;
    std::function<void(const TFormProperty&)> FVisit;
    size_t FAt = 0;
    int FLine = 1;
    int FTokenLine = 1;
    TKind FKind = kEnd;
    std::string_view FToken;
};

} // namespace

bool SymbolRenamer::ScanFormText(std::string_view Text, std::function<void(const TFormProperty&)> Visit)
{
    return TFormScanner(Text, std::move(Visit)).Run();
}

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
    // The class of the object a property holds.
    auto ClassOfMember = [](TqlUnit* Unit, TqlClass* Class, std::string_view Name) -> TqlClass* {
        TqlSymbol* Member = Class ? Class->FindSymbol(Unit, Class, std::string(Name)) : nullptr;
        return Member ? AsClass(Member->FindContainer()) : nullptr;
    };
    TqlFileNameList* Files = gqlProject->GetFileNames();
    TqlUnitList* Units = gqlProject->GetUnits();
    for (int I = 0; I < Units->GetCount(); ++I) {
        TqlUnit* Unit = Units->GetUnits(I);
        TqlDFMResource* Form = Unit->GetDFMResource();
        const int FormIndex = Form ? Form->GetFileIndex() : -1;
        if (FormIndex < 0 || FormIndex >= Files->GetCount() || !Files->GetItems(FormIndex)->Exists)
            continue;
        const std::string& FileName = Files->GetItems(FormIndex)->GetFullFileName();
        std::string Text = Source(FileName);
        if (Text.compare(0, 3, std::string_view("\xFF\x0A\x00", 3)) == 0) {
            try {
                Text = qlObjectBinaryToText(Text);
            } catch (const Exception&) {
                Text.clear();
            }
        }
        if (!HoldsWord(Text, FOldName))
            continue;
        std::map<std::string, TqlClass*> Classes;
        auto ClassNamed = [&](std::string_view Name) {
            auto [It, New] = Classes.try_emplace(qlLowerCase(std::string(Name)));
            if (New)
                It->second = AsClass(Unit->FindReferencedSymbol(nullptr, std::string(Name), false, TqlUsedByInfo{}));
            return It->second;
        };
        bool Refused = false;
        const bool Followed = ScanFormText(Text, [&](const TFormProperty& P) {
            if (Refused)
                return;
            // Down from the object's class: the class of each object a name
            // leads to, and whether it may be one of the family.
            TqlClass* Class = ClassNamed(P.Class);
            bool Member = Names.count(qlLowerCase(std::string(P.Class))) > 0 || Family.count(Class) > 0;
            bool Maybe = false;
            auto Step = [&](std::string_view Name) {
                Class = ClassOfMember(Unit, Class, Name);
                Member = Family.count(Class) > 0;
            };
            // The object by its name and class, or the collection that holds
            // the item.
            std::string Object =
                P.Object.empty() ? std::string(P.Class) : std::string(P.Object) + " (" + std::string(P.Class) + ")";
            if (!P.Collections.empty()) {
                Object = "an item of " + std::string(P.Object.empty() ? P.Class : P.Object);
                for (std::string_view C : P.Collections.back())
                    Object += "." + std::string(C);
            }
            // The collection properties themselves were written before
            // their items.
            for (const auto& Written : P.Collections) {
                TqlClass* Holder = nullptr;
                for (std::string_view Name : Written) {
                    Holder = Class;
                    Step(Name);
                }
                // An item's class is the type of the collection's default
                // (or Items) property. A collection that an object of the
                // library holds has items of the library's classes.
                TqlClass* Collection = Class;
                TqlProperty* Items = Collection ? Collection->GetDefaultProperty() : nullptr;
                TqlClass* Item = Items ? AsClass(Items->FindContainer()) : ClassOfMember(Unit, Collection, "Items");
                Maybe = Maybe || (Holder && !Item);
                Class = Item;
                Member = Family.count(Item) > 0;
            }
            for (std::string_view Name : P.Path) {
                if ((Member || Maybe) && qlSameName(std::string(Name), FOldName)) {
                    const std::string At = FileName + ", line " + std::to_string(P.Line);
                    Post(Format2(qlFormat(Member ? WrittenInForm : MayBeWrittenInForm, FOldName), Object, At),
                         FormIndex, 1, P.Line);
                    Refused = true;
                    return;
                }
                Step(Name);
            }
        });
        if (Refused)
            return false;
        if (!Followed) {
            int Line = 1;
            ScanWords(Text, [&](const TWord& W) {
                if (Line == 1 && qlSameName(std::string(W.Text), FOldName))
                    Line = W.Y;
            });
            Post(Format2(FormNotFollowed, FOldName, FileName), FormIndex, 1, Line);
            return false;
        }
    }
    return true;
}
