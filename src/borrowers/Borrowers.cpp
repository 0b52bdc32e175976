#include "borrowers/Borrowers.h"

#include "records/FieldCheck.h"
#include "records/RecordFile.h"

#include <QRandomGenerator>
#include <chrono>
#include <cmath>
#include <memory>

namespace quillory::borrowers {

using records::FileError;
using records::Result;

UnitSource clockSeededSource() {
    const auto ticks =
        quint64(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    const quint32 seed[2] = {quint32(ticks), quint32(ticks >> 32)};
    auto generator = std::make_shared<QRandomGenerator>(seed, 2);
    return [generator] { return generator->generateDouble(); };
}

QString generateProfileId(const UnitSource& next) {
    // Drawn in double precision: a single-precision value cannot reach each of the ten million
    // numbers equally often. Numbers below 1000000 are drawn again, so the first digit is never 0.
    QString digits;
    do {
        digits = QString::number(qint64(std::floor(next() * 9999999.0)));
    } while (digits.size() != 7);
    // Codes 0 to 64 are drawn again; 65 to 90 are A to Z, each equally likely.
    int code = 0;
    do {
        code = int(std::floor(next() * 91.0));
    } while (code <= 64);
    return digits + QChar(char16_t(code));
}

namespace {

const QString kEmptyTitle = QStringLiteral("Empty");

bool blank(const QString& text) {
    return text.trimmed().isEmpty();
}

QString profileFileText(const QString& profileId) {
    return QStringLiteral("The Profile ID ") + profileId + QStringLiteral(" information file");
}

const QString kNotSaved = QStringLiteral("\rThe changes were not saved.");

} // namespace

QString fieldCaption(Field field) {
    switch (field) {
    case Field::Name:
        return QStringLiteral("Name");
    case Field::Home:
        return QStringLiteral("Home Number");
    case Field::Cell:
        return QStringLiteral("Cell Number");
    }
    return {};
}

std::optional<FieldRefusal> checkFields(const ProfileFields& fields) {
    if (blank(fields.name))
        return FieldRefusal{Field::Name, Message{QStringLiteral("Name field is empty!    "),
                                                 kEmptyTitle, MsgIcon::Exclamation}};
    if (blank(fields.home))
        return FieldRefusal{Field::Home, Message{QStringLiteral("Home number field is empty!    "),
                                                 kEmptyTitle, MsgIcon::Exclamation}};
    if (blank(fields.cell))
        return FieldRefusal{
            Field::Cell,
            Message{QStringLiteral("Please provide a valid Cell-phone number\ror skip field by "
                                   "inserting the dash symbol '-'."),
                    kAppTitle, MsgIcon::Information}};
    const struct {
        Field field;
        const QString& text;
    } stored[] = {
        {Field::Name, fields.name}, {Field::Home, fields.home}, {Field::Cell, fields.cell}};
    for (const auto& f : stored) {
        if (auto text = records::unstorableCharacterMessage(fieldCaption(f.field), f.text))
            return FieldRefusal{f.field, Message{*text, kAppTitle, MsgIcon::Exclamation}};
    }
    return std::nullopt;
}

std::optional<ProfileGates> profileGates(qint64 loanCount) {
    constexpr qint64 kBlinkFrom = 6;
    if (loanCount < 0)
        return std::nullopt;
    return ProfileGates{loanCount == 0, loanCount > 0, loanCount >= kBlinkFrom};
}

namespace {

Message noProfileIdMessage() {
    return {QStringLiteral("Please click on Generate ID to create a new Profile ID for new user."),
            kAppTitle, MsgIcon::Exclamation, MsgButtons::OkCancel};
}

Message createdMessage(const QString& name, const QString& profileId) {
    return {QStringLiteral("The user ") + name +
                QStringLiteral(" was created with Profile ID number: ") + profileId +
                QStringLiteral("\rCreate another new user?"),
            kAppTitle, MsgIcon::Information, MsgButtons::YesNo};
}

Message savedMessage(const QString& profileId) {
    return {QStringLiteral("The Profile ID ") + profileId +
                QStringLiteral(" new changes are saved."),
            kAppTitle, MsgIcon::Information, MsgButtons::Ok};
}

Message missingProfileMessage(const QString& profileId) {
    return {profileFileText(profileId) + QStringLiteral(" could not be found!"),
            QStringLiteral("Missing Profile"), MsgIcon::Exclamation, MsgButtons::Ok};
}

Message removedMessage(const QString& profileId) {
    return {QStringLiteral("The Profile ID: ") + profileId +
                QStringLiteral(" was successfully removed."),
            kAppTitle, MsgIcon::Information, MsgButtons::Ok};
}

Message unreadableMessage(const QString& profileId, const records::Error& error) {
    return {profileFileText(profileId) + QStringLiteral(" could not be read: ") +
                records::errorText(error) + QLatin1Char('.'),
            kAppTitle, MsgIcon::Exclamation, MsgButtons::Ok};
}

Message writeFailedMessage(const QString& profileId, const records::Error& error) {
    return {profileFileText(profileId) + QStringLiteral(" could not be written: ") +
                records::errorText(error) + QLatin1Char('.'),
            kAppTitle, MsgIcon::Critical, MsgButtons::Ok};
}

Message removeFailedMessage(const QString& profileId, const records::Error& error) {
    return {profileFileText(profileId) + QStringLiteral(" could not be removed: ") +
                records::errorText(error) + QLatin1Char('.'),
            kAppTitle, MsgIcon::Critical, MsgButtons::Ok};
}

Message onLoanMessage(const QString& profileId) {
    return {QStringLiteral("The Profile ID ") + profileId +
                QStringLiteral(" has items on loan and cannot be edited."),
            kAppTitle, MsgIcon::Exclamation, MsgButtons::Ok};
}

Message badCountMessage(const QString& profileId, const QString& loanCount) {
    return {QStringLiteral("The Profile ID ") + profileId +
                QStringLiteral(" has the loan count \"") + loanCount +
                QStringLiteral("\", which is not a number of items on loan, and cannot be edited."),
            kAppTitle, MsgIcon::Exclamation, MsgButtons::Ok};
}

// Why a borrower may not be edited (items on loan, or a count that is no number of items).
std::optional<Message> editBlocked(const QString& profileId, const records::ProfileRecord& record) {
    const qint64 n = *record.loanCountValue();
    if (n < 0)
        return badCountMessage(profileId, record.loanCount);
    if (n > 0)
        return onLoanMessage(profileId);
    return std::nullopt;
}

// Why an edit was not saved.
Message notSaved(Message message) {
    message.text += kNotSaved;
    return message;
}

bool profileExists(const Folders& folders, const QString& profileId) {
    return records::RecordFile::exists(folders.profilePath(profileId));
}

} // namespace

Message clashMessage() {
    return {QStringLiteral("Profile ID is similar to a current user.\rPlease click on Generate ID "
                           "to create a new Profile ID for new user."),
            kAppTitle, MsgIcon::Exclamation, MsgButtons::OkCancel};
}

Message removeQuestion(const QString& profileId) {
    return {QStringLiteral("Remove Profile ID: ") + profileId + QLatin1Char('?'), kAppTitle,
            MsgIcon::Exclamation, MsgButtons::YesNo};
}

std::optional<Message> profileIdRefusal(const QString& profileId) {
    if (profileId.isEmpty())
        return noProfileIdMessage();
    return std::nullopt;
}

CreateOutcome createProfile(const Folders& folders, const QString& profileId,
                            const ProfileFields& fields) {
    if (profileExists(folders, profileId))
        return {CreateResult::Clash, clashMessage()};
    const records::ProfileRecord record{profileId, fields.name, fields.home, fields.cell,
                                        QStringLiteral("0")};
    if (const Result<> write = records::writeProfile(folders.profilePath(profileId), record);
        !write.ok())
        return {CreateResult::WriteFailed, writeFailedMessage(profileId, write.error())};
    return {CreateResult::Created, createdMessage(fields.name, profileId)};
}

LoadOutcome loadProfile(const Folders& folders, const QString& profileId) {
    const Result<records::ProfileRecord> read =
        records::readProfile(folders.profilePath(profileId));
    if (!read.ok())
        return {{}, unreadableMessage(profileId, read.error())};
    return {read.value(), std::nullopt};
}

LoadOutcome loadProfileForEdit(const Folders& folders, const QString& profileId) {
    LoadOutcome loaded = loadProfile(folders, profileId);
    if (loaded.ok())
        loaded.failure = editBlocked(profileId, loaded.record);
    return loaded;
}

ProfileView viewProfile(const Folders& folders, const QString& profileId) {
    ProfileView view;
    const Result<records::ProfileRecord> read =
        records::readProfile(folders.profilePath(profileId));
    if (!read.ok()) {
        view.problem = unreadableMessage(profileId, read.error()).text;
        return view;
    }
    view.record = read.value();
    view.readable = true;
    if (const auto gates = profileGates(*view.record.loanCountValue()))
        view.gates = *gates;
    else
        view.problem = badCountMessage(profileId, view.record.loanCount).text;
    return view;
}

EditOutcome saveProfileEdit(const Folders& folders, const QString& profileId,
                            const QString& shownId, const ProfileFields& fields) {
    const Result<records::ProfileRecord> current =
        records::readProfile(folders.profilePath(profileId));
    if (!current.ok()) {
        const FileError code = current.error().code;
        if (code == FileError::Missing || code == FileError::NotAFile)
            return {EditResult::Gone, notSaved(missingProfileMessage(profileId))};
        return {EditResult::Unreadable, notSaved(unreadableMessage(profileId, current.error()))};
    }
    if (const auto blocked = editBlocked(profileId, current.value())) {
        const bool lent = *current.value().loanCountValue() > 0;
        return {lent ? EditResult::OnLoan : EditResult::BadCount, notSaved(*blocked)};
    }
    const records::ProfileRecord record{shownId, fields.name, fields.home, fields.cell,
                                        QStringLiteral("0")};
    if (const Result<> write = records::writeProfile(folders.profilePath(profileId), record);
        !write.ok())
        return {EditResult::WriteFailed, writeFailedMessage(profileId, write.error())};
    return {EditResult::Saved, savedMessage(profileId)};
}

std::optional<Message> removalRefusal(const Folders& folders, const QString& profileId) {
    if (!profileExists(folders, profileId))
        return missingProfileMessage(profileId);
    return std::nullopt;
}

RemoveOutcome removeProfile(const Folders& folders, const QString& profileId) {
    const Result<> removed = records::RecordFile::remove(folders.profilePath(profileId));
    if (!removed.ok())
        return {false, removed.error(), removeFailedMessage(profileId, removed.error())};
    return {true, {}, removedMessage(profileId)};
}

} // namespace quillory::borrowers
