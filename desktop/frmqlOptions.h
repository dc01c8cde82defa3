// The project options dialog: the file to analyse, the project and library
// search folders, the defines, the unit aliases and the check settings of
// every report.
#pragma once

#include "desktop/frmqlBaseDialog.h"
#include "desktop/uqlPathUtils.h"
#include "model/uqlClasses.h"

#include <QIcon>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

inline constexpr bool ProjectOptionsDialogAvailable = true;

// Shows the dialog over gqlProject; true when it closed with OK.
bool EditProjectOptions(QWidget* Parent);

class TfrmOptions : public TBaseDialogForm {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget* Parent = nullptr);

    // The OK steps; the dialog stays open when a settings file cannot be
    // written.
    void accept() override;

    // Shows the settings of the report at Index of cbReports.
    void cbReportsChange(int Index);
    // Adds the folders of Set to TargetMemo, asking first whether to clear
    // a memo that holds text.
    void FillFromDefaultsItem(const TqlLibraryPathSet& Set);
    // A click on a cell of the settings tree.
    void SettingClicked(QTreeWidgetItem* Item, int Column);
    // The folder browse commands.
    void BrowseFolder(QPlainTextEdit* Memo);
    void btnFileBrowseClick();
    // The warning for Lines, or "" when every folder exists.
    QString CheckPaths(const QString& Lines, const QString& KindWord) const;

    QTabWidget* pgcOptions = nullptr;
    QLineEdit* edtFileToAnalyze = nullptr;
    QPushButton* btnFileBrowse = nullptr;
    QPlainTextEdit* memProjectDirs = nullptr;
    QPushButton* btnProjectDefaults = nullptr;
    QPushButton* btnProjectBrowse = nullptr;
    QPlainTextEdit* memLibDirs = nullptr;
    QPushButton* btnLibDefaults = nullptr;
    QPushButton* btnLibBrowse = nullptr;
    QComboBox* cbReports = nullptr;
    QTreeWidget* vsTReportOptions = nullptr;
    QPlainTextEdit* memProjectDefines = nullptr;
    QPlainTextEdit* AliasesMemo = nullptr;
    QMenu* pmGetDefaults = nullptr;
    QPlainTextEdit* TargetMemo = nullptr;

private:
    void FillTree(QTreeWidgetItem* Parent, const Ref<IqlSettingsCategory>& Category);
    void ShowFlags(QTreeWidgetItem* Item);
    bool SaveSettings();

    Ref<IqlSettingsCategory> Category;
    QIcon FImages[3];
};
