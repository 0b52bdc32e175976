// The profile record reader, the loan count in it, and the count rewrites of lending and return.
#include "FuzzSupport.h"
#include "records/ProfileRecord.h"

#include <limits>

using namespace quillory::records;
using quillory::fuzz::writeScratch;

namespace {

// An optional sign and ASCII digits: all a count line may hold once its blanks are trimmed.
bool isSignedDecimal(const QString& text) {
    qsizetype i = (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'))) ? 1 : 0;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i) {
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = writeScratch(QStringLiteral("4821937Q"), data, size);
    const Result<QStringList> raw = RecordFile::read(path);
    FUZZ_CHECK(raw.ok());

    // Any line may be handed to the count parser: it accepts decimal numbers only, and whatever it
    // accepts prints and parses back.
    for (const QString& line : raw.value()) {
        const std::optional<qint64> n = parseCount(line);
        if (n) {
            FUZZ_CHECK(parseCount(numericPrintForm(*n)) == n);
            FUZZ_CHECK(isSignedDecimal(line.trimmed()));
        }
    }

    const Result<ProfileRecord> profile = readProfile(path);
    if (raw.value().size() < kProfileLines) {
        FUZZ_CHECK(profile.error().code == FileError::TooShort);
        return 0;
    }
    if (!parseCount(raw.value().at(4))) {
        FUZZ_CHECK(profile.error().code == FileError::BadValue);
        return 0;
    }
    FUZZ_CHECK(profile.ok());
    FUZZ_CHECK(profile.value().toLines() == raw.value().mid(0, kProfileLines));
    const qint64 count = *profile.value().loanCountValue();

    // Lending and return write the neighbouring counts; each reads back as the number written.
    const QString out = writeScratch(QStringLiteral("Out"), QByteArray());
    for (const int step : {+1, -1}) {
        if ((step > 0 && count == std::numeric_limits<qint64>::max()) ||
            (step < 0 && count == std::numeric_limits<qint64>::min()))
            continue;
        ProfileRecord next = profile.value();
        next.loanCount = numericPrintForm(count + step);
        FUZZ_CHECK(writeProfile(out, next).ok());
        const Result<ProfileRecord> back = readProfile(out);
        FUZZ_CHECK(back.ok());
        FUZZ_CHECK(back.value().loanCountValue() == count + step);
        FUZZ_CHECK(back.value().toLines().mid(0, 4) == raw.value().mid(0, 4));
    }
    return 0;
}
