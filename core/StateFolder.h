#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace velmix {

// One journal file open for appending, held for this program alone while it is open.
class StateFile
{
public:
    virtual ~StateFile() = default;
    // Writes all of `bytes` at the end; 0 or the error number.
    virtual int append(const QByteArray &bytes) = 0;
    // Makes what was appended durable (fsync); 0 or the error number.
    virtual int sync() = 0;
};

// The folder of the files that outlive the program (the rename journals), one per user.
class StateFolder
{
public:
    virtual ~StateFolder() = default;
    // Where it is, for the messages that name it.
    [[nodiscard]] virtual QString path() const = 0;
    // Creates `name` anew (never over a file), the folder made first where missing; the
    // new entry is synced into the folder before this returns. Null with `error` set
    // where it cannot be made.
    virtual std::unique_ptr<StateFile> create(const QString &name, int &error) = 0;
    // Opens a file there for appending; null where another running program holds it.
    virtual std::unique_ptr<StateFile> reopen(const QString &name, int &error) = 0;
    // The journal files, in the order they were made.
    [[nodiscard]] virtual QStringList journals() = 0;
    // 0 or the error number.
    virtual int read(const QString &name, QByteArray &content) = 0;
    // The first and the last `bytes` bytes of a file (all of it in each, where shorter):
    // a start reads no more of each journal. 0 or the error number.
    virtual int readEnds(const QString &name, qsizetype headBytes, qsizetype tailBytes, QByteArray &head,
                         QByteArray &tail) = 0;
    // Whether another running program holds the file (its apply is under way).
    [[nodiscard]] virtual bool heldElsewhere(const QString &name) = 0;
    // Moves a file out of the journals' way under another name; 0 or the error number.
    virtual int rename(const QString &from, const QString &to) = 0;
    virtual int remove(const QString &name) = 0;
};

} // namespace velmix
