#pragma once

#include "ports/SettingsWindows.h"

#include <list>

// Records the windows made and, for each, where it was moved and how often it was shown.
class FakeSettingsWindows : public SettingsWindows {
public:
    struct Record {
        QString title;
        QSize contentSize;
        QObject* viewModel = nullptr;
        QList<QPoint> moves;
        int shows = 0;
    };

    class Window : public SettingsWindow {
    public:
        explicit Window(Record& record)
            : m_record(record) {}
        QSize frameSize() const override { return m_record.contentSize + QSize(0, 30); }
        void moveFrameTo(const QPoint& topLeft) override { m_record.moves.append(topLeft); }
        void showAndRaise() override { ++m_record.shows; }
        void setTitle(const QString& title) override { m_record.title = title; }

    private:
        Record& m_record;
    };

    std::unique_ptr<SettingsWindow> create(const QString& title, const QSize& contentSize,
                                           QObject& viewModel) override {
        records.push_back(Record{title, contentSize, &viewModel, {}, 0});
        return std::make_unique<Window>(records.back());
    }

    // Stable addresses: windows keep a reference to their record.
    std::list<Record> records;
};
