#include "xdg/XdgAppIconSource.h"
#include "fakes/CapturingLogger.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class XdgAppIconSourceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        QImage green(48, 48, QImage::Format_ARGB32);
        green.fill(QColor(20, 180, 60));
        QVERIFY(green.save(m_root.filePath(QStringLiteral("green.png"))));
        const QByteArray iconLine = "Icon=" + m_root.filePath(QStringLiteral("green.png")).toUtf8();
        write(apps() + QStringLiteral("/org.example.Path.desktop"),
              "[Desktop Entry]\nType=Application\nName=Path\n" + iconLine + "\n");
        write(apps() + QStringLiteral("/kde/sub.desktop"),
              "# comment\n[Desktop Entry]\nName=Sub\nIcon = " +
                  m_root.filePath(QStringLiteral("green.png")).toUtf8() + "\n");
        write(apps() + QStringLiteral("/org.example.Unknown.desktop"),
              "[Desktop Entry]\nIcon=velmora-test-no-such-icon\n");
        write(apps() + QStringLiteral("/org.example.ActionOnly.desktop"),
              "[Desktop Entry]\nName=A\n[Desktop Action new]\n" + iconLine + "\n");
        write(apps() + QStringLiteral("/org.example.Binary.desktop"),
              QByteArray("\x00\xff\xfe[Desktop\x00Entry]\x01Icon", 20));
    }

    void findsIconsByPathAlsoInSubfolders() {
        CapturingLogger logger;
        XdgAppIconSource source(logger, {apps()});
        for (const char* id : {"org.example.Path", "kde-sub"}) {
            const QImage icon = source.icon(QString::fromLatin1(id), 32);
            QVERIFY2(!icon.isNull(), id);
            QCOMPARE(icon.pixelColor(icon.width() / 2, icon.height() / 2), QColor(20, 180, 60));
        }
    }

    void answersNoIconForAnythingElse() {
        CapturingLogger logger;
        XdgAppIconSource source(logger, {apps()});
        for (const char* id :
             {"org.example.Missing", "org.example.Unknown", "org.example.ActionOnly",
              "org.example.Binary", "", "../applications/org.example.Path"})
            QVERIFY2(source.icon(QString::fromLatin1(id), 32).isNull(), id);
        // Only the entry that names an icon nobody has is worth a line.
        QCOMPARE(
            logger.lines,
            QStringList{QStringLiteral(
                "[Velmora] No icon \"velmora-test-no-such-icon\" found for org.example.Unknown")});
    }

private:
    QString apps() const { return m_root.filePath(QStringLiteral("applications")); }

    QTemporaryDir m_root;
};

QTEST_MAIN(XdgAppIconSourceTest)
#include "XdgAppIconSourceTest.moc"
