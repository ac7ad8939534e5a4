#pragma once

#include "FileMover.h"
#include "journal/RenameJournal.h"

#include <memory>

namespace velmix {

// Moves through another mover and records each move that worked in the batch's
// journal, where there is one (`writer` may be set only once the plan is written).
class JournalingMover : public FolderMover
{
public:
    JournalingMover(FolderMover &inner, const std::unique_ptr<JournalWriter> &writer)
        : m_inner(inner), m_writer(writer)
    {
    }
    int move(const QByteArray &from, const QByteArray &to) override
    {
        const int error = m_inner.move(from, to);
        if (error == 0 && m_writer)
            m_writer->moved(from, to);
        return error;
    }
    qsizetype moveKeptRun(std::span<const KeptMove> run, int &error) override
    {
        const qsizetype done = m_inner.moveKeptRun(run, error);
        if (m_writer) {
            for (qsizetype i = 0; i < done; ++i)
                m_writer->movedKept(*run[size_t(i)].from, *run[size_t(i)].to);
        }
        return done;
    }
    bool holdsFile(const QByteArray &name) override { return m_inner.holdsFile(name); }
    qsizetype nameMax() override { return m_inner.nameMax(); }
    FileSystemKind fileSystemKind() override { return m_inner.fileSystemKind(); }
    int writeError() override { return m_inner.writeError(); }
    int clusterEntries() override { return m_inner.clusterEntries(); }
    bool movesDamageFiles() override { return m_inner.movesDamageFiles(); }

private:
    FolderMover &m_inner;
    const std::unique_ptr<JournalWriter> &m_writer;
};

} // namespace velmix
