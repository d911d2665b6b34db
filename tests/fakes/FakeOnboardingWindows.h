#pragma once

#include "ports/OnboardingWindow.h"

#include <QList>

// Records the welcome windows the program makes and how often each was brought to the front.
class FakeOnboardingWindows {
public:
    struct Record {
        OnboardingViewModel* model = nullptr;
        int timesBroughtToFront = 0;
        bool isOpen = true;
    };

    OnboardingWindowFactory factory() {
        return [this](OnboardingViewModel& model, LanguageManager&) {
            records.append(Record{&model, 0, true});
            return std::make_unique<Window>(*this, records.size() - 1);
        };
    }

    int openCount() const {
        int count = 0;
        for (const Record& record : records)
            count += record.isOpen ? 1 : 0;
        return count;
    }

    QList<Record> records;

private:
    class Window : public OnboardingWindow {
    public:
        Window(FakeOnboardingWindows& owner, qsizetype index)
            : m_owner(owner)
            , m_index(index) {}
        ~Window() override { m_owner.records[m_index].isOpen = false; }
        void bringToFront() override { ++m_owner.records[m_index].timesBroughtToFront; }

    private:
        FakeOnboardingWindows& m_owner;
        qsizetype m_index;
    };
};
