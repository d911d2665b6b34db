#pragma once

#include "app/Ports.h"
#include "fakes/CapturingLogger.h"
#include "fakes/FakeAppIconSource.h"
#include "fakes/FakeAuthBackend.h"
#include "fakes/FakeHotKeyBackend.h"
#include "fakes/FakeKeyMonitor.h"
#include "fakes/FakeMountChanges.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeOverlayWindows.h"
#include "fakes/FakePowerEvents.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeScreens.h"
#include "fakes/FakeSelfActivation.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/MemoryStore.h"

// Hands the delegate windows that the test's FakeOverlayWindows records.
class OverlayWindowsProxy : public OverlayWindows {
public:
    explicit OverlayWindowsProxy(OverlayWindows& target)
        : m_target(target) {}
    std::unique_ptr<OverlayWindow> create(const QRect& screen, OverlayContent content) override {
        return m_target.create(screen, std::move(content));
    }

private:
    OverlayWindows& m_target;
};

// A fake for every port, so a test can build the whole program on fakes in one line.
struct FakePorts {
    FakeScheduler scheduler;
    MemoryStore store;
    FakeVolumeSource volumes;
    CapturingLogger logger;
    FakeNotifier notifier;
    FakePowerEvents powerEvents;
    FakeAppIconSource appIcons;
    FakeHotKeyBackend hotKeys;
    FakeAuthBackend auth;
    FakeWorkspace workspace;
    FakeScreens screens;
    FakeOverlayWindows overlayWindows;
    FakeKeyMonitor keyMonitor;
    FakeSelfActivation selfActivation;
    FakeMountChanges mountChanges;

    Ports ports() {
        const OverlayWindowsFactory makeOverlayWindows = [this](const OverlayViewServices&) {
            return std::make_unique<OverlayWindowsProxy>(overlayWindows);
        };
        return Ports{scheduler,  store,          volumes,     logger,
                     notifier,   powerEvents,    appIcons,    hotKeys,
                     auth,       workspace,      screens,     makeOverlayWindows,
                     keyMonitor, selfActivation, mountChanges};
    }
};
