// The multi-line fields of the dialogs.
#pragma once

#include <QPlainTextEdit>

class QKeyEvent;
class QMimeData;

// A memo: one entry a line, no wrapping, a vertical scroll bar. Tab and
// Shift+Tab move the focus on, as in every other field. A list of paths
// also never takes a tab character: a tab in pasted or dropped text parts
// two entries as a line break does, and a line of tabs alone stays empty.
class TqlMemo : public QPlainTextEdit {
public:
    explicit TqlMemo(QWidget* Parent, bool PathList = false);

protected:
    void insertFromMimeData(const QMimeData* Source) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    bool FPathList;
};

// Text for a list of paths: every tab gone, the pieces it parted on lines of
// their own.
QString qlPathListText(const QString& Text);
