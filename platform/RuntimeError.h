#pragma once

#include <QString>

#include <exception>
#include <string>

// The one error type that crosses library boundaries: a number and a description, as the
// "Fehler: " & number & " - " & description boxes show them. The database stand-in raises
// it for engine errors; helpers raise it for invalid calls (number 5).
class RuntimeError final : public std::exception {
public:
    RuntimeError(long number, QString description);
    // A database or object used after it was closed, or before it was ever opened.
    static RuntimeError ObjectNotSet();

    long number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

    // Well-known numbers.
    static constexpr long InvalidProcedureCall = 5;
    static constexpr long TypeMismatch = 13;
    static constexpr long FileNotFound = 53;
    static constexpr long DeviceIoError = 57;        // a read or write the device refused
    static constexpr long PermissionDenied = 70;     // "Zugriff verweigert"
    static constexpr long PathFileAccessError = 75;  // a file or folder that cannot be written
    static constexpr long ItemNotFound = 3265;       // no query or field of that name
    static constexpr long CannotOpenDatabase = 3024; // file not found
    static constexpr long NoCurrentRecord = 3021;    // a field read at BOF or EOF
    static constexpr long DuplicateKey = 3022;       // unique index violated
    static constexpr long UnrecognizedFormat = 3343; // the file is no database
    static constexpr long EngineError = 3146;        // any other failure of an action query
    static constexpr long DatabaseClosed = 3420;     // object invalid or no longer set

private:
    long m_number;
    QString m_description;
    std::string m_what;
};
