#pragma once

#include "ports/Notifier.h"

#include <QList>

class FakeNotifier : public Notifier {
public:
    struct Post {
        QString identifier;
        QString title;
        QString body;
        bool withSound = false;
    };

    void requestPermission(std::function<void(bool)> answer) override {
        ++permissionRequests;
        answer(grantPermission);
    }
    void post(const QString& identifier, const QString& title, const QString& body,
              bool withSound) override {
        posts.append(Post{identifier, title, body, withSound});
    }

    QList<Post> posts;
    bool grantPermission = true;
    int permissionRequests = 0;
};
