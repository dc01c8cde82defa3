// Text between the core (8-bit Windows-1252 strings, file names as bytes)
// and Qt.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>

// Windows-1252 bytes to Qt text and back; every byte maps to a character
// and back to itself (the five bytes the code page leaves undefined map to
// the C1 controls of the same number).
QString qlFromAnsi(const std::string& Text);
std::string qlToAnsi(const QString& Text);

// File names: bytes as the file system has them.
QString qlFromFileName(const std::string& Name);
std::string qlToFileName(const QString& Name);

// Source files for the editor: UTF-8 when the bytes start with a UTF-8
// byte-order mark and are valid UTF-8, else Windows-1252. Encoding the
// decoded text with the same flag gives back the very same bytes.
struct TqlDecodedText {
    QString Text;
    bool Utf8 = false;  // the text had a BOM and is written back with one
};
TqlDecodedText qlDecodeSource(const QByteArray& Bytes);
QByteArray qlEncodeSource(const QString& Text, bool Utf8);
