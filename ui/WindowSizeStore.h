#pragma once

#include <QSize>
#include <QString>

namespace velmix {

// The window's size, whether it was maximised, and its first column's width, kept between runs in one small INI
// file, $XDG_CONFIG_HOME/velmix/window.ini. The second column takes what the first
// leaves, so its width follows from these two.
class WindowSizeStore
{
public:
    struct Shape
    {
        QSize size;          // the window's without the rules panel; invalid: the designed size
        int firstColumn = 0; // 0: the columns share the width evenly
        bool maximised = false; // `size` is then the one it returns to
    };

    explicit WindowSizeStore(QString file = defaultFile());
    [[nodiscard]] static QString defaultFile();

    // What was kept; a value that is not a size or a width reads as none.
    [[nodiscard]] Shape load() const;
    // Kept quietly: a shape that cannot be written costs only the next start's size.
    void save(const Shape &shape) const;

private:
    QString m_file;
};

} // namespace velmix
