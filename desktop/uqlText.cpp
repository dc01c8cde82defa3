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

TqlDecodedText qlDecodeSource(const QByteArray& Bytes)
{
    TqlDecodedText Result;
    if (Bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder Decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString Text = Decoder.decode(Bytes.mid(3));
        if (!Decoder.hasError() && Text.toUtf8() == Bytes.mid(3)) {
            Result.Text = Text;
            Result.Utf8 = true;
            return Result;
        }
    }
    Result.Text = FromAnsi(Bytes.constData(), Bytes.size());
    return Result;
}

QByteArray qlEncodeSource(const QString& Text, bool Utf8)
{
    if (Utf8)
        return QByteArray("\xEF\xBB\xBF") + Text.toUtf8();
    return ToAnsi(Text);
}
