#pragma once

#include "ports/UpdateWindow.h"

#include <QList>
#include <QUrl>

class FakeUpdateWindow : public UpdateWindow {
public:
    bool isProgramActive() const override { return programActive; }
    void show(QObject& model) override {
        ++shows;
        shownModel = &model;
    }
    void openLink(const QUrl& url) override { openedLinks.append(url); }

    bool programActive = false;
    int shows = 0;
    QObject* shownModel = nullptr;
    QList<QUrl> openedLinks;
};
