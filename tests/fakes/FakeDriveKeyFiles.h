#pragma once

#include "ports/DriveKeyFiles.h"

#include <QHash>
#include <QList>
#include <QSet>

// Key files in memory, by mount path. Nothing answers until the test calls answer(), the way a
// real drive answers on a later pass of the event loop; `hung` paths never answer.
class FakeDriveKeyFiles : public DriveKeyFiles {
public:
    void read(const QString& mountPath, Done done) override {
        ++reads;
        ask(mountPath, done, [this, mountPath]() -> Result {
            const auto found = secrets.find(mountPath);
            if (found == secrets.end())
                return {Outcome::missing, {}};
            return {Outcome::ok, *found};
        });
    }
    void write(const QString& mountPath, const QByteArray& secret, Done done) override {
        ++writes;
        ask(mountPath, done, [this, mountPath, secret]() -> Result {
            if (readOnly.contains(mountPath))
                return {Outcome::readOnly, {}};
            secrets.insert(mountPath, secret);
            return {Outcome::ok, {}};
        });
    }

    // Answers everything asked so far, and what those answers ask in turn; or only the first few.
    void answer(int count = -1) {
        for (; count != 0 && !m_pending.isEmpty(); --count) {
            const Pending next = m_pending.takeFirst();
            next.done(next.work());
        }
    }
    // Carries out what was asked without answering, as if the program died meanwhile.
    void carryOutUnanswered() {
        for (const Pending& each : std::exchange(m_pending, {}))
            each.work();
    }

    QHash<QString, QByteArray> secrets;
    QSet<QString> hung;
    QSet<QString> readOnly;
    int reads = 0;
    int writes = 0;

private:
    struct Pending {
        Done done;
        std::function<Result()> work;
    };
    void ask(const QString& mountPath, const Done& done, std::function<Result()> work) {
        if (!hung.contains(mountPath))
            m_pending.append(Pending{done, std::move(work)});
    }

    QList<Pending> m_pending;
};
