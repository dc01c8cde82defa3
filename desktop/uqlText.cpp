#include "desktop/uqlText.h"

#include <QFile>
#include <QStringDecoder>

namespace {

// 0x80..0x9F of Windows-1252; the undefined ones keep their own number.
const char16_t CP1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString FromAnsi(const char* Data, qsizetype Size)
{
    QString Result(Size, Qt::Uninitialized);
    QChar* Out = Result.data();
    for (qsizetype I = 0; I < Size; ++I) {
        const unsigned char C = static_cast<unsigned char>(Data[I]);
        Out[I] = (C >= 0x80 && C < 0xA0) ? QChar(CP1252High[C - 0x80]) : QChar(C);
    }
    return Result;
}

QByteArray ToAnsi(const QString& Text)
{
    QByteArray Result(Text.size(), Qt::Uninitialized);
    qsizetype N = 0;
    for (QChar Ch : Text) {
        const char16_t U = Ch.unicode();
        char B = '?';
        if (U < 0x80 || (U >= 0xA0 && U < 0x100)) {
            B = static_cast<char>(U);
        } else {
            for (int I = 0; I < 32; ++I)
                if (CP1252High[I] == U) {
                    B = static_cast<char>(0x80 + I);
                    break;
                }
        }
        Result[N++] = B;
    }
    return Result;
}

}  // namespace

QString qlFromAnsi(const std::string& Text) { return FromAnsi(Text.data(), static_cast<qsizetype>(Text.size())); }

std::string qlToAnsi(const QString& Text) { return ToAnsi(Text).toStdString(); }

QString qlFromFileName(const std::string& Name) { return QFile::decodeName(QByteArray::fromStdString(Name)); }

std::string qlToFileName(const QString& Name) { return QFile::encodeName(Name).toStdString(); }

namespace {

bool ValidUtf8(const char* Data, qsizetype Size, QString* Text)
{
    QStringDecoder Decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QByteArray Bytes = QByteArray::fromRawData(Data, Size);
    QString Decoded = Decoder.decode(Bytes);
    // The decoder takes some bytes it should refuse (an encoded surrogate):
    // only what encodes back to the same bytes is UTF-8 here.
    if (Decoder.hasError() || Decoded.toUtf8() != Bytes)
        return false;
    if (Text)
        *Text = std::move(Decoded);
    return true;
}

bool HasBom(const QByteArray& Bytes) { return Bytes.startsWith("\xEF\xBB\xBF"); }

bool BeyondAscii(const char* Data, qsizetype Size)
{
    for (qsizetype I = 0; I < Size; ++I)
        if (static_cast<unsigned char>(Data[I]) >= 0x80)
            return true;
    return false;
}

// The bytes as UTF-8 source (into Text, when given): valid UTF-8 after a
// byte-order mark, if any, that starts with the mark or holds a character
// beyond ASCII.
bool DecodeUtf8Source(const QByteArray& Bytes, QString* Text)
{
    const qsizetype Skip = HasBom(Bytes) ? 3 : 0;
    const char* Data = Bytes.constData() + Skip;
    const qsizetype Size = Bytes.size() - Skip;
    return (Skip > 0 || BeyondAscii(Data, Size)) && ValidUtf8(Data, Size, Text);
}

}  // namespace

bool qlIsUtf8Source(const QByteArray& Bytes) { return DecodeUtf8Source(Bytes, nullptr); }

TqlDecodedText qlDecodeSource(const QByteArray& Bytes)
{
    TqlDecodedText Result;
    if (DecodeUtf8Source(Bytes, &Result.Text)) {
        Result.Bom = HasBom(Bytes);
        Result.Utf8 = true;
        return Result;
    }
    Result.Text = FromAnsi(Bytes.constData(), Bytes.size());
    return Result;
}

QByteArray qlEncodeSource(const QString& Text, bool Utf8, bool Bom)
{
    if (Utf8)
        return (Bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + Text.toUtf8();
    return ToAnsi(Text);
}

QString qlFromSource(const std::string& Text, bool Utf8)
{
    QString Result;
    if (Utf8 && ValidUtf8(Text.data(), static_cast<qsizetype>(Text.size()), &Result))
        return Result;
    return qlFromAnsi(Text);
}
