#include "storage/DriveKeyFile.h"

namespace {

const QByteArray header = QByteArrayLiteral("velmora-drive-key 1\n");

bool isLowerHex(const QByteArray& text) {
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

} // namespace

QByteArray DriveKeyFile::format(const QByteArray& secret) {
    return header + secret.toHex() + '\n';
}

std::optional<QByteArray> DriveKeyFile::parse(const QByteArray& contents) {
    if (contents.size() > maxSize || !contents.startsWith(header))
        return std::nullopt;
    QByteArray hex = contents.mid(header.size());
    if (hex.endsWith('\n'))
        hex.chop(1);
    if (hex.size() != secretSize * 2 || !isLowerHex(hex))
        return std::nullopt;
    return QByteArray::fromHex(hex);
}
