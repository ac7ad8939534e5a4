#include "journal/RenameJournal.h"

#include "journal/JournalReport.h"
#include "text/FileNameCodec.h"

#include <QCoreApplication>
#include <QDateTime>

#include <atomic>
#include <cerrno>

namespace velmix {
namespace {

// Names sort in the order the journals were made, also across programs.
QString newJournalName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("%1-%2-%3.journal")
        .arg(QDateTime::currentMSecsSinceEpoch(), 15, 10, QChar(u'0'))
        .arg(QCoreApplication::applicationPid(), 7, 10, QChar(u'0'))
        .arg(++counter, 6, 10, QChar(u'0')); // fixed widths: a tenth journal in one millisecond sorts last
}

JournalReport::Trouble troubleOf(JournalContent::State state)
{
    return state == JournalContent::State::Newer ? JournalReport::Trouble::Newer : JournalReport::Trouble::Damaged;
}

} // namespace

JournalWriter::JournalWriter(std::unique_ptr<StateFile> file, QString name)
    : m_file(std::move(file)), m_name(std::move(name)), m_records([this](const QByteArray &records) { append(records); })
{
}

bool JournalWriter::planned(const QByteArray &part)
{
    append(part);
    return sync();
}

bool JournalWriter::sync()
{
    // Outside the lock: the moves' records and the next part go on being written meanwhile.
    const int synced = error() == 0 ? m_file->sync() : 0;
    std::lock_guard lock(m_writing);
    if (m_error == 0)
        m_error = synced;
    return m_error == 0;
}

void JournalWriter::moved(const QByteArray &from, const QByteArray &to)
{
    m_records.moved(from, to);
}

void JournalWriter::movedKept(const QByteArray &from, const QByteArray &to)
{
    m_records.movedKept(from, to);
}

void JournalWriter::found(const FoundName &found)
{
    m_records.found(found);
}

void JournalWriter::append(const QByteArray &bytes)
{
    std::lock_guard lock(m_writing);
    if (m_error == 0)
        m_error = m_file->append(bytes);
}

bool JournalWriter::finish()
{
    m_records.flush();
    append(JournalFormat::done());
    std::lock_guard lock(m_writing);
    if (m_error == 0)
        m_error = m_file->sync();
    return m_error == 0;
}

int JournalWriter::error() const
{
    std::lock_guard lock(m_writing);
    return m_error;
}

std::unique_ptr<JournalWriter> RenameJournal::begin(const JournalPlan &plan, qsizetype rows, int &error)
{
    return begin(newJournalName(), plan, rows, error);
}

std::unique_ptr<JournalWriter> RenameJournal::begin(const QString &name, const JournalPlan &plan, qsizetype rows,
                                                    int &error)
{
    std::unique_ptr<StateFile> file = m_folder.create(name, error);
    if (!file)
        return nullptr;
    if ((error = file->append(JournalFormat::header(plan, rows))) != 0) {
        file.reset();
        remove(name);
        return nullptr;
    }
    return std::make_unique<JournalWriter>(std::move(file), name);
}

std::unique_ptr<JournalWriter> RenameJournal::resume(const QString &name, int &error)
{
    std::unique_ptr<StateFile> file = m_folder.reopen(name, error);
    // The line end closes a line a crash may have cut short.
    if (!file || (error = file->append('\n' + JournalFormat::resumed())) != 0)
        return nullptr;
    return std::make_unique<JournalWriter>(std::move(file), name);
}

RenameJournal::Scan RenameJournal::scan()
{
    Scan scan;
    std::vector<Entry> finishedUndos;
    for (const QString &name : m_folder.journals()) {
        // A finished journal's rows are read only when it is undone: a start reads its ends.
        QByteArray head, tail, bytes;
        int error = m_folder.readEnds(name, JournalFormat::SummaryHeadBytes, JournalFormat::SummaryTailBytes, head, tail);
        std::optional<JournalContent> summary = error == 0 ? JournalFormat::finishedSummary(head, tail) : std::nullopt;
        if (!summary && error == 0)
            error = m_folder.read(name, bytes);
        JournalContent content = summary ? std::move(*summary) : JournalFormat::parse(bytes);
        if (error != 0 || content.state != JournalContent::State::Finished) {
            // Another running program's batch, whatever it reads as half-written; once
            // nobody holds it, it is read again, as its writer may have ended meanwhile.
            if (m_folder.heldElsewhere(name))
                continue;
            bytes.clear();
            error = m_folder.read(name, bytes);
            content = JournalFormat::parse(bytes);
        }
        if (error == ENOENT) // removed by its own program since the listing: nothing to tell
            continue;
        if (error != 0) {
            scan.problems << setAside(name, JournalReport::Trouble::Unreadable);
            continue;
        }
        switch (content.state) {
        case JournalContent::State::Finished:
            (content.plan.kind == BatchKind::Apply ? scan.finishedApplies : finishedUndos).push_back({name, std::move(content)});
            break;
        case JournalContent::State::Unfinished:
            scan.unfinished << name;
            break;
        case JournalContent::State::NotStarted: // cut short before its first move: nothing to repair, nothing to trust
            scan.problems << setAside(name, JournalReport::Trouble::Truncated, content.plan.folder);
            break;
        case JournalContent::State::Damaged:
        case JournalContent::State::Newer:
            scan.problems << setAside(name, troubleOf(content.state), content.plan.folder);
            break;
        }
    }
    scan.finishedUndos = std::move(finishedUndos);
    return scan;
}

std::optional<JournalContent> RenameJournal::read(const QString &name, QString &problem)
{
    QByteArray bytes;
    if (m_folder.read(name, bytes) != 0) {
        problem = setAside(name, JournalReport::Trouble::Unreadable);
        return std::nullopt;
    }
    JournalContent content = JournalFormat::parse(bytes);
    if (content.state == JournalContent::State::Damaged || content.state == JournalContent::State::Newer) {
        problem = setAside(name, troubleOf(content.state), content.plan.folder);
        return std::nullopt;
    }
    return content;
}

QString RenameJournal::writeRemainder(const QString &original, const JournalPlan &plan,
                                      const std::vector<QByteArray> &namesNow, int &error)
{
    QString name = original;
    name.insert(name.size() - int(qstrlen(".journal")), QStringLiteral("-r"));
    std::unique_ptr<JournalWriter> writer = begin(name, plan, qsizetype(plan.rows.size()), error);
    if (!writer)
        return {};
    std::vector<std::pair<size_t, FileIdentity>> seen;
    for (size_t row = 0; row < plan.rows.size(); ++row) {
        if (plan.rows[row].seen == JournalRow::Seen::File)
            seen.emplace_back(row, plan.rows[row].identity);
    }
    if (writer->planned(JournalFormat::wholeBatch(plan.rows)) && writer->planned(JournalFormat::identityPart(seen, plan.rows.size()))) {
        // Where the files are, all at once: the names may run in a cycle.
        for (size_t row = 0; row < plan.rows.size(); ++row)
            writer->found({row, namesNow[row]});
        if (writer->finish())
            return name;
    }
    error = writer->error();
    writer.reset();
    remove(name);
    return {};
}

QString RenameJournal::setAside(const QString &name, JournalReport::Trouble trouble, const QByteArray &folder)
{
    if (!folder.isEmpty() && !m_asideFolders.contains(folder))
        m_asideFolders << folder;
    const QString aside = name + QStringLiteral(".bad");
    const bool moved = m_folder.rename(name, aside) == 0;
    return JournalReport::setAside(m_folder.path() + u'/' + name, trouble, moved ? aside : QString(),
                                   FileNameCodec::decode(folder));
}

} // namespace velmix
