#include "settings/uqlPrefixList.h"

#include "settings/uqlComponentPrefix.h"
#include "settings/uqlIniOptions.h"
#include "settings/uqlRegExpr.h"
#include "settings/uqlStringList.h"

#include <algorithm>

namespace {
const char* const SecOptions = "Options";
const char* const KeyEnforce = "EnforcePrefixOnUnreferecend";
const char* const SecPrefixes = "Prefixes";
} // namespace

const std::vector<TqlPrefixList::TDefaultRule>& TqlPrefixList::DefaultRules()
{
    static const std::vector<TDefaultRule> Rules = {
        // 1 to 12
        {"mm", "TMainMenu"}, {"pm", "TPopupMenu"}, {"mmi", "TMainMenuItem"},
        {"pmi", "TPopupMenuItem"}, {"lbl", "TLabel"}, {"edt", "TEdit"}, {"mem", "TMemo"},
        {"btn", "TButton"}, {"chk", "TCheckBox"}, {"rb", "TRadioButton"}, {"lb", "TListBox"},
        {"cb", "TComboBox"},
        // 13 to 24
        {"scb", "TScrollBar"}, {"gb", "TGroupBox"}, {"rg", "TRadioGroup"}, {"pnl", "TPanel"},
        {"cl", "TCommandList"}, {"bbtn", "TBitBtn"}, {"sb", "TSpeedButton"}, {"me", "TMaskEdit"},
        {"sg", "TStringGrid"}, {"dg", "TDrawGrid"}, {"img", "TImage"}, {"shp", "TShape"},
        // 25 to 36
        {"bvl", "TBevel"}, {"sbx", "TScrollBox"}, {"clb", "TCheckListbox"}, {"spl", "TSplitter"},
        {"stx", "TStaticText"}, {"cht", "TChart"}, {"tbc", "TTabControl"},
        {"pgc", "TPageControl"}, {"il", "TImageList"}, {"re", "TRichEdit"}, {"tbr", "TTrackBar"},
        {"prb", "TProgressBar"},
        // 37 to 48
        {"ud", "TUpDown"}, {"hk", "THotKey"}, {"ani", "TAnimate"}, {"dtp", "TDateTimePicker"},
        {"tv", "TTreeView"}, {"lv", "TListView"}, {"hdr", "THeaderControl"},
        {"stb", "TStatusBar"}, {"tlb", "TToolBar"}, {"clb", "TCoolBar"}, {"tm", "TTimer"},
        {"pb", "TPaintBox"},
        // 49 to 60
        {"mp", "TMediaPlayer"}, {"olec", "TOleContainer"}, {"ddcc", "TDDEClientConv"},
        {"ddci", "TDDEClientItem"}, {"ddsc", "TDDEServerConv"}, {"ddsi", "TDDEServerItem"},
        {"csk", "TClientSocket"}, {"ssk", "TServerSocket"}, {"wbd", "TWebDispatcher"},
        {"pp", "TPageProducer"}, {"tp", "TQueryTableProducer"},
        {"dstp", "TDataSetTableProducer"},
        // 61 to 72
        {"nmdt", "TNMDayTime"}, {"nec", "TNMEcho"}, {"nf", "TNMFinger"}, {"nftp", "TNMFtp"},
        {"nhttp", "TNMHttp"}, {"nMsg", "TNMMsg"}, {"nmsg", "TNMMSGServ"}, {"nntp", "TNMNNTP"},
        {"npop", "TNMPop3"}, {"nuup", "TNMUUProcessor"}, {"smtp", "TNMSMTP"},
        {"nst", "TNMStrm"},
        // 73 to 84
        {"nsts", "TNMStrmServ"}, {"ntm", "TNMTime"}, {"nudp", "TNMUdp"}, {"psk", "TPowerSock"},
        {"ngs", "TNMGeneralServer"}, {"html", "THtml"}, {"url", "TNMUrl"},
        {"sml", "TSimpleMail"}, {"ds", "TDataSource"}, {"tbl", "TTable"}, {"qry", "TQuery"},
        {"sp", "TStoredProc"},
        // 85 to 96
        {"db", "TDataBase"}, {"ssn", "TSession"}, {"bm", "TBatchMove"}, {"usql", "TUpdateSQL"},
        {"dbg", "TDBGrid"}, {"dbn", "TDBNavigator"}, {"dbt", "TDBText"}, {"dbe", "TDBEdit"},
        {"dbm", "TDBMemo"}, {"dbi", "TDBImage"}, {"dblb", "TDBListBox"},
        {"dbcb", "TDBComboBox"},
        // 97 to 108
        {"dbch", "TDBCheckBox"}, {"dbrg", "TDBRadioGroup"}, {"dbll", "TDBLookupListBox"},
        {"dblc", "TDBLookupComboBox"}, {"dbre", "TDBRichEdit"}, {"dbcg", "TDBCtrlGrid"},
        {"dbch", "TDBChart"}, {"dcb", "TDecisionCube"}, {"dcq", "TDecisionQuery"},
        {"dcs", "TDecisionSource"}, {"dcp", "TDecisionPivot"}, {"dcg", "TDecisionGrid"},
        // 109 to 120
        {"dcgr", "TDecisionGraph"}, {"qr", "TQuickReport"}, {"qrsd", "TQRSubDetail"},
        {"qrb", "TQRBand"}, {"qrcb", "TQRChildBand"}, {"qrg", "TQRGroup"}, {"qrl", "TQRLabel"},
        {"qrt", "TQRText"}, {"qre", "TQRExpr"}, {"qrs", "TQRSysData"}, {"qrm", "TQRMemo"},
        {"qrrt", "TQRRichText"},
        // 121 to 132
        {"qrdr", "TQRDBRichText"}, {"qrsh", "TQRShape"}, {"qri", "TQRImage"},
        {"qrdi", "TQRDBMImage"}, {"qrcr", "TQRCompositeReport"}, {"qrp", "TQRPreview"},
        {"qrch", "TQRChart"}, {"ofd", "TOpenDialog"}, {"sfd", "TSaveDialog"},
        {"opd", "TOpenPictureDialog"}, {"spd", "TSavePictureDialog"}, {"fntd", "TFontDialog"},
        // 133 to 144
        {"clrd", "TColorDialog"}, {"prtd", "TPrintDialog"}, {"prsd", "TPrintSetupDialog"},
        {"fndd", "TFindDialog"}, {"rpld", "TReplaceDialog"}, {"dbll", "TDBLookupList"},
        {"dblc", "TDBLookupCombo"}, {"ts", "TTabSet"}, {"ol", "TOutline"},
        {"tnb", "TTabbedNoteBook"}, {"nb", "TNoteBook"}, {"hdr", "THeader"},
        // 145 to 156
        {"flb", "TFileListBox"}, {"dlb", "TDirectoryListBox"}, {"dcb", "TDriveComboBox"},
        {"fcb", "TFilterComboBox"}, {"gg", "TGauge"}, {"cg", "TColorGrid"},
        {"spb", "TSpinButton"}, {"spe", "TSpinEdit"}, {"dol", "TDirectoryOutline"},
        {"cal", "TCalendar"}, {"ibea", "TIBEventAlerter"}, {"cfx", "TChartFX"},
        // 157 to 168
        {"vsp", "TVSSpell"}, {"f1b", "TF1Book"}, {"vtc", "TVTChart"}, {"grp", "TGraph"},
        {"prv", "TProvider"}, {"cds", "TClientDataSet"}, {"qcds", "TQueryClientDataSet"},
        {"dcom", "TDCOMConnection"}, {"olee", "TOleEnterpriseConnection"},
        {"sck", "TSocketConnection"}, {"rms", "TRemoteServer"}, {"mid", "TMidasConnection"},
    };
    return Rules;
}

TqlPrefixList::TqlPrefixList()
{
    Clear();
}

Ref<IqlComponentPrefix> TqlPrefixList::Add(const std::string& Prefix,
                                           const std::string& ComponentClass)
{
    Ref<IqlComponentPrefix> P = MakeRef<TqlComponentPrefix>(Prefix, ComponentClass);
    FItems.push_back(P);
    return P;
}

void TqlPrefixList::Clear()
{
    FItems.clear();
    FEnforcePrefixOnUnreferenced = false;
}

Ref<IqlRegExpr> TqlPrefixList::Matcher()
{
    if (gqlProject)
        if (Ref<IqlRegExpr> Shared = gqlProject->GetRegExpr())
            return Shared;
    if (!FOwnMatcher)
        FOwnMatcher = MakeRef<TqlRegExpr>();
    return FOwnMatcher;
}

int TqlPrefixList::MatchRule(const std::string& ComponentClass, const std::string& Name,
                             std::string& ExpectedPrefix)
{
    const Ref<IqlComponentPrefix> Rule = Find(ComponentClass);
    if (!Rule)
        return 1;
    const std::string Pattern = Rule->GetPrefix();
    if (Matcher()->Matches(Pattern, Name))
        return 1;
    ExpectedPrefix = Pattern;
    return FEnforcePrefixOnUnreferenced ? 0 : -1;
}

bool TqlPrefixList::OnlyUsedByOtherFiles(const TqlUsePlace& Declaration,
                                         const std::vector<TqlUsePlace>& Uses)
{
    for (const TqlUsePlace& Use : Uses)
        if (Use.UnitIndex != Declaration.UnitIndex || Use.FileIndex == Declaration.FileIndex)
            return false;
    return true;
}

bool TqlPrefixList::CheckPrefixFor(const std::string& ComponentClass, const std::string& Name,
                                   const TqlUsePlace& Declaration,
                                   const std::vector<TqlUsePlace>& Uses,
                                   std::string& ExpectedPrefix)
{
    const int Verdict = MatchRule(ComponentClass, Name, ExpectedPrefix);
    return Verdict >= 0 ? Verdict == 1 : OnlyUsedByOtherFiles(Declaration, Uses);
}

bool TqlPrefixList::CheckPrefix(const std::string& ComponentClass, TqlSymbol* Component,
                                std::string& ExpectedPrefix)
{
    QL_ASSERT(Component != nullptr, "CheckPrefix needs a component");
    const int Verdict = MatchRule(ComponentClass, Component->GetName(), ExpectedPrefix);
    if (Verdict >= 0)
        return Verdict == 1;
    // Excused when only the unit's other files (its form file) refer to it.
    const TqlUsePlace Declaration{Component->GetUnitIndex(), Component->GetFileIndex()};
    std::vector<TqlUsePlace> Uses;
    TqlUsedByList* UsedBy = Component->GetUsedBy();
    Uses.reserve(static_cast<size_t>(UsedBy->GetCount()));
    for (int I = 0; I < UsedBy->GetCount(); ++I) {
        TqlUsedByLocation* Use = UsedBy->GetLocations(I);
        Uses.push_back({Use->GetUnitIndex(), Use->GetFileIndex()});
    }
    return OnlyUsedByOtherFiles(Declaration, Uses);
}

void TqlPrefixList::Delete(int Index)
{
    if (Index < 0 || Index >= GetCount())
        throw EListError(Index);
    FItems.erase(FItems.begin() + Index);
}

void TqlPrefixList::Remove(const Ref<IqlComponentPrefix>& Prefix)
{
    const auto It = std::find(FItems.begin(), FItems.end(), Prefix);
    if (It != FItems.end())
        FItems.erase(It);
}

Ref<IqlComponentPrefix> TqlPrefixList::Find(const std::string& ComponentClass)
{
    for (const Ref<IqlComponentPrefix>& P : FItems)
        if (qlSameText(P->GetComponentClass(), ComponentClass))
            return P;
    return nullptr;
}

int TqlPrefixList::GetCount()
{
    return static_cast<int>(FItems.size());
}

Ref<IqlComponentPrefix> TqlPrefixList::GetItem(int Index)
{
    if (Index < 0 || Index >= GetCount())
        throw EListError(Index);
    return FItems[static_cast<size_t>(Index)];
}

void TqlPrefixList::Load(const Ref<IqlFileSettings>& Settings)
{
    Clear();
    FEnforcePrefixOnUnreferenced =
        Settings->ReadValue(SecOptions, KeyEnforce, Variant(false)).AsBoolean();
    auto Lines = MakeRef<TqlStringList>();
    Settings->ReadSectionValues(SecPrefixes, Lines);
    for (const std::string& Line : Lines->Lines()) {
        const size_t Eq = Line.find('=');
        if (Eq == std::string::npos)
            continue;
        const std::string Pattern = qlIniTrim(Line.substr(0, Eq));
        const std::string ClassName = qlIniTrim(Line.substr(Eq + 1));
        if (!Pattern.empty() && !ClassName.empty())
            Add(Pattern, ClassName);
    }
}

void TqlPrefixList::LoadDefaults()
{
    Clear();
    FEnforcePrefixOnUnreferenced = false;
    for (const TDefaultRule& R : DefaultRules())
        Add(std::string(R.Word) + DefaultPatternTail, R.ComponentClass);
}

void TqlPrefixList::Save(const Ref<IqlFileSettings>& Settings)
{
    auto Lines = MakeRef<TqlStringList>();
    for (const Ref<IqlComponentPrefix>& P : FItems) {
        const std::string Pattern = P->GetPrefix();
        const std::string ClassName = P->GetComponentClass();
        qlCheckStorableIniKey(Pattern, "prefix pattern", SecPrefixes, Settings->GetFileName());
        if (ClassName.find_first_of("\r\n") != std::string::npos)
            throw Exception("Cannot store the component class \"" + ClassName +
                            "\" of the prefix pattern \"" + Pattern + "\" in section \"" +
                            SecPrefixes + "\" of \"" + Settings->GetFileName() +
                            "\": it holds a line break.");
        Lines->Add(Pattern + "=" + ClassName);
    }
    Settings->WriteValue(SecOptions, KeyEnforce, Variant(FEnforcePrefixOnUnreferenced));
    Settings->WriteSection(SecPrefixes, Lines);
}
