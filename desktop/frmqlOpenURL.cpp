#include "desktop/frmqlOpenURL.h"

#include "desktop/uqlText.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>

namespace {

bool IsURL(const QString& Text) { return Text.contains("://"); }

} // namespace

TfrmOpenURL::TfrmOpenURL(QWidget* Parent) : QDialog(Parent)
{
    setWindowTitle("Open");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    QFont F("Tahoma");
    F.setPixelSize(11);
    setFont(F);
    setFixedSize(339, 151);

    auto* Grid = new QGridLayout(this);
    auto* Logo = new QLabel(this);
    Logo->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
    Logo->setFixedSize(32, 32);
    auto* Text = new QLabel(
        "Type the internet address of a Quillet project file and Quillet will open it for you.", this);
    Text->setWordWrap(true);
    Grid->addWidget(Logo, 0, 0, Qt::AlignTop);
    Grid->addWidget(Text, 0, 1, 1, 2);
    auto* lblOpen = new QLabel("&Open:", this);
    cbURL = new QComboBox(this);
    cbURL->setEditable(true);
    cbURL->setInsertPolicy(QComboBox::NoInsert);
    cbURL->setFixedWidth(257);
    lblOpen->setBuddy(cbURL);
    Grid->addWidget(lblOpen, 1, 0);
    Grid->addWidget(cbURL, 1, 1, 1, 2);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch(1);
    btnOK = new QPushButton("OK", this);
    btnOK->setDefault(true);
    btnOK->setEnabled(false);
    btnCancel = new QPushButton("Cancel", this);
    Buttons->addWidget(btnOK);
    Buttons->addWidget(btnCancel);
    Grid->addLayout(Buttons, 2, 0, 1, 3);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbURL, &QComboBox::editTextChanged, this, &TfrmOpenURL::cbURLChange);
    cbURL->setFocus();
}

void TfrmOpenURL::LoadRecentAddresses(const std::vector<std::string>& RecentFiles)
{
    const QSignalBlocker Quiet(cbURL);
    cbURL->clear();
    for (const std::string& Entry : RecentFiles) {
        const QString Name = qlFromFileName(Entry);
        if (IsURL(Name))
            cbURL->addItem(Name);
    }
    cbURL->setEditText(cbURL->count() > 0 ? cbURL->itemText(0) : QString());
}

void TfrmOpenURL::cbURLChange(const QString& Text)
{
    btnOK->setEnabled(IsURL(Text));
}

bool ExecuteOpenURL(QWidget* Parent, const std::vector<std::string>& Recent, std::string& Address)
{
    Address.clear();
    QPointer<TfrmOpenURL> Dialog = new TfrmOpenURL(Parent ? Parent : QApplication::activeWindow());
    Dialog->LoadRecentAddresses(Recent);
    const bool Ok = Dialog->exec() == QDialog::Accepted;
    // The text is read while the dialog surely exists, then it is released.
    if (Dialog) {
        if (Ok)
            Address = qlToFileName(Dialog->cbURL->currentText());
        Dialog->deleteLater();
    }
    return Ok && !Address.empty();
}
