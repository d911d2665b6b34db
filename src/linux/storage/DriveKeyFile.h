#pragma once

#include <QByteArray>
#include <optional>

// The text of a key file on a drive: a header line, then the secret in hexadecimal.
namespace DriveKeyFile {
// Larger files are refused unread.
constexpr qsizetype maxSize = 256;
constexpr qsizetype secretSize = 32;

QByteArray format(const QByteArray& secret);
// nullopt for anything but exactly what format() writes (a final newline may be missing).
std::optional<QByteArray> parse(const QByteArray& contents);
} // namespace DriveKeyFile
