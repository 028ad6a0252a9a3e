#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The package password digest: MD5 over the password's UTF-16LE code units, no terminator.
// A one-file package stores it as Base64 text followed by CR LF, a many-file package raw.
class PackagePassword {
public:
    // The 16 raw digest bytes.
    static QByteArray Digest(const QString& password);
    // The 26-character text of a one-file package: Base64 of the digest, then CR LF.
    static QByteArray DigestText(const QString& password);

    // A one-file package's stored text (its field up to the first NUL) against the entered
    // password: equal over the stored text's length, so an empty stored text accepts any
    // password.
    static bool MatchesText(const QByteArray& storedField, const QString& password);
    // A many-file package's stored digest field against the entered password. The digest is
    // compared over all 16 bytes even when it holds a zero byte; only a field with no digest at
    // all (16 zero bytes) accepts any password.
    static bool MatchesDigest(const QByteArray& storedField, const QString& password);

    // The raw digest behind a stored text (for writing a one-file package's password into a
    // many-file package); empty when the text is empty, none when it is not a digest text.
    static std::optional<QByteArray> DigestOfText(const QByteArray& storedField);
};
