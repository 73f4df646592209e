#pragma once

#include <QString>
#include <exception>

// A failure as the program reports it: a numeric code and a description.
class clsError : public std::exception
{
public:
    // Codes of the failures this program raises.
    enum Code : int
    {
        InvalidCall = 5,    // a key that is not in a collection
        Overflow = 6,       // a number outside its range
        TypeMismatch = 13,  // text that does not read as a number
        FileNotFound = 53,  // the data file could not be opened
        PastEndOfFile = 62, // a record ran into the end of the file
        BadRecord = 63,     // a field that cannot be read (unterminated quote)
        KeyInUse = 457,     // adding under a key that is already present
    };

    clsError(int number, QString description) : m_number(number), m_description(std::move(description)) {}

    int Number() const { return m_number; }
    const QString &Description() const { return m_description; }
    const char *what() const noexcept override { return "Tarnwick failure"; }

private:
    int m_number;
    QString m_description;
};
