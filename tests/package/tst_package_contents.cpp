#include "HelpPage.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

// Unpacks the built .deb into a temporary root and reads it as dpkg would install it: the
// files, the dependencies, and whether the installed pieces point at each other.
namespace {

QString output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The value of `key=` in the [Desktop Entry] group.
QString desktopValue(const QString &path, const QString &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QString prefix = key + '=';
    for (const QString &line : QString::fromUtf8(file.readAll()).split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return {};
}

// The text of every `element` in an XML file.
QStringList xmlTexts(const QString &path, const QString &element)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList texts;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == element)
            texts.append(xml.readElementText());
    return texts;
}

QString xmlAttribute(const QString &path, const QString &element, const QString &attribute)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == element)
            return xml.attributes().value(attribute).toString();
    return {};
}

} // namespace

class TestPackageContents : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // The long lane's package has its dependencies worked out, in a folder of its own.
        const QDir folder(QStringLiteral(VELMIX_DEB_FOLDER) + (velmix::test::longLane() ? "-long" : ""));
        const QStringList packages = folder.entryList({"*.deb"}, QDir::Files);
        QCOMPARE(packages.size(), 1);
        m_package = folder.filePath(packages.first());
        QVERIFY(m_root.isValid());
        QCOMPARE(QProcess::execute("dpkg", {"-x", m_package, m_root.path()}), 0);
    }

    void installsExactlyTheseFiles()
    {
        const QString icons = "usr/share/icons/hicolor/%1/apps/" VELMIX_APP_ID ".png";
        QStringList expected = {
            "usr/bin/velmix",
            "usr/lib/velmix/velmix-window",
            "usr/lib/velmix/velmix-metadata.so",
            "usr/lib/velmix/velmix-notices.so",
            "usr/share/applications/" VELMIX_APP_ID ".desktop",
            "usr/share/doc/velmix/copyright",
            icons.arg("16x16"),
            icons.arg("32x32"),
            icons.arg("48x48"),
            icons.arg("256x256"),
            "usr/share/metainfo/" VELMIX_APP_ID ".metainfo.xml",
            "usr/share/velmix/help/help.html",
            "usr/share/man/man1/velmix.1.gz",
            "usr/share/bash-completion/completions/velmix",
            "usr/share/zsh/vendor-completions/_velmix",
            "usr/share/kio/servicemenus/" VELMIX_APP_ID ".desktop",
            "usr/share/nemo/actions/" VELMIX_APP_ID ".nemo_action",
            "usr/share/file-manager/actions/" VELMIX_APP_ID ".desktop",
        };
        QStringList files;
        QDirIterator it(m_root.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(QDir(m_root.path()).relativeFilePath(it.next()));
        files.sort();
        expected.sort();
        QCOMPARE(files, expected);
        QVERIFY(QFileInfo(rooted("usr/bin/velmix")).isExecutable());
        QVERIFY(QFileInfo(rooted("usr/lib/velmix/velmix-window")).isExecutable());
    }

    void controlFields()
    {
        QCOMPARE(field("Package"), QString("velmix"));
        QCOMPARE(field("Version"), QString(VELMIX_VERSION));
        QCOMPARE(field("Architecture"), output("dpkg", {"--print-architecture"}));
        QCOMPARE(field("Section"), QString("utils"));
        QVERIFY(!field("Description").isEmpty());
    }

    // Computed from the libraries the program links, each with the version it needs; and
    // Qt's translations, which it loads.
    void dependsOnTheLinkedLibraries_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<bool>("versioned");
        for (const char *package : {"libqt6widgets6", "libqt6gui6", "libqt6core6", "libqt6dbus6", "libexiv2-27",
                                    "libtag1v5", "libstdc++6", "libc6"})
            QTest::newRow(package) << QString(package) << true;
        QTest::newRow("Qt's Russian texts") << "qt6-translations-l10n" << false;
    }
    void dependsOnTheLinkedLibraries()
    {
        if (!velmix::test::longLane())
            QSKIP("make test packs without working out the dependencies; make test-long checks them");
        QFETCH(QString, package);
        QFETCH(bool, versioned);
        const QStringList depends = field("Depends").split(", ");
        const QRegularExpression named('^' + QRegularExpression::escape(package)
                                       + (versioned ? R"( \(>= [0-9][^)]*\)$)" : "$"));
        QVERIFY2(!depends.filter(named).isEmpty(), qPrintable(field("Depends")));
    }
    void dependsOnNoBuildPackages()
    {
        if (!velmix::test::longLane())
            QSKIP("make test packs without working out the dependencies; make test-long checks them");
        const QString depends = field("Depends");
        QVERIFY(!depends.isEmpty());
        QVERIFY2(!depends.contains("-dev"), qPrintable(depends));
        QCOMPARE(field("Recommends"), "fonts-freefont-ttf"); // the pictures of control characters
    }

    // The command line needs neither the window's libraries nor QtDBus nor the tag libraries,
    // which the window's program and the modules bring; none needs a search path of its own.
    void programsLinkTheirOwnLibraries_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("needs");
        QTest::addColumn<QString>("needsNot");
        QTest::newRow("command line") << "usr/bin/velmix" << "libQt6Core" << "libQt6Gui|libQt6Widgets|libQt6DBus|libexiv2|libtag|libheif";
        QTest::newRow("window") << "usr/lib/velmix/velmix-window" << "libQt6Widgets" << QString();
        QTest::newRow("metadata") << "usr/lib/velmix/velmix-metadata.so" << "libexiv2" << "libQt6Gui|libQt6Widgets";
        QTest::newRow("notices") << "usr/lib/velmix/velmix-notices.so" << "libQt6DBus" << "libQt6Gui|libQt6Widgets";
    }
    void programsLinkTheirOwnLibraries()
    {
        QFETCH(QString, file);
        QFETCH(QString, needs);
        QFETCH(QString, needsNot);
        const QString dynamicSection = output("readelf", {"--dynamic", rooted(file)});
        QVERIFY2(dynamicSection.contains(needs), qPrintable(dynamicSection));
        if (!needsNot.isEmpty())
            QVERIFY2(!dynamicSection.contains(QRegularExpression(needsNot)), qPrintable(dynamicSection));
        QVERIFY2(!dynamicSection.contains("RUNPATH") && !dynamicSection.contains("RPATH"), qPrintable(dynamicSection));
    }

    void programFindsItsInstalledHelpPage()
    {
        QCOMPARE(velmix::HelpPage::locate(rooted("usr/lib/velmix")), rooted("usr/share/velmix/help/help.html"));
    }

    // `man velmix` reads the page, and bash's completion loader finds the completion by
    // the program's name.
    void manPageAndCompletionsRead()
    {
        QProcess man;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("MANWIDTH", "200");
        environment.insert("LANG", "C.UTF-8");
        man.setProcessEnvironment(environment);
        man.start("man", {"-l", rooted("usr/share/man/man1/velmix.1.gz")});
        QVERIFY(man.waitForFinished());
        const QString page = QString::fromUtf8(man.readAllStandardOutput());
        QVERIFY2(page.contains("velmix - пакетное переименование") && page.contains("-n, --dry-run"), qPrintable(page));
        const QString loaded = output("bash", {"-c", "source \"$0\"; complete -p velmix",
                                               rooted("usr/share/bash-completion/completions/velmix")});
        QCOMPARE(loaded, QString("complete -F _velmix velmix"));
    }

    void desktopEntryNamesInstalledProgramAndIcons()
    {
        const QString entry = rooted("usr/share/applications/" VELMIX_APP_ID ".desktop");
        QCOMPARE(desktopValue(entry, "Name"), QString("Velmix"));
        // "Open with" hands it the selection, and it claims no file type: a folder's
        // default opener stays the file manager.
        QCOMPARE(desktopValue(entry, "Exec"), QString("velmix %F"));
        QVERIFY(desktopValue(entry, "MimeType").isEmpty());
        QVERIFY(QFileInfo(rooted("usr/bin/velmix")).isExecutable());
        const QString icon = desktopValue(entry, "Icon");
        for (const int size : {16, 32, 48, 256}) {
            const QString path = rooted(QString("usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(icon));
            QCOMPARE(QImage(path).size(), QSize(size, size));
        }
    }

    // Each file manager's context menu offers the program for folders and files alike.
    void fileManagerActions_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("filter"); // the line that lets folders and files in
        QTest::newRow("Dolphin") << "usr/share/kio/servicemenus/" VELMIX_APP_ID ".desktop" << "MimeType=all/all;";
        QTest::newRow("Nemo") << "usr/share/nemo/actions/" VELMIX_APP_ID ".nemo_action" << "Extensions=any;";
        QTest::newRow("Caja, PCManFM-Qt") << "usr/share/file-manager/actions/" VELMIX_APP_ID ".desktop"
                                          << "MimeTypes=all/all;";
    }
    void fileManagerActions()
    {
        QFETCH(QString, path);
        QFETCH(QString, filter);
        QFile file(rooted(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        for (const QString &line : {QString("Name[ru]=Переименовать в Velmix"), QString("Exec=velmix %F"), filter})
            QVERIFY2(lines.contains(line), qPrintable(path + ": " + line));
    }

    void metainfoMatchesPackage()
    {
        const QString metainfo = rooted("usr/share/metainfo/" VELMIX_APP_ID ".metainfo.xml");
        QCOMPARE(xmlTexts(metainfo, "id"), QStringList{VELMIX_APP_ID});
        QCOMPARE(xmlTexts(metainfo, "launchable"), QStringList{VELMIX_APP_ID ".desktop"});
        QCOMPARE(xmlTexts(metainfo, "binary"), QStringList{"velmix"});
        // The newest release comes first.
        QCOMPARE(xmlAttribute(metainfo, "release", "version"), field("Version"));
    }

private:
    QString rooted(const QString &path) const { return QDir(m_root.path()).filePath(path); }
    QString field(const QString &name) const { return output("dpkg-deb", {"--field", m_package, name}); }

    QString m_package;
    QTemporaryDir m_root;
};

QTEST_MAIN(TestPackageContents)
#include "tst_package_contents.moc"
