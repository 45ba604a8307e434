#include "image/file_text.h"

#include "image/image_codecs.h"

#include <QStringDecoder>

QByteArray toFileText(const QString& text) {
    const QByteArray converted = toCodePage1250(text);
    if (!converted.contains('\x1A'))
        return converted;
    // Some character had no byte; find which, one character at a time.
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, length);
        const QByteArray b = toCodePage1250(one);
        bytes += b == "\x1A" && one != QStringLiteral("\x1A") ? QByteArray("?") : b;
        i += length - 1;
    }
    return bytes;
}

QString fromFileText(QByteArrayView bytes) {
    return fromCodePage1250(bytes);
}

QString fromForeignText(QByteArrayView bytes) {
    static constexpr char kBom[] = "\xEF\xBB\xBF";
    if (bytes.startsWith(QByteArrayView(kBom, 3)))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = fromCodePage1250(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}
