#pragma once

#include "ports/OverlayWindows.h"

#include <vector>

// Records every overlay window made; the records outlive the windows.
class FakeOverlayWindows : public OverlayWindows {
public:
    struct Record {
        QRect geometry;
        OverlayContent content;
        bool closed = false;
    };

    std::unique_ptr<OverlayWindow> create(const QRect& screen, OverlayContent content) override {
        records.push_back(std::make_shared<Record>(Record{screen, std::move(content), false}));
        return std::make_unique<Window>(records.back());
    }

    std::vector<std::shared_ptr<Record>> open() const {
        std::vector<std::shared_ptr<Record>> result;
        for (const auto& record : records) {
            if (!record->closed)
                result.push_back(record);
        }
        return result;
    }

    std::vector<std::shared_ptr<Record>> records;

private:
    class Window : public OverlayWindow {
    public:
        explicit Window(std::shared_ptr<Record> record)
            : m_record(std::move(record)) {}
        void setGeometry(const QRect& screen) override { m_record->geometry = screen; }
        void close() override { m_record->closed = true; }

    private:
        std::shared_ptr<Record> m_record;
    };
};
