#include "CommandList.h"

#include "CliCommand.h"
#include "ConsoleServices.h"
#include "lists/NameLists.h"
#include "preview/PreviewSession.h"
#include "text/FileNameCodec.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryFile>

namespace velmix::cli {
namespace {

using namespace Qt::StringLiterals;

// $VISUAL, then $EDITOR, then vi, as other programs that edit names in one do. The
// variable may hold arguments ("emacs -nw"): the shell reads it, the file goes as "$1".
QString editorCommand()
{
    for (const char *variable : {"VISUAL", "EDITOR"}) {
        const QString editor = qEnvironmentVariable(variable).trimmed();
        if (!editor.isEmpty())
            return editor;
    }
    return u"vi"_s;
}

// The rows' new names, edited by the user in their editor; the list's problem says why not.
NameList editedList(const PreviewSession &preview)
{
    NameList list;
    QTemporaryFile file(QDir::tempPath() + u"/velmix-names-XXXXXX.txt"_s);
    const QString text = NameLists::editorText(preview.table()) + u'\n';
    // The bytes the names have on disk, so a name that is not UTF-8 reads back unchanged.
    const QByteArray bytes = FileNameCodec::encode(text).value_or(text.toUtf8());
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) {
        list.problem = u"список для редактора не записать: %1"_s.arg(file.errorString());
        return list;
    }
    const QString editor = editorCommand();
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(u"/bin/sh"_s, {u"-c"_s, editor + u" \"$1\""_s, u"sh"_s, file.fileName()});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        list.problem = u"редактор «%1» завершился с ошибкой; имена не изменены"_s.arg(editor);
        return list;
    }
    // Read again by its name: many editors write a new file in its place.
    QFile edited(file.fileName());
    if (!edited.open(QIODevice::ReadOnly)) {
        list.problem = u"список после редактора не прочитать: %1"_s.arg(edited.errorString());
        return list;
    }
    return readNameLines(FileNameCodec::decode(edited.readAll()));
}

} // namespace

QString takeCommandList(PreviewSession &preview, const Command &command)
{
    NameList list;
    switch (command.listSource) {
    case ListSource::None: return {};
    case ListSource::Names: list = NameLists::readFile(command.listFile, NameLists::FileKind::Names); break;
    case ListSource::Map: list = NameLists::readFile(command.listFile, NameLists::FileKind::Map); break;
    case ListSource::Edit: list = editedList(preview); break;
    }
    const ListOutcome outcome = NameLists::take(preview, list);
    if (outcome.taken() && outcome.unmatched > 0)
        print(stderr, u"velmix: "_s + outcome.unmatchedText() + u'\n');
    return outcome.problem;
}

} // namespace velmix::cli
