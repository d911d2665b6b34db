#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// The secret file a registered drive carries. A drive can hang (a failing stick), so every
// operation answers later, on the main thread, and may never answer at all.
class DriveKeyFiles {
public:
    enum class Outcome {
        ok,
        // No key file on the volume.
        missing,
        // The volume is mounted read-only or refuses writes.
        readOnly,
        // Present but unusable: wrong format, not a plain file, an I/O error.
        unreadable,
    };
    struct Result {
        Outcome outcome = Outcome::unreadable;
        // The secret read; empty after a write.
        QByteArray secret;
    };
    using Done = std::function<void(const Result&)>;

    virtual ~DriveKeyFiles() = default;

    virtual void read(const QString& mountPath, Done done) = 0;
    // Replaces the key file whole: a crash leaves either the old secret or the new one.
    virtual void write(const QString& mountPath, const QByteArray& secret, Done done) = 0;
};
