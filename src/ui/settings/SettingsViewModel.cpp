#include "settings/SettingsViewModel.h"

void SettingsViewModel::setSelectedTab(int tab) {
    if (tab < general || tab > drives || tab == m_selectedTab)
        return;
    m_selectedTab = tab;
    emit selectedTabChanged();
}

void SettingsViewModel::rebuild(QObject* general, QObject* apps, QObject* drives) {
    m_general = general;
    m_apps = apps;
    m_drives = drives;
    ++m_generation;
    emit contentChanged();
}
