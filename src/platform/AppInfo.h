#pragma once

#include <QDate>
#include <QString>

namespace quillory {

// The program's folder and today's date, as the system gives them.
class AppInfo {
public:
    virtual ~AppInfo() = default;
    // Folder of the executable, without a trailing separator (except a root).
    virtual QString programFolder() const = 0;
    // Today's date as long-date text in the system's regional format.
    virtual QString todayLongDate() const = 0;
};

class QtAppInfo : public AppInfo {
public:
    QString programFolder() const override;
    QString todayLongDate() const override;
    static QString longDate(const QDate& date);
};

} // namespace quillory
