#include "pickers/AppPickerViewModel.h"
#include "support/DesktopEntryTree.h"
#include "support/OverlayModelGraph.h"
#include "xdg/ApplicationScanner.h"

#include <QtTest>

namespace {

QStringList idsOf(const QList<AppInfo>& apps) {
    QStringList ids;
    for (const AppInfo& app : apps)
        ids.append(app.bundleIdentifier);
    return ids;
}

QStringList namesOf(const QList<AppInfo>& apps) {
    QStringList names;
    for (const AppInfo& app : apps)
        names.append(app.name);
    return names;
}

} // namespace

class AppPickerTest : public QObject {
    Q_OBJECT

    // The stores, texts and a temporary XDG tree the picker scans.
    struct Picker : OverlayModelGraph {
        DesktopEntryTree tree;
        ApplicationScanner scanner{logger, tree.dataDirs()};
        AppPickerViewModel model{{scanner, defaults, language}};
    };

private slots:
    void listsOnlyDirectVisibleApplicationsOnceWithTheirLogLine() {
        Picker p;
        p.tree.app(p.tree.home(), QStringLiteral("org.example.Editor"), QStringLiteral("Editor"),
                   QStringLiteral("GenericName=Text Editor\nKeywords=code;notes;\n"));
        p.tree.app(p.tree.home(), QStringLiteral("sub/org.example.Nested"),
                   QStringLiteral("Nested"));
        p.tree.write(p.tree.home(), QStringLiteral("org.example.Upper.DESKTOP"),
                     QStringLiteral("Type=Application\nName=Upper"));
        p.tree.app(p.tree.home(), QStringLiteral("org.example.Quiet"), QStringLiteral("Quiet"),
                   QStringLiteral("NoDisplay=true"));
        p.tree.app(p.tree.home(), QStringLiteral("org.example.Gone"), QStringLiteral("Gone"),
                   QStringLiteral("Hidden=true"));
        p.tree.write(p.tree.home(), QStringLiteral("org.example.Broken.desktop"),
                     QStringLiteral("Type=Application\nName=Broken"), "not an entry\n");
        p.tree.write(p.tree.home(), QStringLiteral("org.example.Link.desktop"),
                     QStringLiteral("Type=Link\nName=Link\nURL=https://example.org"));
        // The same IDs in the later folder: the earlier entry stands for them, hidden or not.
        p.tree.app(p.tree.system(), QStringLiteral("org.example.Editor"),
                   QStringLiteral("Old Editor"));
        p.tree.app(p.tree.system(), QStringLiteral("org.example.Gone"), QStringLiteral("Gone"));
        p.tree.app(p.tree.system(), QStringLiteral("org.example.Viewer"), QStringLiteral("Viewer"));

        p.model.loadInstalledApps();

        const QList<AppInfo> apps = p.model.installedApps();
        QCOMPARE(idsOf(apps), QStringList({QStringLiteral("org.example.Editor"),
                                           QStringLiteral("org.example.Viewer")}));
        QCOMPARE(apps[0].path,
                 p.tree.home() + QStringLiteral("/applications/org.example.Editor.desktop"));
        QCOMPARE(p.logger.lines.filter(QStringLiteral("[Velmora] App: ")),
                 QStringList({QStringLiteral("[Velmora] App: org.example.Editor | display=Editor | "
                                             "spotlight=nil | searchNames=[\"org.example.Editor\", "
                                             "\"Editor\", \"Text Editor\", \"code\", \"notes\"]"),
                              QStringLiteral("[Velmora] App: org.example.Viewer | display=Viewer | "
                                             "spotlight=nil | searchNames=[\"org.example.Viewer\", "
                                             "\"Viewer\"]")}));
    }

    void leavesOutBlacklistedAndProtectedUntilRemoved() {
        Picker p;
        p.tree.app(p.tree.system(), QStringLiteral("org.gnome.Nautilus"), QStringLiteral("Files"));
        p.tree.app(p.tree.system(), QStringLiteral("org.example.Editor"), QStringLiteral("Editor"));
        p.tree.app(p.tree.system(), QStringLiteral("org.example.Viewer"), QStringLiteral("Viewer"));
        p.apps.addApp(QStringLiteral("org.example.Editor"), QStringLiteral("Editor"), QString());

        p.model.loadInstalledApps();
        QCOMPARE(idsOf(p.model.installedApps()), QStringList{QStringLiteral("org.example.Viewer")});

        p.apps.removeApp(p.apps.apps().first());
        p.model.loadInstalledApps();
        QCOMPARE(idsOf(p.model.installedApps()),
                 QStringList(
                     {QStringLiteral("org.example.Editor"), QStringLiteral("org.example.Viewer")}));
    }

    void sortsByLocalisedNameIgnoringCaseAndFindsChineseNames() {
        Picker p;
        for (const auto& [id, name] : QList<std::pair<QString, QString>>{
                 {QStringLiteral("b2"), QStringLiteral("Banana")},
                 {QStringLiteral("a1"), QStringLiteral("apple")},
                 {QStringLiteral("a2"), QStringLiteral("Avocado")},
                 {QStringLiteral("b1"), QStringLiteral("blueberry")}})
            p.tree.app(p.tree.system(), id, name);
        p.tree.app(p.tree.system(), QStringLiteral("org.example.Calc"),
                   QStringLiteral("Calculator"),
                   QStringLiteral("Name[zh_CN]=计算器\nName[zh]=计算"));
        p.model.loadInstalledApps();
        QCOMPARE(namesOf(p.model.installedApps()),
                 QStringList({QStringLiteral("apple"), QStringLiteral("Avocado"),
                              QStringLiteral("Banana"), QStringLiteral("blueberry"),
                              QStringLiteral("Calculator")}));

        // With Chinese pinned, the Chinese name is shown and found; the English one still finds it.
        p.language.changeLanguage(AppLanguage::chinese);
        p.model.loadInstalledApps();
        QVERIFY(namesOf(p.model.installedApps()).contains(QStringLiteral("计算器")));
        p.model.setSearchText(QStringLiteral("计算器"));
        QCOMPARE(idsOf(p.model.filteredApps()), QStringList{QStringLiteral("org.example.Calc")});
        p.model.setSearchText(QStringLiteral("calc"));
        QCOMPARE(idsOf(p.model.filteredApps()), QStringList{QStringLiteral("org.example.Calc")});
        QVERIFY(p.logger.lines.contains(QStringLiteral(
            "[Velmora] App: org.example.Calc | display=Calculator | spotlight=计算器 | "
            "searchNames=[\"org.example.Calc\", \"Calculator\", \"计算器\"]")));
    }

    // What a desktop's own search finds an application by: its generic name, comment and
    // keywords, plain and in the interface language.
    void findsAppsByGenericNameCommentAndKeywords() {
        Picker p;
        p.tree.app(p.tree.system(), QStringLiteral("galculator"), QStringLiteral("Galculator"),
                   QStringLiteral("Comment=Scientific calculator\nComment[zh_CN]=科学计算器\n"));
        p.tree.app(p.tree.system(), QStringLiteral("org.example.Notes"), QStringLiteral("Notes"),
                   QStringLiteral("GenericName=Text Editor\nKeywords=jot;memo;\n"
                                  "Keywords[zh_CN]=笔记;备忘;\n"));
        p.tree.app(p.tree.system(), QStringLiteral("org.example.Maps"), QStringLiteral("Maps"));
        const auto found = [&](const QString& search) {
            p.model.setSearchText(search);
            return idsOf(p.model.filteredApps());
        };
        p.model.loadInstalledApps();
        QCOMPARE(found(QStringLiteral("calc")), QStringList{QStringLiteral("galculator")});
        QCOMPARE(found(QStringLiteral("editor")), QStringList{QStringLiteral("org.example.Notes")});
        QCOMPARE(found(QStringLiteral("MEMO")), QStringList{QStringLiteral("org.example.Notes")});
        QCOMPARE(found(QStringLiteral("科学")), QStringList());

        p.language.changeLanguage(AppLanguage::chinese);
        p.model.loadInstalledApps();
        QCOMPARE(found(QStringLiteral("科学")), QStringList{QStringLiteral("galculator")});
        QCOMPARE(found(QStringLiteral("备忘")), QStringList{QStringLiteral("org.example.Notes")});
        QCOMPARE(found(QStringLiteral("calc")), QStringList{QStringLiteral("galculator")});
    }

    void filtersByNameIdOrCapitalsAndKeepsHiddenSelection() {
        Picker p;
        p.tree.app(p.tree.system(), QStringLiteral("org.mozilla.firefox"),
                   QStringLiteral("Firefox"));
        p.tree.app(p.tree.system(), QStringLiteral("org.gnome.TextEditor"),
                   QStringLiteral("Text Editor"));
        p.tree.app(p.tree.system(), QStringLiteral("org.gnome.Maps"), QStringLiteral("Maps"));
        p.model.loadInstalledApps();

        p.model.setSearchText(QStringLiteral("TEXT"));
        QCOMPARE(idsOf(p.model.filteredApps()),
                 QStringList{QStringLiteral("org.gnome.TextEditor")});
        p.model.setSearchText(QStringLiteral("org.gnome"));
        QCOMPARE(idsOf(p.model.filteredApps()),
                 QStringList(
                     {QStringLiteral("org.gnome.Maps"), QStringLiteral("org.gnome.TextEditor")}));
        p.model.setSearchText(QStringLiteral(" maps"));
        QCOMPARE(p.model.rowCount(), 0);

        p.model.setSearchText(QString());
        p.model.toggleSelection(QStringLiteral("org.gnome.TextEditor"));
        p.model.toggleSelection(QStringLiteral("org.mozilla.firefox"));
        p.model.setSearchText(QStringLiteral("fire"));
        QCOMPARE(p.model.rowCount(), 1);
        QCOMPARE(p.model.selectedCount(), 2);

        QList<AppInfo> handed;
        p.model.onAppsSelected = [&](const QList<AppInfo>& apps) { handed = apps; };
        p.model.confirm();
        QCOMPARE(namesOf(handed),
                 QStringList({QStringLiteral("Firefox"), QStringLiteral("Text Editor")}));
    }
};

QTEST_GUILESS_MAIN(AppPickerTest)
#include "AppPickerTest.moc"
