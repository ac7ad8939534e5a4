#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace velmix {

// A name as the bytes it has on disk, with the characters that would break a row written
// as \t, \n, \r and \\: the rows --tsv prints and a saved list hold.
[[nodiscard]] QByteArray tsvField(const QString &name);
// One row of such fields, tab-separated, ending in a line break.
[[nodiscard]] QByteArray tsvRow(const QString &oldName, const QString &newName, const QString &reason);
// A field read back: \t, \n, \r and \\ as the characters they stand for; any other
// backslash stays as it is, so a name typed by hand with one reads as typed.
[[nodiscard]] QString tsvFieldText(QStringView field);

} // namespace velmix
