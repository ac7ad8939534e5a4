#include "SampleMedia.h"
#include "TempFolder.h"
#include "TestSupport.h"
#include "metadata/CameraName.h"
#include "metadata/DateChain.h"
#include "metadata/FolderMetadata.h"
#include "metadata/HeifBoxes.h"
#include "metadata/LibraryTagReader.h"
#include "metadata/OldTagText.h"
#include "preview/PreviewSession.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace velmix;

Q_DECLARE_METATYPE(DateSource)
Q_DECLARE_METATYPE(OldTagText)
Q_DECLARE_METATYPE(NumberingOrder)

namespace {

QDateTime at(const char *iso)
{
    const QDateTime written = QDateTime::fromString(QLatin1String(iso), Qt::ISODate);
    return wallClock(written.date(), written.time());
}

// Answers with set metadata by name, counts the files it reads, and can stop early as a
// cancel does.
class FakeSource : public MetadataSource
{
public:
    std::vector<std::optional<RowMetadata>> read(const NameColumn &names, const std::vector<quint32> &rows) override
    {
        namesGiven = names.size();
        std::vector<std::optional<RowMetadata>> result(rows.size());
        for (size_t i = 0; i < rows.size() && qsizetype(i) != cancelAfter; ++i, ++reads)
            result[i] = byName.value(names.at(rows[i]).toString());
        cancelAfter = -1;
        return result;
    }
    QHash<QString, RowMetadata> byName;
    qsizetype reads = 0;
    qsizetype namesGiven = 0; // in the last read
    qsizetype cancelAfter = -1;
};

struct Session
{
    explicit Session(const QStringList &names)
    {
        folders.set(QStringLiteral("/media/CARD/DCIM/100CANON"), nullptr, preview.listedFolders().folderOfName);
        preview.setRowFolders(&folders);
        preview.setMetadataSource(&source);
        preview.loadFileList(test::column(names));
    }
    void typeBaseName(const QString &text)
    {
        preview.setBaseName(text);
        preview.baseNameKeyReleased();
    }
    test::CountingBusyPointer busy;
    FakeSource source;
    ListingFolders folders;
    PreviewSession preview{busy};
    QStringList column(int which) const
    {
        QStringList cells;
        for (qsizetype row = 0; row < preview.table().fileCount(); ++row)
            cells.append(preview.table().text(row, which));
        return cells;
    }
};

// Russian letters as an old Windows player wrote them, one byte each.
QByteArray cp1251(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        if (c == u'ё' || c == u'Ё' || c == u'—')
            bytes += char(c == u'ё' ? 0xB8 : c == u'Ё' ? 0xA8 : 0x97);
        else
            bytes += c >= u'А' && c <= u'я' ? char(0xC0 + (c.unicode() - u'А')) : c.toLatin1();
    }
    return bytes;
}

// The tags of the only file `name` in a folder, as the names take them: "artist|title|album|track".
QString tagsOnDisk(TagReader &reader, const QString &name, const QByteArray &content)
{
    test::TempFolder dir;
    dir.createFile(QFile::encodeName(name), content);
    const std::optional<RowMetadata> row = FolderMetadata::readFiles(reader, dir.path(), test::column({name}), {0}, nullptr)[0];
    return row ? QStringList({row->artist, row->title, row->album, QString::number(row->track)}).join(u'|') : QString();
}

const QStringList threeFiles{"a.jpg", "b.mp3", "c.txt"};

void describeThreeFiles(FakeSource &source)
{
    source.byName["a.jpg"] = {at("2026-07-14T15:30:12"), DateSource::DateTimeOriginal, {}, {}, {}, 0, "Canon EOS 80D"};
    source.byName["b.mp3"] = {at("2025-01-02T08:00:00"), DateSource::ModificationTime, "AC/DC", "Back: In Black",
                              "Альбом", 3};
    source.byName["c.txt"] = {};
}

} // namespace

class TestMetadata : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dateChain_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QDateTime>("original");
        QTest::addColumn<QDateTime>("created");
        QTest::addColumn<QDateTime>("quickTime");
        QTest::addColumn<DateSource>("source");
        QTest::addColumn<QDateTime>("date");
        const QDateTime a = at("2026-07-14T10:00:00"), b = at("2026-07-14T11:00:00"), c = at("2026-07-14T12:00:00");
        QTest::newRow("DateTimeOriginal first") << "IMG_20250101_000000.jpg" << a << b << c << DateSource::DateTimeOriginal << a;
        QTest::newRow("CreateDate next") << "IMG_20250101_000000.jpg" << QDateTime() << b << c << DateSource::CreateDate << b;
        QTest::newRow("QuickTime next") << "IMG_20250101_000000.mov" << QDateTime() << QDateTime() << c << DateSource::QuickTime << c;
        QTest::newRow("compact name with time") << "IMG_20260714_153012.jpg" << QDateTime() << QDateTime() << QDateTime()
                                                << DateSource::FileName << at("2026-07-14T15:30:12");
        QTest::newRow("separated name") << "2026-07-14 море.jpg" << QDateTime() << QDateTime() << QDateTime()
                                        << DateSource::FileName << at("2026-07-14T00:00:00");
        QTest::newRow("dotted name with time") << "Снимок 2026.07.14 09.05.01.png" << QDateTime() << QDateTime()
                                               << QDateTime() << DateSource::FileName << at("2026-07-14T09:05:01");
        const QList<std::pair<const char *, const char *>> phones = {
            {"PXL_20260714_153012345.jpg", "2026-07-14T15:30:12"},
            {"WhatsApp Image 2026-07-14 at 15.30.12.jpeg", "2026-07-14T15:30:12"},
            {"signal-2026-07-14-153012.jpg", "2026-07-14T15:30:12"},
            {"Screenshot_2026-07-14-15-30-12.png", "2026-07-14T15:30:12"},
            {"VID_20260714_153012.mp4", "2026-07-14T15:30:12"},
            {"14.07.2026 море.jpg", "2026-07-14T00:00:00"},
            {"4-7-2026 15-30-12.jpg", "2026-07-04T15:30:12"},
            {"2026-7-4.jpg", "2026-07-04T00:00:00"},
            {"2026_7_14_25-61-00.jpg", "2026-07-14T00:00:00"}, // no such time: the date alone
            {"20260714153012.jpg", "2026-07-14T15:30:12"},
            {"IMG20260714153012.jpg", "2026-07-14T15:30:12"},
        };
        for (const auto &[name, date] : phones)
            QTest::newRow(name) << name << QDateTime() << QDateTime() << QDateTime() << DateSource::FileName << at(date);
        QTest::newRow("no such month") << "IMG_20261399_000000.jpg" << QDateTime() << QDateTime() << QDateTime()
                                       << DateSource::ModificationTime << a;
        QTest::newRow("digits around") << "x120260714.jpg" << QDateTime() << QDateTime() << QDateTime()
                                       << DateSource::ModificationTime << a;
        QTest::newRow("no such day, Russian order") << "31.06.2026.jpg" << QDateTime() << QDateTime() << QDateTime()
                                                    << DateSource::ModificationTime << a;
        QTest::newRow("mixed separators") << "2026-7.14.jpg" << QDateTime() << QDateTime() << QDateTime()
                                          << DateSource::ModificationTime << a;
        QTest::newRow("a version, not a year") << "v1.2.3456.txt" << QDateTime() << QDateTime() << QDateTime()
                                               << DateSource::ModificationTime << a;
    }
    void dateChain()
    {
        QFETCH(QString, name);
        QFETCH(QDateTime, original);
        QFETCH(QDateTime, created);
        QFETCH(QDateTime, quickTime);
        QFETCH(DateSource, source);
        QFETCH(QDateTime, date);
        MediaTags tags;
        tags.dateTimeOriginal = original;
        tags.createDate = created;
        tags.quickTimeCreated = quickTime;
        const RowMetadata row = rowMetadata(tags, name, at("2026-07-14T10:00:00"));
        QCOMPARE(row.source, source);
        QCOMPARE(row.date, date);
        QCOMPARE(rowMetadata(tags, name, {}).source == DateSource::None, source == DateSource::ModificationTime);
    }

    // Typing the base name ticks numbering unless it keeps the names or is made of tag
    // fields alone; a click then unticks it, unless {n} holds the number.
    void fields_data()
    {
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<bool>("ticks");
        QTest::addColumn<bool>("click");
        QTest::addColumn<QStringList>("newNames");
        QTest::addColumn<NameMark>("mark");
        QTest::newRow("dash") << "-" << false << false << threeFiles << NameMark::None;
        QTest::newRow("no braces") << "Отпуск" << true << false << QStringList{"Отпуск1.jpg", "Отпуск2.mp3", "Отпуск3.txt"}
                                   << NameMark::None;
        QTest::newRow("date") << "{дата} Отпуск " << true << false
                              << QStringList{"2026-07-14 Отпуск 1.jpg", "2025-01-02 Отпуск 2.mp3", " Отпуск 3.txt"}
                              << NameMark::None;
        QTest::newRow("time and parts") << "{время}_{год}{месяц}{день}" << true << true
                                        << QStringList{"15-30-12_20260714.jpg", "08-00-00_20250102.mp3", "_.txt"}
                                        << NameMark::None;
        QTest::newRow("own format, never a colon") << "{дата:yyyyMMdd HH:mm}" << true << true
                                                   << QStringList{"20260714 15-30.jpg", "20250102 08-00.mp3", ".txt"}
                                                   << NameMark::None;
        QTest::newRow("tags alone made safe") << "{исполнитель} - {название} {номер_трека} {Альбом}" << false << false
                                              << QStringList{" -   .jpg", "AC-DC - Back- In Black 03 Альбом.mp3", " -   .txt"}
                                              << NameMark::None;
        QTest::newRow("a tag and a word") << "{исполнитель} live" << true << true
                                          << QStringList{" live.jpg", "AC-DC live.mp3", " live.txt"} << NameMark::None;
        QTest::newRow("unknown field as typed") << "{объектив} {дата}" << true << true
                                                << QStringList{"{объектив} 2026-07-14.jpg", "{объектив} 2025-01-02.mp3",
                                                               "{объектив} .txt"}
                                                << NameMark::FieldAsTyped;
        QTest::newRow("camera and folder, numbered") << "{папка}_{камера}_" << true << false
                                                     << QStringList{"100CANON_Canon EOS 80D_1.jpg", "100CANON__2.mp3",
                                                                    "100CANON__3.txt"}
                                                     << NameMark::None;
        QTest::newRow("number where typed, held") << "Отпуск {n:3} {дата}" << true << true
                                                  << QStringList{"Отпуск 001 2026-07-14.jpg", "Отпуск 002 2025-01-02.mp3",
                                                                 "Отпуск 003 .txt"}
                                                  << NameMark::None;
        QTest::newRow("number and tags") << "{N}. {исполнитель}" << true << false
                                         << QStringList{"1. .jpg", "2. AC-DC.mp3", "3. .txt"} << NameMark::None;
        QTest::newRow("bad widths as typed, number at the end")
            << "{год}{n:0}{n:abc}{n:99}" << true << false
            << QStringList{"2026{n:0}{n:abc}{n:99}1.jpg", "2025{n:0}{n:abc}{n:99}2.mp3", "{n:0}{n:abc}{n:99}3.txt"}
            << NameMark::FieldAsTyped;
    }
    void fields()
    {
        QFETCH(QString, baseName);
        QFETCH(bool, ticks);
        QFETCH(bool, click);
        QFETCH(QStringList, newNames);
        QFETCH(NameMark, mark);
        Session session(threeFiles);
        describeThreeFiles(session.source);
        session.typeBaseName(baseName);
        QCOMPARE(session.preview.isTicked(Toggle::Numbering), ticks);
        if (click)
            session.preview.ToggleOption(Toggle::Numbering);
        QCOMPARE(session.preview.isTicked(Toggle::Numbering), ticks && !(click && !baseName.contains(u"{n")));
        QCOMPARE(session.column(FileNameTable::NewName), newNames);
        QCOMPARE(session.preview.table().mark(0), mark);
        QCOMPARE(session.source.reads, baseName.contains(u'{') ? 3 : 0);
        // Where the date came from, only where a date field is used.
        const bool dated = baseName.contains(QRegularExpression(QStringLiteral("\\{(дата|время|год|месяц|день)")));
        QCOMPARE(session.preview.table().dateNote(0).isEmpty(), !dated);
        QCOMPARE(session.preview.table().datedByFileTime(1), dated);
        NamingOptions stored = session.preview.options(); // a rule set or the command line: the same tick
        stored.Numbering = false;
        session.preview.setSettings(stored, {});
        QCOMPARE(session.preview.isTicked(Toggle::Numbering), ticks);
    }

    // The inserted text's fields take each row's tags and number; {n} there leaves the
    // end without a number, and an unknown field marks the rows.
    void insertedFields()
    {
        Session session(threeFiles);
        describeThreeFiles(session.source);
        NameRules rules;
        rules.insertText = "{исполнитель}_{n:2}_";
        session.preview.setNameRules(rules);
        session.typeBaseName("x");
        QVERIFY(session.preview.isTicked(Toggle::Numbering));
        QCOMPARE(session.column(FileNameTable::NewName), QStringList({"_01_x.jpg", "AC-DC_02_x.mp3", "_03_x.txt"}));
        QCOMPARE(session.source.reads, 3);
        rules.insertText = "{объектив}";
        session.preview.setNameRules(rules);
        QCOMPARE(session.column(FileNameTable::NewName), QStringList({"{объектив}x1.jpg", "{объектив}x2.mp3", "{объектив}x3.txt"}));
        QCOMPARE(session.preview.table().mark(1), NameMark::FieldAsTyped);
    }

    // The folder's name needs nothing read.
    void folderFieldReadsNothing()
    {
        Session session(threeFiles);
        session.typeBaseName("{папка} ");
        QCOMPARE(session.column(FileNameTable::NewName),
                 QStringList({"100CANON 1.jpg", "100CANON 2.mp3", "100CANON 3.txt"}));
        QCOMPARE(session.source.reads, 0);
        QCOMPARE(session.preview.table().mark(0), NameMark::None);
    }

    void cameraName_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("camera");
        QTest::newRow("make repeated") << "Canon" << "Canon EOS 80D" << "Canon EOS 80D";
        QTest::newRow("company's words") << "NIKON CORPORATION" << "NIKON D750" << "NIKON D750";
        QTest::newRow("make before model") << "Apple" << "iPhone 15 Pro" << "Apple iPhone 15 Pro";
        QTest::newRow("padding and runs of blanks") << "  SONY\u0000\u0000 " << "ILCE-7M3   " << "SONY ILCE-7M3";
        QTest::newRow("company words left out") << "OLYMPUS IMAGING CORP." << "E-M10MarkII" << "OLYMPUS E-M10MarkII";
        QTest::newRow("second word repeated") << "EASTMAN KODAK COMPANY" << "KODAK EASYSHARE C875" << "KODAK EASYSHARE C875";
        QTest::newRow("make joined to the model") << "SAMSUNG" << "SAMSUNG-SM-G900A" << "SAMSUNG-SM-G900A";
        QTest::newRow("another case") << "samsung" << "Samsung Galaxy S23" << "Samsung Galaxy S23";
        QTest::newRow("a word that begins alike") << "Canon" << "Canonet QL17" << "Canon Canonet QL17";
        QTest::newRow("another brand in the model") << "RICOH IMAGING COMPANY, LTD." << "PENTAX K-1" << "RICOH PENTAX K-1";
        QTest::newRow("model alone") << "" << " X-T3" << "X-T3";
        QTest::newRow("make alone") << "FUJIFILM" << "" << "FUJIFILM";
        QTest::newRow("company words alone") << "Camera Co." << "Z1" << "Camera Co Z1";
        QTest::newRow("neither") << " " << "" << "";
    }
    void cameraName()
    {
        QFETCH(QString, make);
        QFETCH(QString, model);
        QFETCH(QString, camera);
        QCOMPARE(velmix::cameraName(make, model), camera);
    }

    // Two cameras whose clocks disagree interleave once the one behind is shifted; its rows
    // tell the shift in their date's note; a shift of its own wins over the one for all;
    // a menu's question about one row reads that file alone.
    void shiftedCameraInterleaves()
    {
        Session session({"A1.jpg", "A2.jpg", "B1.jpg", "B2.jpg"});
        const auto photo = [](const char *date, const char *camera) {
            return RowMetadata{at(date), DateSource::DateTimeOriginal, {}, {}, {}, 0, camera};
        };
        session.source.byName["A1.jpg"] = photo("2026-07-14T10:00:00", "Canon EOS 80D");
        session.source.byName["A2.jpg"] = photo("2026-07-14T12:00:00", "Canon EOS 80D");
        session.source.byName["B1.jpg"] = photo("2026-07-14T09:30:00", "NIKON D750"); // an hour behind
        session.source.byName["B2.jpg"] = photo("2026-07-14T23:30:00", "NIKON D750");
        QCOMPARE(session.preview.cameraAt(2), "NIKON D750");
        QCOMPARE(session.source.reads, 1);
        QCOMPARE(session.source.namesGiven, 1);
        session.typeBaseName("{время} ");
        session.preview.setNumberingOrder(NumberingOrder::ByDateTaken);
        QCOMPARE(session.column(FileNameTable::CurrentName), QStringList({"B1.jpg", "A1.jpg", "A2.jpg", "B2.jpg"}));
        session.preview.setDateShift("nikon d750", 60);
        QCOMPARE(session.column(FileNameTable::CurrentName), QStringList({"A1.jpg", "B1.jpg", "A2.jpg", "B2.jpg"}));
        QCOMPARE(session.column(FileNameTable::NewName),
                 QStringList({"10-00-00 1.jpg", "10-30-00 2.jpg", "12-00-00 3.jpg", "00-30-00 4.jpg"}));
        QCOMPARE(session.preview.table().dateNote(1), "Дата 2026-07-14 10:30:00 — EXIF, дата съёмки (DateTimeOriginal); "
                                                      "снято 09:30, сдвиг +01:00 → 10:30");
        QVERIFY(session.preview.table().dateNote(3).endsWith(u"снято 14.07 23:30, сдвиг +01:00 → 15.07 00:30"));
        QVERIFY(!session.preview.table().dateNote(0).contains(u"сдвиг"));
        session.preview.setDateShift({}, -90); // every other camera
        QCOMPARE(session.column(FileNameTable::NewName).mid(0, 2), QStringList({"08-30-00 1.jpg", "10-30-00 2.jpg"}));
        NamingOptions unshifted = session.preview.options();
        unshifted.Shifts = {};
        session.preview.setSettings(unshifted, {});
        QCOMPARE(session.column(FileNameTable::CurrentName), QStringList({"B1.jpg", "A1.jpg", "A2.jpg", "B2.jpg"}));
        QCOMPARE(session.source.reads, 4);
    }

    void readOncePerListingAndAfterCancel()
    {
        Session session(threeFiles);
        describeThreeFiles(session.source);
        session.source.cancelAfter = 1;
        session.typeBaseName("{год}");
        QCOMPARE(session.column(FileNameTable::NewName), QStringList({"20261.jpg", "{год}2.mp3", "{год}3.txt"}));
        QCOMPARE(session.preview.table().mark(1), NameMark::FieldAsTyped);
        QVERIFY(session.preview.table().markReason(1).contains(u"не прочитаны"));
        session.preview.ToggleOption(Toggle::UpperCase); // reads the two left
        QCOMPARE(session.preview.table().mark(1), NameMark::None);
        QVERIFY(session.preview.table().datedByFileTime(1));
        session.preview.setNumberingOrder(NumberingOrder::ByDateTaken);
        session.preview.RebuildNewNames();
        QCOMPARE(session.source.reads, 3);
        session.preview.loadFileList(test::column(threeFiles)); // a new listing reads again
        session.preview.RebuildNewNames();
        QCOMPARE(session.source.reads, 6);
        session.source.byName["b.mp3"].artist = "Ария"; // as another reading of its old tags gives
        session.typeBaseName("{исполнитель}");
        session.preview.setNumberingOrder(NumberingOrder::ByDateTaken);
        session.preview.rereadMetadata(); // read again, in the order they need
        QCOMPARE(session.source.reads, 9);
        QCOMPARE(session.preview.options().Order, NumberingOrder::ByDateTaken);
        // The oldest first, in capitals; the tick "{год}" made went with the tags alone.
        QCOMPARE(session.column(FileNameTable::NewName).at(0), "АРИЯ.MP3");
    }

    void numbersInDateOrder()
    {
        // Two cameras whose clocks differ; ties keep the order by name, undated rows go last.
        Session session({"A1.jpg", "A2.jpg", "B1.jpg", "B2.jpg", "C.jpg"});
        session.source.byName["A1.jpg"] = {at("2026-07-14T10:00:00"), DateSource::DateTimeOriginal, {}, {}, {}, 0};
        session.source.byName["A2.jpg"] = {at("2026-07-14T12:00:00"), DateSource::DateTimeOriginal, {}, {}, {}, 0};
        session.source.byName["B1.jpg"] = {};
        session.source.byName["B2.jpg"] = {at("2026-07-14T11:00:00"), DateSource::FileName, {}, {}, {}, 0};
        session.source.byName["C.jpg"] = {at("2026-07-14T10:00:00"), DateSource::ModificationTime, {}, {}, {}, 0};
        session.typeBaseName("Отпуск ");
        session.preview.setNumberingOrder(NumberingOrder::ByDateTaken);
        QCOMPARE(session.preview.options().Order, NumberingOrder::ByDateTaken);
        QCOMPARE(session.column(FileNameTable::CurrentName), QStringList({"A1.jpg", "C.jpg", "B2.jpg", "A2.jpg", "B1.jpg"}));
        QCOMPARE(session.column(FileNameTable::NewName).at(1), "Отпуск 2.jpg");
        QVERIFY(session.preview.table().datedByFileTime(1));
        // The date column: latest first, ties as shown, undated last; numbered as shown, and
        // shown while the rows keep an order the dates gave, whatever column sorts them next.
        QVERIFY(session.preview.table().showsDates());
        session.preview.sortRows(FileNameTable::DateTaken, true);
        QCOMPARE(session.preview.options().Order, NumberingOrder::AsShown);
        QCOMPARE(session.column(FileNameTable::CurrentName), QStringList({"A2.jpg", "B2.jpg", "A1.jpg", "C.jpg", "B1.jpg"}));
        QCOMPARE(session.column(FileNameTable::DateTaken),
                 QStringList({"2026-07-14 12:00:00", "2026-07-14 11:00:00", "2026-07-14 10:00:00", "2026-07-14 10:00:00", ""}));
        QCOMPARE(session.column(FileNameTable::NewName).at(0), "Отпуск 1.jpg");
        session.preview.sortRows(FileNameTable::CurrentName, false);
        QVERIFY(session.preview.table().showsDates());
        session.preview.setNumberingOrder(NumberingOrder::ByName);
        QVERIFY(!session.preview.table().showsDates());
        QCOMPARE(session.column(FileNameTable::CurrentName), QStringList({"A1.jpg", "A2.jpg", "B1.jpg", "B2.jpg", "C.jpg"}));
        QCOMPARE(session.column(FileNameTable::NewName).at(1), "Отпуск 2.jpg");
        session.typeBaseName("{время} ");
        QCOMPARE(session.column(FileNameTable::DateTaken).at(1), "2026-07-14 12:00:00");
        QCOMPARE(session.source.reads, 5);
    }

    // The orders by what the file system tells, and by name from the end; ties keep the
    // order by name, files not read go last, and only the first two read the files.
    void fileOrders_data()
    {
        QTest::addColumn<NumberingOrder>("order");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("reads");
        QTest::newRow("size") << NumberingOrder::BySize << QStringList{"b.jpg", "d.jpg", "a.jpg", "c.jpg"} << 4;
        QTest::newRow("mtime") << NumberingOrder::ByModified << QStringList{"d.jpg", "b.jpg", "a.jpg", "c.jpg"} << 4;
        QTest::newRow("reverse-name") << NumberingOrder::ByReverseName << QStringList{"d.jpg", "c.jpg", "b.jpg", "a.jpg"}
                                      << 0;
    }
    void fileOrders()
    {
        QFETCH(NumberingOrder, order);
        QFETCH(QStringList, shown);
        QFETCH(int, reads);
        Session session({"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
        const auto file = [](qint64 size, const char *modified) {
            RowMetadata row;
            row.size = size;
            row.modified = at(modified);
            return row;
        };
        session.source.byName["a.jpg"] = file(300, "2026-07-14T12:00:00");
        session.source.byName["b.jpg"] = file(100, "2026-07-14T09:00:00");
        session.source.byName["c.jpg"] = {};
        session.source.byName["d.jpg"] = file(100, "2026-07-14T08:00:00");
        session.typeBaseName("x");
        session.preview.setNumberingOrder(order);
        QCOMPARE(session.preview.options().Order, order);
        QCOMPARE(session.column(FileNameTable::CurrentName), shown);
        QCOMPARE(session.column(FileNameTable::NewName).at(0), "x1.jpg");
        QCOMPARE(session.source.reads, reads);
    }

    // Files that go together: one stem for all, each its own extension, one number, the
    // date of the member dated best; a member refused holds its group. Rows following
    // their group's first are indented; a reason follows in brackets.
    void pairs_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("caseBlind");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<NumberingOrder>("order");
        QTest::addColumn<QStringList>("hands"); // "row:name"
        QTest::addColumn<bool>("numberTaken"); // a taken name gets a free number
        QTest::addColumn<QStringList>("rows");
        const QStringList card{"a.jpg", "IMG_1.CR2", "IMG_1.JPG", "IMG_1.xmp"};
        const auto byName = NumberingOrder::ByName;
        QTest::newRow("raw, picture and sidecar count once")
            << card << false << "Trip_" << byName << QStringList{} << false
            << QStringList{"a.jpg → Trip_1.jpg", "IMG_1.CR2 → Trip_2.CR2", "  IMG_1.JPG → Trip_2.JPG",
                           "  IMG_1.xmp → Trip_2.xmp"};
        QTest::newRow("the raw's date names the group")
            << card.mid(1) << false << "{время} " << byName << QStringList{} << false
            << QStringList{"IMG_1.CR2 → 10-00-00 1.CR2", "  IMG_1.JPG → 10-00-00 1.JPG", "  IMG_1.xmp → 10-00-00 1.xmp"};
        QTest::newRow("Live Photo and raw by their best dates")
            << QStringList{"a.jpg", "IMG_1.CR2", "IMG_1.JPG", "IMG_2.AAE", "IMG_2.HEIC", "IMG_2.MOV"} << false << "T"
            << NumberingOrder::ByDateTaken << QStringList{} << false
            << QStringList{"IMG_2.AAE → T1.AAE", "  IMG_2.HEIC → T1.HEIC", "  IMG_2.MOV → T1.MOV", "IMG_1.CR2 → T2.CR2",
                           "  IMG_1.JPG → T2.JPG", "a.jpg → T3.jpg"};
        QTest::newRow("film and subtitles; a raw's stem shared by a film stays apart")
            << QStringList{"IMG_1.CR2", "IMG_1.MOV", "MVI_3.MP4", "MVI_3.srt"} << false << "T" << byName << QStringList{} << false
            << QStringList{"IMG_1.CR2 → T1.CR2", "IMG_1.MOV → T2.MOV", "MVI_3.MP4 → T3.MP4", "  MVI_3.srt → T3.srt"};
        QTest::newRow("extensions in any case, stems exactly")
            << QStringList{"img_4.cr2", "img_4.Jpeg", "IMG_4.jpg"} << false << "T" << byName << QStringList{} << false
            << QStringList{"img_4.cr2 → T1.cr2", "  img_4.Jpeg → T1.Jpeg", "IMG_4.jpg → T2.jpg"};
        QTest::newRow("stems in any case where the medium ignores it")
            << QStringList{"img_4.cr2", "img_4.Jpeg", "IMG_4.jpg"} << true << "T" << byName << QStringList{} << false
            << QStringList{"img_4.cr2 → T1.cr2", "  img_4.Jpeg → T1.Jpeg", "  IMG_4.jpg → T1.jpg"};
        QTest::newRow("the first's hand name carries") << card.mid(0, 3) << false << "-" << byName
                                                        << QStringList{"1:Утро.cr2"} << false
                                                        << QStringList{"a.jpg → a.jpg", "IMG_1.CR2 → Утро.cr2",
                                                                       "  IMG_1.JPG → Утро.JPG"};
        QTest::newRow("a member's hand name carries") << card.mid(0, 3) << false << "-" << byName
                                                       << QStringList{"2:Вечер.jpg"} << false
                                                       << QStringList{"a.jpg → a.jpg", "IMG_1.CR2 → Вечер.CR2",
                                                                      "  IMG_1.JPG → Вечер.jpg"};
        QTest::newRow("a refused member holds its group")
            << card.mid(0, 3) << false << "-" << byName << QStringList{"0:Trip.JPG", "1:Trip.CR2"} << false
            << QStringList{"a.jpg → Trip.JPG", "IMG_1.CR2 → Trip.CR2 [связанный файл не переименован]",
                           "  IMG_1.JPG → Trip.JPG [это имя получает другой файл]"};
        // "Trip (2).JPG" is free, "Trip (2).CR2" is not: the group takes a number free for both.
        QTest::newRow("a taken name numbers its whole group")
            << QStringList{"a.jpg", "IMG_1.CR2", "IMG_1.JPG", "Trip (2).CR2"} << false << "-" << byName
            << QStringList{"0:Trip.JPG", "1:Trip.CR2"} << true
            << QStringList{"a.jpg → Trip.JPG", "IMG_1.CR2 → Trip (3).CR2 [имя занято — добавлен номер]",
                           "  IMG_1.JPG → Trip (3).JPG [имя занято — добавлен номер]", "Trip (2).CR2 → Trip (2).CR2"};
        QTest::newRow("a member refused stays so, whatever its partners held free")
            << card.mid(1) << false << "-" << byName << QStringList{"2:X.CR2"} << false
            << QStringList{"IMG_1.CR2 → X.CR2 [связанный файл не переименован]",
                           "  IMG_1.JPG → X.JPG [связанный файл не переименован]",
                           "  IMG_1.xmp → X.CR2 [это имя получает другой файл]"};
    }
    void pairs()
    {
        QFETCH(QStringList, names);
        QFETCH(bool, caseBlind);
        QFETCH(QString, baseName);
        QFETCH(NumberingOrder, order);
        QFETCH(QStringList, hands);
        QFETCH(bool, numberTaken);
        QFETCH(QStringList, rows);
        Session session(names);
        const auto dated = [](const char *date, DateSource source) {
            return RowMetadata{at(date), source, {}, {}, {}, 0};
        };
        session.source.byName["IMG_1.CR2"] = dated("2026-07-14T10:00:00", DateSource::DateTimeOriginal);
        session.source.byName["IMG_1.JPG"] = dated("2026-07-14T12:00:00", DateSource::ModificationTime);
        session.source.byName["IMG_2.HEIC"] = dated("2026-07-13T09:00:00", DateSource::CreateDate);
        session.source.byName["IMG_2.MOV"] = dated("2026-07-13T09:00:05", DateSource::QuickTime);
        session.source.byName["IMG_2.AAE"] = dated("2026-08-01T00:00:00", DateSource::ModificationTime);
        session.source.byName["a.jpg"] = dated("2026-07-14T11:00:00", DateSource::DateTimeOriginal);
        FolderRules rules;
        rules.ignoresCase = caseBlind;
        session.preview.loadFileList(test::column(names), rules);
        const QStringList alone = session.column(FileNameTable::CurrentName);
        session.preview.setPairs(true);
        session.typeBaseName(baseName);
        session.preview.setNumberingOrder(order);
        if (numberTaken) {
            NameRules numbered = session.preview.nameRules();
            numbered.conflicts = {ConflictRule::AddNumber, {}};
            session.preview.setNameRules(numbered);
        }
        for (const QString &hand : std::as_const(hands))
            session.preview.setHandName(hand.section(u':', 0, 0).toInt(), hand.section(u':', 1));
        const FileNameTable &table = session.preview.table();
        QStringList shown;
        for (qsizetype row = 0; row < table.fileCount(); ++row) {
            QString line = (table.groupLead(row) != row ? QStringLiteral("  ") : QString()) + table.text(row, 0)
                           + QStringLiteral(" → ") + table.text(row, 1);
            if (table.mark(row) != NameMark::None)
                line += QStringLiteral(" [") + table.markReason(row) + u']';
            shown.append(line);
            QCOMPARE(table.groupSize(row) > 1, row + 1 < table.fileCount() && table.groupLead(row + 1) == row);
        }
        QCOMPARE(shown, rows);
        // Off again, each file is a row of its own in the listing's order.
        session.preview.setNumberingOrder(NumberingOrder::ByName);
        session.preview.setPairs(false);
        QCOMPARE(session.column(FileNameTable::CurrentName), alone);
        QVERIFY(table.groupLeads().empty());
    }

    void oldTagText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<OldTagText>("choice");
        QTest::addColumn<QString>("text");
        const auto detect = OldTagText::Detect;
        QTest::newRow("Russian words") << cp1251("Ночные Снайперы — Ёж") << detect << "Ночные Снайперы — Ёж";
        QTest::newRow("Latin and Russian words") << cp1251("DJ Грув feat. Би-2") << detect << "DJ Грув feat. Би-2";
        QTest::newRow("a lone Russian letter") << cp1251("Я") << detect << "Я";
        QTest::newRow("accents among plain letters") << QByteArray("Beyonc\xE9 \xE0 Paris") << detect << "Beyoncé à Paris";
        QTest::newRow("plain ASCII") << QByteArray("Track 01") << detect << "Track 01";
        QTest::newRow("forced cp1251") << QByteArray("Beyonc\xE9") << OldTagText::Cp1251 << "Beyoncй";
        QTest::newRow("forced Latin-1") << cp1251("Сплин") << OldTagText::Latin1 << "Ñïëèí";
    }
    void oldTagText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(OldTagText, choice);
        QFETCH(QString, text);
        QCOMPARE(velmix::oldTagText(bytes, choice), text);
    }

    // The choice reaches TagLib's reading of both old kinds of tag, file after file.
    void oldTagChoiceOverrides()
    {
        const QByteArray v1 = test::withId3v1(test::mp3WithLatin1Frames({}, {}), cp1251("Сплин"), "Mot\xF6rhead", 2);
        const QByteArray v2 = test::mp3WithLatin1Frames(cp1251("Сплин"), "Mot\xF6rhead");
        const std::unique_ptr<TagReader> reader = makeLibraryTagReader();
        reader->setOldTagText(OldTagText::Latin1);
        QCOMPARE(tagsOnDisk(*reader, "1.mp3", v1), "Ñïëèí|Motörhead||2");
        QCOMPARE(tagsOnDisk(*reader, "2.mp3", v2), "Ñïëèí|Motörhead||0");
        reader->setOldTagText(OldTagText::Cp1251);
        QCOMPARE(tagsOnDisk(*reader, "1.mp3", v1), "Сплин|Motцrhead||2");
        reader->setOldTagText(OldTagText::Detect);
        QCOMPARE(tagsOnDisk(*reader, "2.mp3", v2), "Сплин|Motörhead||0");
    }

    // The usual layout is walked by hand; any other is left to libheif.
    void heifExifRange_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("found");
        const QByteArray usual = test::heifWithExif("2026:07:14 15:30:12", false, false);
        QTest::newRow("HEIC") << usual << true;
        QTest::newRow("AVIF") << test::heifWithExif("2026:07:14 15:30:12", true, false) << true;
        QTest::newRow("EXIF in two extents") << test::heifWithExif("2026:07:14 15:30:12") << false;
        QTest::newRow("no EXIF") << test::heifWithExif({}) << false;
        QTest::newRow("meta cut short") << usual.left(usual.indexOf("iloc")) << false;
        QTest::newRow("JPEG") << test::jpegWithExif("2026:07:14 15:30:12") << false;
        QTest::newRow("a box of 2^64 - 1 bytes") << QByteArray("\0\0\0\1meta\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 16) << false;
    }
    void heifExifRange()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, found);
        QVERIFY(!file.isEmpty());
        const std::optional<FileRange> range = velmix::heifExifRange(file);
        QCOMPARE(range.has_value(), found);
        if (found) // where its TIFF header is, then the header
            QCOMPARE(file.mid(qsizetype(range->offset), 6), QByteArray("\0\0\0\0II", 6));
    }

    void filesOnDisk_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<DateSource>("source");
        QTest::addColumn<QString>("expected"); // the date, or the tags joined by "|"
        const QByteArray exif = test::jpegWithExif("2026:07:14 15:30:12", "2026:07:14 15:31:00", {}, {}, QStringLiteral("25"));
        const QString fileTime = "2020-05-06T07:08:09";
        QTest::newRow("EXIF original") << "P1.jpg" << exif << DateSource::DateTimeOriginal << "2026-07-14T15:30:12";
        QTest::newRow("EXIF create date") << "P2.JPG" << test::jpegWithExif({}, "2026:07:14 15:31:00")
                                          << DateSource::CreateDate << "2026-07-14T15:31:00";
        QTest::newRow("no EXIF, date in name") << "IMG_20260714_101010.jpg" << test::jpegWithExif({})
                                               << DateSource::FileName << "2026-07-14T10:10:10";
        QTest::newRow("truncated JPEG") << "P3.jpg" << exif.left(40) << DateSource::ModificationTime << fileTime;
        QTest::newRow("random bytes") << "P4.jpg" << QByteArray("\x13\x37\xFF\xD8 not a picture", 18)
                                      << DateSource::ModificationTime << fileTime;
        QTest::newRow("empty") << "P5.jpg" << QByteArray() << DateSource::ModificationTime << fileTime;
        QTest::newRow("movie header") << "V1.mp4" << test::mp4CreatedAt(3867386400u) // 2026-07-20 10:00:00 UTC
                                      << DateSource::QuickTime
                                      << QDateTime(QDate(2026, 7, 20), QTime(10, 0), Qt::UTC).toLocalTime().toString(u"yyyy-MM-ddTHH:mm:ss");
        const QByteArray heic = test::heifWithExif("2026:07:14 15:30:12"), avif = test::heifWithExif("2026:07:15 06:00:00", true);
        QVERIFY2(!heic.isEmpty() && !avif.isEmpty(), "libheif has no encoder to make the samples");
        QTest::newRow("HEIC as libheif writes it") << "IMG_0002.heic" << test::heifWithExif("2026:07:14 15:30:13", false, false)
                                                   << DateSource::DateTimeOriginal << "2026-07-14T15:30:13";
        QTest::newRow("HEIC, EXIF through libheif") << "IMG_0001.HEIC" << heic
                                                    << DateSource::DateTimeOriginal << "2026-07-14T15:30:12";
        const QByteArray freeBox = QByteArray("\0\1\x11\x78" "free", 8) + QByteArray(70000, '\0'); // past the 64 KiB head
        QTest::newRow("large HEIC, read from the file") << "P8.heif" << heic + freeBox << DateSource::DateTimeOriginal
                                                        << "2026-07-14T15:30:12";
        QTest::newRow("AVIF") << "P6.avif" << avif << DateSource::DateTimeOriginal
                              << "2026-07-15T06:00:00";
        QTest::newRow("HEIC with CreateDate alone") << "P9.heic" << test::heifWithExif({}, false, true, "2026:07:14 15:31:00")
                                                   << DateSource::CreateDate << "2026-07-14T15:31:00";
        QTest::newRow("HEIC without EXIF, date in name") << "IMG_20260714_101010.heic" << test::heifWithExif({})
                                                         << DateSource::FileName << "2026-07-14T10:10:10";
        QTest::newRow("HEIC cut short") << "P7.heic" << heic.left(300)
                                        << DateSource::ModificationTime << fileTime;
        QTest::newRow("huge sparse movie") << "V2.mov" << QByteArray("sparse") << DateSource::ModificationTime << fileTime;
        QTest::newRow("ID3v2") << "song.mp3" << test::mp3WithTags("Исполнитель", "Песня", "Альбом", 7)
                               << DateSource::ModificationTime << "Исполнитель|Песня|Альбом|7";
        QTest::newRow("ID3v2.4, two artists") << "duo.mp3" << test::mp3WithTags(QString("Группа") + QChar(0) + "Гость", "Пьеса", "Диск", 0)
                                              << DateSource::ModificationTime << "Группа, Гость|Пьеса|Диск|0";
        QTest::newRow("FLAC, two artists") << "song.flac" << test::flacWithTags({"Группа", "Гость"}, "Пьеса", "Диск", 12)
                                           << DateSource::ModificationTime << "Группа, Гость|Пьеса|Диск|12";
        QTest::newRow("ID3v1 in cp1251") << "old.mp3"
                                         << test::withId3v1(test::mp3WithLatin1Frames({}, {}), cp1251("Сплин"),
                                                            cp1251("Выхода нет"), 3)
                                         << DateSource::ModificationTime << "Сплин|Выхода нет||3";
        QTest::newRow("ID3v2.3 Latin-1 frames in cp1251")
            << "old.mp3" << test::mp3WithLatin1Frames(cp1251("Кино"), cp1251("Ёлка и Звезда"))
            << DateSource::ModificationTime << "Кино|Ёлка и Звезда||0";
        QTest::newRow("Latin-1 frames in Latin-1") << "old.mp3" << test::mp3WithLatin1Frames("Mot\xF6rhead", "Sigur R\xF3s")
                                                   << DateSource::ModificationTime << "Motörhead|Sigur Rós||0";
        QTest::newRow("ID3v2 wins, a stale ID3v1 fills nothing")
            << "both.mp3" << test::withId3v1(test::mp3WithTags("Ария", "Ангел", "Альбом", 0), "Old", "Stale", 1)
            << DateSource::ModificationTime << "Ария|Ангел|Альбом|0";
    }
    // Make and Model from the EXIF block read by hand, by Exiv2 where it holds no dates,
    // and from a HEIC's block both ways.
    void cameraOnDisk_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("camera");
        QTest::newRow("JPEG") << "P1.jpg" << test::jpegWithExif("2026:07:14 15:30:12", {}, "Canon", "Canon EOS 80D")
                              << "Canon EOS 80D";
        QTest::newRow("JPEG, a make within its entry") << "P2.jpg" << test::jpegWithExif("2026:07:14 15:30:12", {}, "DJI", "FC2103")
                                                       << "DJI FC2103";
        QTest::newRow("JPEG without dates, through Exiv2") << "P3.jpg" << test::jpegWithExif({}, {}, "NIKON CORPORATION", "NIKON D750")
                                                           << "NIKON D750";
        QTest::newRow("HEIC") << "P4.heic" << test::heifWithExif("2026:07:14 15:30:12", false, false, {}, "Apple", "iPhone 15 Pro")
                              << "Apple iPhone 15 Pro";
        QTest::newRow("HEIC through libheif") << "P5.heic" << test::heifWithExif("2026:07:14 15:30:12", false, true, {}, "samsung", "SM-S918B")
                                              << "samsung SM-S918B";
        QTest::newRow("no camera") << "P6.jpg" << test::jpegWithExif("2026:07:14 15:30:12") << "";
    }
    void cameraOnDisk()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, camera);
        test::TempFolder dir;
        dir.createFile(QFile::encodeName(name), content);
        const std::unique_ptr<TagReader> reader = makeLibraryTagReader();
        const std::optional<RowMetadata> row = FolderMetadata::readFiles(*reader, dir.path(), test::column({name}), {0}, nullptr)[0];
        QVERIFY(row);
        QCOMPARE(row->camera, camera);
    }

    void filesOnDisk()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(DateSource, source);
        QFETCH(QString, expected);
        test::TempFolder dir;
        if (content == "sparse") {
            // 2 GiB of a movie whose header never comes: an mdat box running to the end.
            const QByteArray path = QFile::encodeName(dir.filePath(name));
            const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0);
            const QByteArray head = QByteArray("\0\0\0\x14" "ftypqt  \0\0\0\0qt  " "\0\0\0\1mdat\0\0\0\0\x7f\xff\xff\xe4", 36);
            QCOMPARE(::write(fd, head.constData(), head.size()), head.size());
            QCOMPARE(::ftruncate(fd, 0x80000000LL), 0);
            ::close(fd);
        } else {
            dir.createFile(QFile::encodeName(name), content);
        }
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2020, 5, 6), QTime(7, 8, 9)), QFileDevice::FileModificationTime));
        file.close();
        const std::unique_ptr<TagReader> reader = makeLibraryTagReader();
        const std::vector<std::optional<RowMetadata>> read =
            FolderMetadata::readFiles(*reader, dir.path(), test::column({name}), {0}, nullptr);
        QVERIFY(read.size() == 1 && read[0]);
        QCOMPARE(read[0]->source, source);
        if (expected.contains(u'|'))
            QCOMPARE(QStringList({read[0]->artist, read[0]->title, read[0]->album, QString::number(read[0]->track)})
                         .join(u'|'),
                     expected);
        else
            QCOMPARE(read[0]->date.toString(u"yyyy-MM-ddTHH:mm:ss"), expected);
        // The burst's sub-second of the one sample that has it; the size and time the orders take.
        QCOMPARE(read[0]->subSecond, QString(QTest::currentDataTag() == QByteArrayView("EXIF original") ? "25" : ""));
        QCOMPARE(read[0]->size, content == "sparse" ? 0x80000000LL : qint64(content.size()));
        QCOMPARE(read[0]->modified.toString(u"yyyy-MM-ddTHH:mm:ss"), "2020-05-06T07:08:09");
    }
};

QTEST_GUILESS_MAIN(TestMetadata)
#include "tst_metadata.moc"
