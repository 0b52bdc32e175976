#include "records/FileNames.h"

#include "records/Cp1252.h"

#include <QFile>
#include <QStringDecoder>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace quillory::records {

bool FileNames::isValidUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString FileNames::decode(QByteArrayView bytes) {
    bool ascii = true;
    for (const char c : bytes)
        ascii = ascii && (static_cast<unsigned char>(c) < 0x80);
    if (ascii)
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? Cp1252::decode(bytes) : text;
}

QByteArray FileNames::encodePath(const QString& path) {
    QByteArray utf8 = QFile::encodeName(path);
#ifdef Q_OS_UNIX
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QStringView name = QStringView(path).sliced(slash + 1);
    bool ascii = true;
    for (const QChar c : name)
        ascii = ascii && c.unicode() < 0x80;
    struct stat st;
    if (ascii || lstat(utf8.constData(), &st) == 0)
        return utf8;
    QByteArray legacy;
    if (!Cp1252::encode(name, legacy) || isValidUtf8(legacy))
        return utf8;
    legacy.prepend(QFile::encodeName(path.left(slash + 1)));
    return lstat(legacy.constData(), &st) == 0 ? legacy : utf8;
#else
    return utf8;
#endif
}

} // namespace quillory::records
