#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace velmix {

class MessageBox;
class PreviewSession;
struct ListOutcome;

// The grid's lists of names: the list edited as text (Ctrl+E), a column pasted into the
// new names, names read from a file, and the grid saved as a list. Each taken list is
// names typed by hand; what it did, or why nothing was taken, goes to `status`.
class NameListFlows : public QObject
{
    Q_OBJECT

public:
    NameListFlows(QWidget *window, PreviewSession &preview, MessageBox &messages,
                  std::function<void(const QString &status)> status);

    void editList();
    // The clipboard's lines from `row` down.
    void paste(int row, const QString &text);
    void namesFromFile();
    // Reads `path` as "Имена из файла…" does once a file is picked.
    void takeFile(const QString &path);
    void saveList();

    static inline const QString Title = QStringLiteral("Список имён");

private:
    // Tells what a taken list did; a map's names that are no row's in a box.
    void tell(const ListOutcome &outcome, const QString &what);

    QWidget *m_window;
    PreviewSession &m_preview;
    MessageBox &m_messages;
    std::function<void(const QString &)> m_status;
};

} // namespace velmix
