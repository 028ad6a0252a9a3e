#include "package/PackagePassword.h"

#include "package/PackageLayout.h"

#include <QCryptographicHash>
#include <QtEndian>

using namespace PackageLayout;

namespace {

QByteArray UpToFirstZero(const QByteArray& field, qsizetype limit)
{
    const QByteArray head = field.left(limit);
    const qsizetype end = head.indexOf('\0');
    return end < 0 ? head : head.left(end);
}

}  // namespace

QByteArray PackagePassword::Digest(const QString& password)
{
    QByteArray units(password.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < password.size(); ++i)
        qToLittleEndian<quint16>(password.at(i).unicode(), units.data() + 2 * i);
    return QCryptographicHash::hash(units, QCryptographicHash::Md5);
}

QByteArray PackagePassword::DigestText(const QString& password)
{
    return Digest(password).toBase64() + QByteArrayLiteral("\r\n");
}

bool PackagePassword::MatchesText(const QByteArray& storedField, const QString& password)
{
    const QByteArray stored = UpToFirstZero(storedField, kDigestFieldSize);
    return DigestText(password).left(stored.size()) == stored;
}

bool PackagePassword::MatchesDigest(const QByteArray& storedField, const QString& password)
{
    const QByteArray stored = storedField.left(kRawDigestSize);
    if (stored.count('\0') == stored.size())
        return true;
    // About one digest in sixteen holds a zero byte; comparing only up to it would weaken the
    // check, down to accepting any password when the first byte is zero.
    return Digest(password) == stored;
}

std::optional<QByteArray> PackagePassword::DigestOfText(const QByteArray& storedField)
{
    QByteArray text = UpToFirstZero(storedField, kDigestFieldSize);
    if (text.isEmpty())
        return QByteArray();
    if (text.endsWith("\r\n"))
        text.chop(2);
    const auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != kRawDigestSize)
        return std::nullopt;
    return decoded.decoded;
}
