#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

namespace quillory {

// The program's folder, the clock and the regional settings, as the system gives them; nothing
// else in the program asks the system for the time or the locale, so tests can set both.
class AppInfo {
public:
    virtual ~AppInfo() = default;
    // Folder of the executable, without a trailing separator (except a root).
    virtual QString programFolder() const = 0;
    // Today's date as long-date text in the system's regional format.
    virtual QString todayLongDate() const = 0;
    // The time of day, for the status bar's clock.
    virtual QTime currentTime() const = 0;
    // Today, for the days a loan has been out.
    virtual QDate today() const = 0;
    // The regional settings numbers and times are read and shown in.
    virtual QLocale locale() const = 0;
};

class QtAppInfo : public AppInfo {
public:
    QString programFolder() const override;
    QString todayLongDate() const override;
    QTime currentTime() const override { return QTime::currentTime(); }
    QDate today() const override { return QDate::currentDate(); }
    QLocale locale() const override { return QLocale::system(); }
    static QString longDate(const QDate& date);
};

} // namespace quillory
