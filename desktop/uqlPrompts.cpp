#include "desktop/uqlPrompts.h"

#include "desktop/uqlText.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>

#include <algorithm>

namespace {

TqlPromptHandler* GHandler = nullptr;

// "A (*.a)|*.a|B|*.b" -> "A (*.a);;B (*.b)" for the Qt dialog.
QString QtFilter(const QString& Filter)
{
    const QStringList Parts = Filter.split('|');
    QStringList Result;
    for (int I = 0; I + 1 < Parts.size(); I += 2) {
        QString Caption = Parts[I];
        QString Patterns = Parts[I + 1];
        Patterns.replace(';', ' ');
        if (Patterns == "*.*")
            Patterns = "*";
        if (Caption.contains('('))
            Caption = Caption.left(Caption.indexOf('(')).trimmed();
        Result << QString("%1 (%2)").arg(Caption, Patterns);
    }
    return Result.join(";;");
}

QString RunFileDialog(QWidget* Parent, const QString& Title, const QString& Filter,
                      const QString& DefaultSuffix, QFileDialog::AcceptMode Mode,
                      QFileDialog::FileMode FileMode, bool ConfirmOverwrite, const QString& InitialName)
{
    QFileDialog Dialog(Parent, Title);
    Dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    Dialog.setOption(QFileDialog::DontConfirmOverwrite, !ConfirmOverwrite);
    Dialog.setAcceptMode(Mode);
    Dialog.setFileMode(FileMode);
    const QStringList Filters = QtFilter(Filter).split(";;");
    Dialog.setNameFilters(Filters);
    Dialog.setDefaultSuffix(DefaultSuffix);
    Dialog.setFilter(Dialog.filter() & ~QDir::CaseSensitive);  // filters ignore case
    if (InitialName.contains('*') || InitialName.contains('?')) {
        // Wildcards list files rather than name one: the first filter that
        // lists all of them.
        const QStringList Wanted = InitialName.split(';', Qt::SkipEmptyParts);
        for (const QString& F : Filters) {
            const QStringList Patterns = F.mid(F.lastIndexOf('(') + 1).chopped(1).split(' ');
            if (std::all_of(Wanted.begin(), Wanted.end(), [&](const QString& W) { return Patterns.contains(W); })) {
                Dialog.selectNameFilter(F);
                break;
            }
        }
    } else if (!InitialName.isEmpty()) {
        Dialog.selectFile(InitialName);
    }
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return {};
    return Dialog.selectedFiles().first();
}

}  // namespace

TqlPromptHandler* qlSetPromptHandler(TqlPromptHandler* Handler)
{
    TqlPromptHandler* Old = GHandler;
    GHandler = Handler;
    return Old;
}

TqlAnswer qlAsk(QWidget* Parent, const QString& Text, bool WithCancel)
{
    if (GHandler)
        return GHandler->Answer(Text);
    QMessageBox::StandardButtons Buttons = QMessageBox::Yes | QMessageBox::No;
    if (WithCancel)
        Buttons |= QMessageBox::Cancel;
    switch (QMessageBox::question(Parent, "Confirm", Text, Buttons)) {
    case QMessageBox::Yes:
        return TqlAnswer::Yes;
    case QMessageBox::No:
        return TqlAnswer::No;
    default:
        return WithCancel ? TqlAnswer::Cancel : TqlAnswer::No;
    }
}

void qlShowMessage(QWidget* Parent, const QString& Text)
{
    if (GHandler) {
        GHandler->Answer(Text);
        return;
    }
    QMessageBox::information(Parent, "Quillet", Text);
}

void qlShowError(QWidget* Parent, const QString& Text)
{
    if (GHandler) {
        GHandler->Answer(Text);
        return;
    }
    QMessageBox::critical(Parent, "Quillet", Text);
}

bool qlInputText(QWidget* Parent, const QString& Caption, const QString& Prompt, std::string& Value)
{
    QInputDialog Dialog(Parent);
    Dialog.setObjectName("InputQueryDialog");
    Dialog.setInputMode(QInputDialog::TextInput);
    Dialog.setWindowTitle(Caption);
    Dialog.setLabelText(Prompt);
    Dialog.setTextValue(qlFromAnsi(Value));
    // The current text is selected once the dialog is up, so typing replaces it.
    QMetaObject::invokeMethod(
        &Dialog,
        [&Dialog] {
            if (auto* Edit = Dialog.findChild<QLineEdit*>())
                Edit->selectAll();
        },
        Qt::QueuedConnection);
    if (Dialog.exec() != QDialog::Accepted)
        return false;
    Value = qlToAnsi(Dialog.textValue());
    return true;
}

namespace {

void PostBox(QMessageBox::Icon Icon, QWidget* Parent, const QString& Text)
{
    if (GHandler) {
        GHandler->Answer(Text);
        return;
    }
    auto* Box = new QMessageBox(Icon, "Quillet", Text, QMessageBox::Ok, Parent);
    Box->setAttribute(Qt::WA_DeleteOnClose);
    Box->setWindowModality(Qt::NonModal);
    Box->show();
}

}  // namespace

void qlPostError(QWidget* Parent, const QString& Text) { PostBox(QMessageBox::Critical, Parent, Text); }

void qlPostMessage(QWidget* Parent, const QString& Text) { PostBox(QMessageBox::Information, Parent, Text); }

QString qlOpenFileName(QWidget* Parent, const QString& Title, const QString& Filter,
                       const QString& DefaultSuffix, bool MustExist, const QString& InitialName)
{
    if (GHandler)
        return GHandler->FileName(Title);
    return RunFileDialog(Parent, Title, Filter, DefaultSuffix, QFileDialog::AcceptOpen,
                         MustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile, false, InitialName);
}

QString qlSaveFileName(QWidget* Parent, const QString& Title, const QString& Filter,
                       const QString& DefaultSuffix, bool ConfirmOverwrite, const QString& InitialName)
{
    if (GHandler)
        return GHandler->FileName(Title);
    return RunFileDialog(Parent, Title, Filter, DefaultSuffix, QFileDialog::AcceptSave,
                         QFileDialog::AnyFile, ConfirmOverwrite, InitialName);
}

QString qlFolderName(QWidget* Parent, const QString& Title)
{
    if (GHandler)
        return GHandler->FileName(Title);
    QFileDialog Dialog(Parent, Title);
    Dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    Dialog.setOption(QFileDialog::ShowDirsOnly, true);
    Dialog.setFileMode(QFileDialog::Directory);
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return {};
    return Dialog.selectedFiles().first();
}
