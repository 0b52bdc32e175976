// The settings store's values as start-up reads them from a settings file that may have been
// edited by hand or damaged.
#include "FuzzSupport.h"
#include "platform/SettingsStore.h"
#include "settings/FolderSettings.h"

#include <QDir>
#include <QFile>

using namespace quillory;
using quillory::fuzz::scratchFolder;
using quillory::fuzz::writeScratch;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A new file name for every input: the settings layer keeps files it has read in a cache
    // keyed by name and time stamp, and two inputs within one clock tick would share it.
    static quint64 serial = 0;
    const QString name = QStringLiteral("Quillory-%1.conf").arg(++serial);
    const QString path = writeScratch(name, data, size);
    {
        QtSettingsStore store(path);
        // Key names meet without regard to letter case.
        for (const char* key : {"profiles", "stats", "loaned"}) {
            const QString lower = QString::fromLatin1(key);
            const QString value = store.value(lower, QStringLiteral("-"));
            FUZZ_CHECK(store.value(lower.toUpper(), QStringLiteral("-")) == value);
            QString capital = lower;
            capital[0] = capital[0].toUpper();
            FUZZ_CHECK(store.value(capital, QStringLiteral("-")) == value);
            // An absent key gives the caller's default, a present one its value whatever the
            // default.
            const QString other = store.value(lower, QStringLiteral("+"));
            FUZZ_CHECK(other == value ||
                       (value == QStringLiteral("-") && other == QStringLiteral("+")));
        }
        const Folders read = FolderSettings::read(store);
        FUZZ_CHECK(read.profiles == store.value(QStringLiteral("profiles")));
        FUZZ_CHECK(read.stats == store.value(QStringLiteral("stats")));
        FUZZ_CHECK(read.loaned == store.value(QStringLiteral("loaned")));

        // First-start set-up over this file: a key that holds a value keeps it, an empty one gets
        // its default folder, which then exists.
        const QString program = scratchFolder() + QStringLiteral("/program");
        QDir().mkpath(program);
        const Folders defaults = FolderSettings::defaults(program);
        const Folders set = FolderSettings::setUp(store, program, [](FolderKind) {});
        FUZZ_CHECK(set.profiles == (read.profiles.isEmpty() ? defaults.profiles : read.profiles));
        FUZZ_CHECK(set.stats == (read.stats.isEmpty() ? defaults.stats : read.stats));
        FUZZ_CHECK(set.loaned == (read.loaned.isEmpty() ? defaults.loaned : read.loaned));
    }
    QFile::remove(path);
    return 0;
}
