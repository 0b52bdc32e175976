// The line splitter every record reader stands on, and the writer and appender beside it.
#include "FuzzSupport.h"
#include "records/RecordFile.h"

#include <QStringList>

using namespace quillory::records;
using quillory::fuzz::readScratch;
using quillory::fuzz::writeScratch;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = RecordFile::splitLines(bytes);

    // Every CR LF, lone CR and lone LF ends exactly one line; text after the last end is a line.
    qsizetype ends = 0;
    bool onlyCrLf = true;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ++ends;
            if (i == 0 || bytes[i - 1] != '\r')
                onlyCrLf = false;
        } else if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) {
            ++ends;
            onlyCrLf = false;
        }
    }
    const bool openLast = !bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r');
    FUZZ_CHECK(lines.size() == ends + (openLast ? 1 : 0));
    qsizetype characters = 0;
    for (const QString& line : lines) {
        FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
        characters += line.size();
    }
    // One character per byte: nothing but the line ends is dropped.
    FUZZ_CHECK(characters + bytes.count('\r') + bytes.count('\n') == bytes.size());

    // Written back, every line is kept, and a file already in CR LF form keeps its bytes.
    QByteArray encoded;
    FUZZ_CHECK(RecordFile::encodeLines(lines, encoded));
    FUZZ_CHECK(RecordFile::splitLines(encoded) == lines);
    if (onlyCrLf && !openLast)
        FUZZ_CHECK(encoded == bytes);

    // The file reader agrees with the splitter and counts lines the same way.
    const QString path = writeScratch(QStringLiteral("Record"), data, size);
    const Result<QStringList> read = RecordFile::read(path);
    FUZZ_CHECK(read.ok());
    FUZZ_CHECK(read.value() == lines);
    FUZZ_CHECK(RecordFile::read(path, int(lines.size()) + 1).error().code == FileError::TooShort);

    // Appending keeps the old bytes and never merges the new line into the last one.
    FUZZ_CHECK(RecordFile::appendLine(path, QStringLiteral("Dune")).ok());
    const QByteArray appended = readScratch(path);
    FUZZ_CHECK(appended.startsWith(bytes));
    FUZZ_CHECK(appended.endsWith("Dune\r\n"));
    FUZZ_CHECK(appended.size() == bytes.size() + 6 + (openLast ? 2 : 0));
    const QStringList after = RecordFile::splitLines(appended);
    FUZZ_CHECK(after.size() == lines.size() + 1 && after.last() == QStringLiteral("Dune"));

    // A whole-file write gives exactly the encoded lines.
    FUZZ_CHECK(RecordFile::write(path, lines).ok());
    FUZZ_CHECK(readScratch(path) == encoded);
    return 0;
}
