// Every question and message the desktop program puts to the user goes
// through here, so tests can answer them and read their texts.
#pragma once

#include <QString>

#include <string>

class QWidget;

enum class TqlAnswer { Yes, No, Cancel, OK };

// Scripted answers for tests; the program itself installs none.
class TqlPromptHandler {
public:
    virtual ~TqlPromptHandler() = default;
    // A question (Yes/No[/Cancel]) or a plain message (answer OK).
    virtual TqlAnswer Answer(const QString& Text) = 0;
    // A file dialog: the chosen name, or empty for Cancel.
    virtual QString FileName(const QString& Title) = 0;
};

// Installs Handler (nil: the real dialogs again); returns the old one.
TqlPromptHandler* qlSetPromptHandler(TqlPromptHandler* Handler);

// Yes, No or (with WithCancel) Cancel.
TqlAnswer qlAsk(QWidget* Parent, const QString& Text, bool WithCancel);
void qlShowMessage(QWidget* Parent, const QString& Text);
void qlShowError(QWidget* Parent, const QString& Text);
// The same boxes, shown without waiting for the user to close them.
void qlPostError(QWidget* Parent, const QString& Text);
void qlPostMessage(QWidget* Parent, const QString& Text);

// A line of text: Caption and Prompt as given, Value shown selected; true
// with Value changed on OK, false on Cancel.
bool qlInputText(QWidget* Parent, const QString& Caption, const QString& Prompt, std::string& Value);

// Filter in the program's "Caption|*.ext|Caption|*.ext" form; DefaultSuffix
// without the dot. InitialName is the name the dialog starts with; one made
// of wildcards ("*.xml") starts it on the filter that lists those files
// instead. Both answer an empty name when the user cancels.
QString qlOpenFileName(QWidget* Parent, const QString& Title, const QString& Filter,
                       const QString& DefaultSuffix, bool MustExist = true, const QString& InitialName = {});
QString qlSaveFileName(QWidget* Parent, const QString& Title, const QString& Filter,
                       const QString& DefaultSuffix, bool ConfirmOverwrite = true,
                       const QString& InitialName = {});

// A folder chooser (a file chooser cannot pick an empty folder); empty for
// Cancel. Scripted answers come from the handler's FileName.
QString qlFolderName(QWidget* Parent, const QString& Title);
