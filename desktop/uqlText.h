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

// Source files for display: UTF-8 when the bytes (after a UTF-8 byte-order
// mark, if any) are valid UTF-8 and either start with the mark or hold a
// character beyond ASCII; else Windows-1252, as Delphi 7 reads them (text
// of ASCII alone reads the same either way and stays 8-bit when edited).
// Encoding the decoded text with the same flags gives back the very same
// bytes.
struct TqlDecodedText {
    QString Text;
    bool Utf8 = false;  // written back as UTF-8
    bool Bom = false;   // with a byte-order mark
};
bool qlIsUtf8Source(const QByteArray& Bytes);
TqlDecodedText qlDecodeSource(const QByteArray& Bytes);
QByteArray qlEncodeSource(const QString& Text, bool Utf8, bool Bom);
// A piece of a source file's text (a string literal from the model) in the
// file's encoding; bytes that are not UTF-8 read as Windows-1252 anyway.
QString qlFromSource(const std::string& Text, bool Utf8);
