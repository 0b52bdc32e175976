#pragma once

#include <QString>
#include <utility>

namespace quillory::records {

// What went wrong with a record file.
enum class FileError {
    None,
    Missing,     // no such file
    NotAFile,    // a folder or something else stands at the path
    TooLarge,    // larger than any record can be
    Unreadable,  // the system refused to read it
    TooShort,    // fewer lines than the reader needs
    BadValue,    // a line that should hold a number does not
    Unencodable, // a character the code page cannot hold
    WriteFailed, // the system refused to write it
    RemoveFailed // the system refused to delete it
};

// The one error type of the program's file work.
struct Error {
    Error(FileError code = FileError::None, QString detail = {})
        : code(code), detail(std::move(detail)) {}
    FileError code;
    QString detail; // the system's own words, when it gave any
};

// The one way an error becomes text for a message or a log: a short English phrase for the code,
// then the system's own words in brackets when it gave any ("the file cannot be read (Permission
// denied)").
QString errorText(const Error& error);

// What a file operation came to: its value, or an Error, in the manner of std::expected. One
// difference: a failed read keeps what it did read (the lines of a record that lost some of
// them), because a damaged loan record is rebuilt from what is left; value() is that partial (or
// empty) value when !ok().
template <class T = void> class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Error error, T partial = T()) : m_error(std::move(error)), m_value(std::move(partial)) {}

    bool ok() const { return m_error.code == FileError::None; }
    const Error& error() const { return m_error; }
    const T& value() const { return m_value; }
    const T* operator->() const { return &m_value; }

private:
    Error m_error;
    T m_value;
};

template <> class Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    bool ok() const { return m_error.code == FileError::None; }
    const Error& error() const { return m_error; }

private:
    Error m_error;
};

} // namespace quillory::records
