#pragma once

#include "ports/Updater.h"

#include <QList>

// Holds each fetch until the test answers it with answer().
class FakeUpdater : public Updater {
public:
    bool hasFeed() const override { return feedConfigured; }
    void fetch(std::function<void(const UpdateFeed&)> done) override {
        pending.append(std::move(done));
    }
    // Answers the oldest fetch still waiting; false when none waits.
    bool answer(const UpdateFeed& feed) {
        if (pending.isEmpty())
            return false;
        pending.takeFirst()(feed);
        return true;
    }

    bool feedConfigured = true;
    QList<std::function<void(const UpdateFeed&)>> pending;
};
