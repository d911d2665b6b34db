#pragma once

#include "ports/MenuBarWindows.h"

#include <QPoint>

// Records what the tray asked of its windows; the panel and About window live in the test.
class FakeMenuBarWindows : public MenuBarWindows {
public:
    struct Panel : MenuBarPanel {
        explicit Panel(FakeMenuBarWindows& owner)
            : owner(owner) {}
        bool isShown() const override { return shown; }
        void showNear(const QRect& anchor) override {
            shown = true;
            owner.anchors.append(anchor);
        }
        void close() override { shown = false; }
        QScreen* screen() const override { return nullptr; }

        FakeMenuBarWindows& owner;
        bool shown = false;
    };

    struct About : ReusableWindow {
        explicit About(FakeMenuBarWindows& owner)
            : owner(owner) {}
        void present() override { ++owner.aboutPresentations; }
        FakeMenuBarWindows& owner;
    };

    std::unique_ptr<MenuBarPanel> makePanel(MenuBarViewModel& model) override {
        ++panelsMade;
        panelModel = &model;
        auto made = std::make_unique<Panel>(*this);
        panel = made.get();
        return made;
    }
    std::unique_ptr<ReusableWindow> makeAboutWindow(AboutViewModel&) override {
        ++aboutWindowsMade;
        return std::make_unique<About>(*this);
    }

    int panelsMade = 0;
    int aboutWindowsMade = 0;
    int aboutPresentations = 0;
    QList<QRect> anchors;
    Panel* panel = nullptr;
    MenuBarViewModel* panelModel = nullptr;
};

// Hands the delegate windows that the test's FakeMenuBarWindows records.
class MenuBarWindowsProxy : public MenuBarWindows {
public:
    explicit MenuBarWindowsProxy(MenuBarWindows& target)
        : m_target(target) {}
    std::unique_ptr<MenuBarPanel> makePanel(MenuBarViewModel& model) override {
        return m_target.makePanel(model);
    }
    std::unique_ptr<ReusableWindow> makeAboutWindow(AboutViewModel& model) override {
        return m_target.makeAboutWindow(model);
    }

private:
    MenuBarWindows& m_target;
};
