#include "platform/AppInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>

namespace quillory {

QString QtAppInfo::programFolder() const {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString QtAppInfo::todayLongDate() const {
    return longDate(today());
}

QString QtAppInfo::longDate(const QDate& date) {
    return QLocale::system().toString(date, QLocale::LongFormat);
}

} // namespace quillory
