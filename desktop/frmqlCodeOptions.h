// The coding conventions dialog: indentation rules, the sixteen naming
// patterns and the component prefixes.
#pragma once

#include "desktop/frmqlBaseDialog.h"
#include "model/uqlClasses.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

inline constexpr bool CodingConventionsDialogAvailable = true;

// Shows the dialog over gqlProject's coding conventions.
void EditCodingConventions(QWidget* Parent);

class TCodeOptions : public TBaseDialogForm {
    Q_OBJECT
public:
    TCodeOptions(const Ref<IqlCodingConventions>& Conventions, QWidget* Parent = nullptr);

    // Checks the naming patterns, writes the controls back and saves the
    // conventions; the dialog stays open when a pattern is bad or the file
    // cannot be written.
    void accept() override;

    // The prefix commands.
    void tbnAddComponentPrefixClick();
    void btnDeleteComponentPrefixClick();
    void lvCmpPrefixesDblClick();
    void btnGetDefaultPrefixesClick();

    // One naming pattern: its label, its edit and its accessors.
    struct TNamingField {
        const char* Label;
        QLineEdit* Edit;
        std::string (IqlNamingConventions::*Get)();
        void (IqlNamingConventions::*Set)(const std::string&);
    };

    QTabWidget* pgcCodingConventions = nullptr;
    QComboBox* cbSpacesPerIndent = nullptr;
    QCheckBox* chkExtraIndentBeforeBegin = nullptr;
    QCheckBox* chkExtraIndentBeforeTry = nullptr;
    QCheckBox* chkExtraIndentBeforeElseInTryBlock = nullptr;
    QCheckBox* chkExtraIndentBeforeElseInCaseBlock = nullptr;
    QCheckBox* chkNeverindentElseIf = nullptr;
    QCheckBox* chkIndentComments = nullptr;
    QCheckBox* chkIndentCompilerDirectives = nullptr;
    QTreeWidget* ListView1 = nullptr;
    std::array<TNamingField, 16> NamingFields{};
    QCheckBox* chkEnforceOnlyIfComponentUsed = nullptr;
    QTreeWidget* lvCmpPrefixes = nullptr;
    QPushButton* tbnAddComponentPrefix = nullptr;
    QPushButton* btnDeleteComponentPrefix = nullptr;
    QPushButton* btnGetDefaultPrefixes = nullptr;
    QLineEdit* edtRegExprHelp = nullptr;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void LoadPrefixes();
    QTreeWidgetItem* AddPrefixRow(IqlComponentPrefix* Prefix);
    bool CheckPatterns();

    Ref<IqlCodingConventions> Conventions;
};
