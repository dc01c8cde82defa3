#include "desktop/uqlMemo.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QStringList>

TqlMemo::TqlMemo(QWidget* Parent, bool PathList) : QPlainTextEdit(Parent), FPathList(PathList)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

void TqlMemo::insertFromMimeData(const QMimeData* Source)
{
    if (!FPathList || !Source || !Source->hasText() || !Source->text().contains('\t')) {
        QPlainTextEdit::insertFromMimeData(Source);
        return;
    }
    QMimeData Cleaned;
    Cleaned.setText(qlPathListText(Source->text()));
    QPlainTextEdit::insertFromMimeData(&Cleaned);
}

void TqlMemo::keyPressEvent(QKeyEvent* Event)
{
    // Ctrl+Tab and the like would type a tab where Tab alone does not.
    if (FPathList && Event->text().contains('\t')) {
        Event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(Event);
}

QString qlPathListText(const QString& Text)
{
    if (!Text.contains('\t'))
        return Text;
    QStringList Lines;
    for (const QString& Line : Text.split('\n'))
        Lines << Line.split('\t', Qt::SkipEmptyParts).join('\n');
    return Lines.join('\n');
}
