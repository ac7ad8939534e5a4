#pragma once

#include "StateFolder.h"

namespace velmix {

// The state folder on disk: velmix/ under $XDG_STATE_HOME, by default
// ~/.local/state/velmix/ (what QStandardPaths::GenericStateLocation gives from Qt 6.7
// on). A journal is held with flock while it is written, so a second running program
// never takes it for an interrupted one.
class PosixStateFolder : public StateFolder
{
public:
    explicit PosixStateFolder(QString path = defaultPath());
    [[nodiscard]] static QString defaultPath();

    [[nodiscard]] QString path() const override { return m_path; }
    std::unique_ptr<StateFile> create(const QString &name, int &error) override;
    std::unique_ptr<StateFile> reopen(const QString &name, int &error) override;
    QStringList journals() override;
    int read(const QString &name, QByteArray &content) override;
    bool heldElsewhere(const QString &name) override;
    int rename(const QString &from, const QString &to) override;
    int remove(const QString &name) override;
    int readEnds(const QString &name, qsizetype headBytes, qsizetype tailBytes, QByteArray &head,
                 QByteArray &tail) override;

private:
    [[nodiscard]] QByteArray pathOf(const QString &name) const;

    QString m_path;
};

} // namespace velmix
