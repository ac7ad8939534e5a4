#pragma once

#include <QSettings>
#include <QString>
#include <QTemporaryFile>

#include <functional>
#include <memory>

namespace velmix {

// A settings file of the config folder (a rule set, window.ini), read and written only as
// a regular file of its own: a symbolic link is never followed, a FIFO never waited on,
// and anything that is not a regular file is told and left as it is. QSettings never
// opens the named entry itself: it reads a private copy, and writes a new file beside
// that is then renamed into place.
class SettingsFile
{
public:
    explicit SettingsFile(const QString &path);

    enum class Found { None, Regular, Other };
    [[nodiscard]] Found found() const { return m_found; }
    // The keys read, where found() is Regular; else null.
    [[nodiscard]] QSettings *settings() const { return m_settings.get(); }

    // Writes the keys `fill` sets into a new file of the folder (made where missing), which
    // replaces `path`; empty, or why not in one line (an entry there that is not a regular file included).
    static QString write(const QString &path, const std::function<void(QSettings &)> &fill);
    // The line that tells of an entry that is not a regular file.
    [[nodiscard]] static QString notRegular(const QString &path);

private:
    Found m_found = Found::None;
    QTemporaryFile m_copy;
    std::unique_ptr<QSettings> m_settings;
};

} // namespace velmix
